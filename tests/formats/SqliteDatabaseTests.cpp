#include "formats/ScrubbingVfs.h"
#include "formats/SqliteDatabase.h"
#include "platform/FileIo.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include "support/SqliteFiles.h"
#include "support/TestSupport.h"

#include <sqlite3.h>

#include <functional>
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

namespace {
// The forgotten site in many rows over many pages and overflow pages, beside a kept one,
// left as the browsers leave their files: Chromium's rollback journal in TRUNCATE mode, an
// empty -journal beside; Firefox's write-ahead log, still holding frames. The log's file is
// in UTF-16, so that both spellings are looked for where they are.
constexpr const char* kForgotten = "forgotten.example";

void SeedAsBrowsersLeaveIt(const std::string& file, bool wal)
{
    Browser browser(file);
    browser.Sql(std::string("PRAGMA page_size=1024;") +
                (wal ? "PRAGMA encoding='UTF-16le'; PRAGMA journal_mode=WAL;" : "PRAGMA journal_mode=TRUNCATE;"));
    browser.Sql("CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT NOT NULL, title TEXT);"
                "CREATE INDEX urls_url ON urls(url);"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200)"
                " INSERT INTO urls(url, title) SELECT"
                "  CASE i % 3 WHEN 0 THEN 'https://kept.example/' ELSE 'https://forgotten.example/' END || i,"
                "  CASE i % 100 WHEN 1 THEN printf('%.3000c', 'f') ELSE 'Title ' || i END FROM n;");
    // A later visit rewrites pages of both sites: the journal or the log takes copies.
    browser.Sql("UPDATE urls SET title = title || '.' WHERE id % 7 = 0");
}

std::string Utf16(const std::string& ascii)
{
    std::string wide;
    for (const char c : ascii) wide += std::string{c, '\0'};
    return wide;
}

bool HoldsEither(const std::string& bytes, const std::string& text)
{
    return bytes.find(text) != std::string::npos || bytes.find(Utf16(text)) != std::string::npos;
}

// What the VFS gives back, seen at each cut or delete: the part that goes, as it was before
// the overwrite and as it is when it goes.
struct Cut {
    std::string file;
    bool heldBefore = false;
    bool zeroAfter = false;
};

struct CutRecorder {
    std::vector<Cut> cuts;
    std::function<bool(const std::string&)> refuse = [](const std::string&) { return false; };

    static std::string Tail(const std::string& file, std::int64_t kept)
    {
        const std::string bytes = Bytes(file);
        return bytes.size() > static_cast<std::size_t>(kept) ? bytes.substr(static_cast<std::size_t>(kept)) : "";
    }
    CutRecorder()
    {
        ScrubbingVfsHooks hooks;
        hooks.beforeOverwrite = [this](const std::string& file, std::int64_t kept) {
            if (refuse(file)) return false;
            cuts.push_back({file, HoldsEither(Tail(file, kept), kForgotten), false});
            return true;
        };
        hooks.beforeCut = [this](const std::string& file, std::int64_t kept) {
            const std::string tail = Tail(file, kept);
            cuts.back().zeroAfter = tail.find_first_not_of('\0') == std::string::npos;
        };
        SetScrubbingVfsHooks(std::move(hooks));
    }
    ~CutRecorder() { SetScrubbingVfsHooks(); }
    CutRecorder(const CutRecorder&) = delete;
    // Cuts of the file whose name ends so, and of those the ones that held the site.
    std::pair<int, int> Of(const std::string& end) const
    {
        std::pair<int, int> found{0, 0};
        for (const Cut& c : cuts)
            if (c.file.size() >= end.size() && c.file.compare(c.file.size() - end.size(), end.size(), end) == 0) {
                ++found.first;
                found.second += c.heldBefore;
            }
        return found;
    }
};

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

SqlOutcome DeleteForgotten(SqliteDatabase& db) { return db.Exec("DELETE FROM urls WHERE url LIKE '%forgotten.example%'"); }

} // namespace

TEST_F(SqliteDatabaseTest, WhatAFileGivesBackIsOverwrittenBeforeItIsCutOrDeletedAndAFailedOverwriteIsReported)
{
    for (const bool wal : {false, true}) {
        SCOPED_TRACE(wal ? "WAL, as Firefox leaves it" : "TRUNCATE, as Chromium leaves it");
        const std::string file = folder.File(wal ? "places.sqlite" : "History");
        SeedAsBrowsersLeaveIt(file, wal);
        const std::string leftover = wal ? "-wal" : "-journal";
        ASSERT_TRUE(HoldsEither(Bytes(file), kForgotten) || wal);
        if (wal) {
            ASSERT_TRUE(HoldsEither(Bytes(file + "-wal"), kForgotten));
        } else {
            ASSERT_NE(::GetFileAttributesA((file + "-journal").c_str()), INVALID_FILE_ATTRIBUTES);
            ASSERT_TRUE(Bytes(file + "-journal").empty());
        }

        // A first overwrite of the journal or log fails: SQLite reports an I/O error; a
        // journal that could not be given back undoes the commit, a log is emptied later.
        CutRecorder recorder;
        recorder.refuse = [&, refused = false](const std::string& f) mutable {
            if (refused || !EndsWith(f, leftover)) return false;
            return refused = true;
        };
        {
            SqliteDatabase db;
            ASSERT_TRUE(db.Open(file));
            const SqlOutcome failed = db.Edit(DeleteForgotten);
            EXPECT_NE(failed.reason.find("I/O"), std::string::npos) << failed.reason;
            EXPECT_EQ(failed.problem, wal ? SqlProblem::Unscrubbed : SqlProblem::Failed) << failed.reason;
            EXPECT_EQ(Count(db, "SELECT count(*) FROM urls WHERE url LIKE '%forgotten%'"), wal ? 0 : 800);
            EXPECT_EQ(Count(db, "SELECT count(*) FROM urls WHERE url LIKE '%kept%'"), 400);
            SqliteStatement check;
            ASSERT_TRUE(db.Prepare("PRAGMA integrity_check", check));
            ASSERT_TRUE(check.Next());
            EXPECT_EQ(check.Text(0), "ok");
        }

        // Edited again: every part given back was overwritten first, and the journal's or
        // the log's held the forgotten site, as the volume's freed clusters would have.
        SqliteDatabase db;
        ASSERT_TRUE(db.Open(file));
        const SqlOutcome edited = db.Edit(DeleteForgotten);
        ASSERT_TRUE(edited) << edited.reason;
        db.Close();
        for (const Cut& cut : recorder.cuts) EXPECT_TRUE(cut.zeroAfter) << cut.file;
        EXPECT_GT(recorder.Of(leftover).second, 0);
        EXPECT_GT(recorder.Of(wal ? "\\places.sqlite" : "\\History").first, 0) << "the vacuumed file's tail";
        for (const char* side : {"", "-journal", "-wal"})
            EXPECT_FALSE(HoldsEither(Bytes(file + side), kForgotten)) << side;
        EXPECT_TRUE(HoldsEither(Bytes(file), kKept));
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
