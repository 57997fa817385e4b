#include "platform/FileIo.h"
#include "platform/SqliteDatabase.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include "support/SqliteFiles.h"
#include "support/TestSupport.h"

#include <sqlite3.h>

#include <random>
#include <stdexcept>

using namespace sweepora;

namespace {

constexpr const char* kSecret = "secret.example";
constexpr const char* kLongSecret = "SECRET-OVERFLOW-";
constexpr const char* kKept = "kept.example";
constexpr const char* kPending = "pending.example";

// A connection of SQLite's own, standing for the browser that made and may still hold the file.
// It keeps its -wal when it closes, as a browser that was killed leaves it.
class Browser {
public:
    explicit Browser(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    ~Browser() { Close(); }
    Browser(const Browser&) = delete;

    // Closing with a transaction open rolls it back without touching the log's frames.
    void Close()
    {
        if (db_) sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    int Try(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }
    void Sql(const std::string& sql)
    {
        if (Try(sql) != SQLITE_OK) throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
    }
    std::int64_t Number(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
        const std::int64_t n = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
        sqlite3_finalize(statement);
        return n;
    }

private:
    sqlite3* db_ = nullptr;
};

// Kept and secret rows side by side on small pages, an index over them, and one secret row
// long enough to spill onto overflow pages.
void Seed(Browser& browser, const std::string& journalMode)
{
    browser.Sql("PRAGMA page_size=1024; PRAGMA journal_mode=" + journalMode + ";");
    browser.Sql("CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT NOT NULL, title TEXT);"
                "CREATE INDEX urls_url ON urls(url);"
                "BEGIN;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60)"
                " INSERT INTO urls(url, title) SELECT"
                "  CASE i % 2 WHEN 0 THEN 'https://kept.example/page-' ELSE 'https://secret.example/page-' END || i,"
                "  'Title ' || i FROM n;"
                "INSERT INTO urls(url, title) VALUES('https://secret.example/long',"
                " 'SECRET-OVERFLOW-' || printf('%.5000c', 'x'));"
                "COMMIT;");
}

SqlOutcome DeleteSecrets(SqliteDatabase& db)
{
    SqliteStatement del;
    if (SqlOutcome ok = db.Prepare("DELETE FROM urls WHERE url LIKE ?1", del); !ok) return ok;
    del.BindText(1, "%secret.example%");
    return del.Run();
}

std::string Bytes(const std::string& path)
{
    std::string bytes;
    ReadWholeFile(path, bytes); // a missing file reads as nothing
    return bytes;
}

bool Holds(const std::string& path, const std::string& text) { return Bytes(path).find(text) != std::string::npos; }

// The file, its log and its journal: where a deleted row could linger.
using test::DatabaseHolds;
std::string Snapshot(const std::string& db)
{
    return Bytes(db) + '\0' + Bytes(db + "-wal") + '\0' + Bytes(db + "-journal");
}

std::int64_t Count(SqliteDatabase& db, const std::string& sql)
{
    SqliteStatement query;
    if (!db.Prepare(sql, query) || !query.Next()) return -1;
    return query.Int64(0);
}

struct SqliteDatabaseTest : ::testing::Test {
    test::TempFolder folder;
    std::string path = folder.File("Cookies");
};

} // namespace

TEST_F(SqliteDatabaseTest, DeletedRowsLeaveNoTraceInTheFileItsLogOrItsJournalAndTheModeIsKept)
{
    struct Mode {
        const char* journal;
        const char* leftover; // where the browser's last transaction left copies of the secret pages
        char headerByte;      // 1 rollback journal, 2 WAL
    };
    for (const Mode mode : {Mode{"PERSIST", "-journal", 1}, Mode{"WAL", "-wal", 2}}) {
        SCOPED_TRACE(mode.journal);
        const std::string file = folder.File(std::string("History-") + mode.journal);
        {
            Browser browser(file);
            Seed(browser, mode.journal);
            browser.Sql("PRAGMA user_version=42; PRAGMA wal_checkpoint(TRUNCATE);");
            // Kept rows share pages with secret ones: a persistent journal keeps their
            // before-images, a log their newer copies.
            browser.Sql("UPDATE urls SET title = title || '!' WHERE url LIKE '%kept%'");
        }
        ASSERT_TRUE(Holds(file, kSecret));
        ASSERT_TRUE(Holds(file + mode.leftover, kSecret));
        const std::size_t sizeBefore = Bytes(file).size();

        SqliteDatabase db;
        const SqlOutcome opened = db.Open(file);
        ASSERT_TRUE(opened) << opened.reason;
        const SqlOutcome edited = db.Edit(DeleteSecrets);
        ASSERT_TRUE(edited) << edited.reason;
        {
            // The browser can write its file again at once, while we still have it open.
            Browser after(file);
            EXPECT_EQ(after.Try("PRAGMA busy_timeout=0; UPDATE urls SET title = title WHERE url LIKE '%kept%'"),
                      SQLITE_OK);
            EXPECT_EQ(after.Number("PRAGMA user_version"), 42);
        }
        EXPECT_EQ(Count(db, "SELECT count(*) FROM urls"), 30);
        for (const char* text : {kSecret, kLongSecret}) EXPECT_FALSE(DatabaseHolds(file, text)) << text;
        // Vacuumed: the freed pages are gone, not merely zeroed.
        EXPECT_EQ(Count(db, "PRAGMA freelist_count"), 0);
        EXPECT_LT(Bytes(file).size(), sizeBefore);
        db.Close();
        EXPECT_EQ(Bytes(file)[18], mode.headerByte) << "the journal mode the file had";
        EXPECT_TRUE(DatabaseHolds(file, kKept));
        EXPECT_FALSE(DatabaseHolds(file, kSecret));
    }
}

TEST_F(SqliteDatabaseTest, ADatabaseAnotherProgramHoldsIsRefusedAndLeftByteForByteAndAnAbandonedWriteIsDropped)
{
    const std::string walPath = folder.File("places.sqlite");
    {
        Browser rollback(path);
        Seed(rollback, "DELETE");
        Browser wal(walPath);
        Seed(wal, "WAL");
    }
    // Refused with a reason, and nothing of the file, its log or its journal changed.
    const auto expectRefused = [](const std::string& db, bool compare = true) {
        const std::string held = Snapshot(db); // unreadable, and not compared, while the file is held without sharing
        SqliteDatabase database;
        SqlOutcome outcome = database.Open(db);
        if (outcome) outcome = database.Edit(DeleteSecrets);
        EXPECT_EQ(outcome.problem, SqlProblem::Locked) << outcome.reason;
        EXPECT_NE(outcome.reason.find("another program"), std::string::npos) << outcome.reason;
        if (compare) {
            EXPECT_TRUE(held == Snapshot(db));
        }
    };

    {
        SCOPED_TRACE("a connection in a write transaction");
        Browser holder(path);
        holder.Sql("BEGIN IMMEDIATE; INSERT INTO urls(url) VALUES('https://holder.example/')");
        expectRefused(path);
    }
    {
        SCOPED_TRACE("a connection in exclusive locking mode, which keeps its lock from its first write on");
        Browser holder(path);
        holder.Sql("PRAGMA locking_mode=EXCLUSIVE; UPDATE urls SET title = title WHERE id = 2;");
        expectRefused(path);
    }
    {
        SCOPED_TRACE("the file opened without sharing");
        const std::string before = Snapshot(path);
        {
            const UniqueFile holder(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(holder);
            expectRefused(path, false);
        }
        EXPECT_TRUE(before == Snapshot(path));
    }
    {
        SCOPED_TRACE("an idle reader of a WAL database, as a running browser holds it");
        Browser holder(walPath);
        ASSERT_EQ(holder.Number("SELECT count(*) FROM urls"), 61);
        expectRefused(walPath);
    }
    {
        SCOPED_TRACE("a write too big for the cache, its uncommitted frames spilled into the log");
        Browser holder(walPath);
        holder.Sql("PRAGMA cache_size=10; BEGIN;"
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
                   " INSERT INTO urls(url, title)"
                   "  SELECT 'https://pending.example/' || i, printf('%.200c', 'p') FROM n;");
        ASSERT_TRUE(Holds(walPath + "-wal", kPending));
        expectRefused(walPath);
    } // and dies mid-transaction: committed and uncommitted frames stay in the log
    ASSERT_TRUE(Holds(walPath + "-wal", kPending));
    ASSERT_TRUE(Holds(walPath + "-wal", kSecret));

    // Let go, each file is edited, and the abandoned transaction is dropped.
    SqliteDatabase rollback;
    ASSERT_TRUE(rollback.Open(path));
    EXPECT_TRUE(rollback.Edit(DeleteSecrets));
    SqliteDatabase db;
    ASSERT_TRUE(db.Open(walPath));
    const SqlOutcome edited = db.Edit(DeleteSecrets);
    ASSERT_TRUE(edited) << edited.reason;
    EXPECT_EQ(Count(db, "SELECT count(*) FROM urls WHERE url LIKE '%pending%'"), 0);
    EXPECT_EQ(Count(db, "SELECT count(*) FROM urls WHERE url LIKE '%kept%'"), 30);
    for (const char* text : {kSecret, kLongSecret, kPending}) EXPECT_FALSE(DatabaseHolds(walPath, text)) << text;
    EXPECT_TRUE(DatabaseHolds(walPath, kKept));
}

TEST_F(SqliteDatabaseTest, WhatIsNotAHealthyDatabaseIsRefusedUntouchedAndNothingIsCreated)
{
    {
        Browser browser(path);
        Seed(browser, "DELETE");
    }
    const std::string healthy = Bytes(path);
    ASSERT_GT(healthy.size(), 8u * 1024);
    std::mt19937 random(7);
    const auto noise = [&](std::size_t n) {
        std::string bytes(n, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xff);
        return bytes;
    };

    struct Case {
        const char* name;
        std::string bytes;
        SqlProblem problem;
    };
    const Case cases[] = {
        {"pages overwritten with garbage", healthy.substr(0, 2048) + noise(healthy.size() - 2048), SqlProblem::Corrupt},
        {"truncated", healthy.substr(0, healthy.size() / 2), SqlProblem::Corrupt},
        {"random bytes", noise(8192), SqlProblem::NotADatabase},
        {"an empty file", "", SqlProblem::NotADatabase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = folder.File("Login Data");
        test::WriteFileBytes(file, c.bytes);
        SqliteDatabase db;
        const SqlOutcome opened = db.Open(file);
        EXPECT_EQ(opened.problem, c.problem) << opened.reason;
        EXPECT_FALSE(opened.reason.empty());
        EXPECT_EQ(opened.reason.find('\n'), std::string::npos) << "one line for the log";
        EXPECT_FALSE(db.IsOpen());
        EXPECT_FALSE(db.Edit(DeleteSecrets));
        EXPECT_TRUE(Bytes(file) == c.bytes);
        for (const char* side : {"-journal", "-wal"})
            EXPECT_EQ(::GetFileAttributesA((file + side).c_str()), INVALID_FILE_ATTRIBUTES) << side;
    }

    const std::string missing = folder.File("Web Data");
    SqliteDatabase db;
    EXPECT_EQ(db.Open(missing).problem, SqlProblem::Missing);
    EXPECT_EQ(::GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(db.Open(folder.Path()).problem, SqlProblem::NotADatabase);
}

TEST_F(SqliteDatabaseTest, AFailedEditRollsBackAndTheConnectionStaysUsable)
{
    for (const char* mode : {"DELETE", "WAL"}) {
        SCOPED_TRACE(mode);
        const std::string file = folder.File(std::string("Favicons-") + mode);
        {
            Browser browser(file);
            Seed(browser, mode);
        }
        const std::string before = Bytes(file);
        SqliteDatabase db;
        ASSERT_TRUE(db.Open(file));

        const SqlOutcome badStatement = db.Edit([](SqliteDatabase& d) {
            if (SqlOutcome ok = DeleteSecrets(d); !ok) return ok;
            return d.Exec("DELETE FROM no_such_table");
        });
        EXPECT_EQ(badStatement.problem, SqlProblem::Failed);
        EXPECT_NE(badStatement.reason.find("no such table"), std::string::npos) << badStatement.reason;

        const SqlOutcome threw = db.Edit([](SqliteDatabase& d) -> SqlOutcome {
            DeleteSecrets(d);
            throw std::runtime_error("out of patience");
        });
        EXPECT_NE(threw.reason.find("out of patience"), std::string::npos) << threw.reason;

        const SqlOutcome refused = db.Edit([](SqliteDatabase& d) {
            DeleteSecrets(d);
            return SqlOutcome::Fail(SqlProblem::Failed, "the caller changed its mind");
        });
        EXPECT_EQ(refused.reason, "the caller changed its mind");

        {
            // Nothing stays locked after a failure.
            Browser other(file);
            EXPECT_EQ(other.Try("PRAGMA busy_timeout=0; BEGIN IMMEDIATE; ROLLBACK;"), SQLITE_OK);
        }
        EXPECT_EQ(Count(db, "SELECT count(*) FROM urls WHERE url LIKE '%secret%'"), 31);
        if (std::string(mode) == "DELETE") {
            EXPECT_TRUE(Bytes(file) == before);
        }
        EXPECT_TRUE(db.Edit(DeleteSecrets));
        EXPECT_EQ(Count(db, "SELECT count(*) FROM urls WHERE url LIKE '%secret%'"), 0);
    }
}

TEST_F(SqliteDatabaseTest, StatementsBindAndReadTextNumbersAndNullAndTheSchemaIsAnswered)
{
    {
        Browser browser(path);
        Seed(browser, "DELETE");
    }
    SqliteDatabase db;
    ASSERT_TRUE(db.Open(WideFromUtf8(path)));

    bool exists = false;
    EXPECT_TRUE(db.TableExists("URLS", exists));
    EXPECT_TRUE(exists);
    EXPECT_TRUE(db.TableExists("urls_url", exists)); // an index is no table
    EXPECT_FALSE(exists);
    std::vector<std::string> columns;
    EXPECT_TRUE(db.Columns("urls", columns));
    EXPECT_EQ(columns, (std::vector<std::string>{"id", "url", "title"}));
    EXPECT_TRUE(db.Columns("nothing", columns));
    EXPECT_TRUE(columns.empty());

    const std::string odd = "O'Brien \xe2\x80\x93 \"quoted\" \xc3\xbc";
    SqliteStatement insert;
    ASSERT_TRUE(db.Prepare("INSERT INTO urls(id, url, title) VALUES(?1, ?2, ?3)", insert));
    insert.BindInt64(1, std::int64_t(1) << 40);
    insert.BindText(2, odd);
    insert.BindNull(3);
    EXPECT_TRUE(insert.Run());
    EXPECT_EQ(db.Changes(), 1);
    insert.Reset();
    insert.BindInt64(1, std::int64_t(1) << 40);
    insert.BindText(2, "again");
    EXPECT_EQ(insert.Run().problem, SqlProblem::Failed) << "the same key twice";

    SqliteStatement read;
    ASSERT_TRUE(db.Prepare("SELECT id, url, title FROM urls WHERE url = ?1", read));
    read.BindText(1, odd);
    ASSERT_TRUE(read.Next());
    EXPECT_EQ(read.Int64(0), std::int64_t(1) << 40);
    EXPECT_EQ(read.Text(1), odd);
    EXPECT_TRUE(read.IsNull(2));
    EXPECT_FALSE(read.Next());
    EXPECT_TRUE(read.Status());

    SqliteStatement bad;
    EXPECT_NE(db.Prepare("SELEC 1", bad).reason.find("syntax error"), std::string::npos);
    EXPECT_EQ(db.Prepare("DELETE FROM urls; DROP TABLE urls", bad).problem, SqlProblem::Failed);
    EXPECT_TRUE(db.TableExists("urls", exists));
    EXPECT_TRUE(exists);
}
