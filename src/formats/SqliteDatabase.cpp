#include "formats/SqliteDatabase.h"

#include "formats/ScrubbingVfs.h"
#include "platform/ErrorText.h"
#include "platform/WideText.h"

#include <sqlite3.h>
#include <windows.h>

#include <exception>

namespace sweepora {

namespace {

// Long enough to ride out another program's brief write, short enough that a browser
// holding its database is reported rather than waited on.
constexpr int kBusyMilliseconds = 100;

SqlProblem ProblemOf(int code)
{
    if (code == SQLITE_IOERR_SHORT_READ) return SqlProblem::Corrupt;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return SqlProblem::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return SqlProblem::ReadOnly;
    case SQLITE_NOTADB:
        return SqlProblem::NotADatabase;
    case SQLITE_CORRUPT:
        return SqlProblem::Corrupt;
    default:
        return SqlProblem::Failed;
    }
}

SqlOutcome Explain(int code, const char* sqliteText, const std::string& what)
{
    const std::string detail = sqliteText && *sqliteText ? sqliteText : sqlite3_errstr(code);
    const SqlProblem problem = ProblemOf(code);
    std::string text;
    switch (problem) {
    case SqlProblem::Locked:
        text = "another program is using the database; close it and try again (" + detail + ")";
        break;
    case SqlProblem::ReadOnly:
        text = "the database cannot be written (" + detail + ")";
        break;
    case SqlProblem::NotADatabase:
        text = "the file is not an SQLite database (" + detail + ")";
        break;
    case SqlProblem::Corrupt:
        text = "the database is damaged (" + detail + ")";
        break;
    default:
        text = detail;
        break;
    }
    return SqlOutcome::Fail(problem, what.empty() ? text : what + ": " + text);
}

bool OnlyBlanks(const char* text)
{
    for (; text && *text; ++text)
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != ';') return false;
    return true;
}

// A file that is there, is not a folder and is not empty: SQLite would take an empty file
// for a new database and write one into it.
SqlOutcome CheckPresent(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return SqlOutcome::Fail(SqlProblem::Missing, "the file does not exist");
        return SqlOutcome::Fail(SqlProblem::Failed, "the file cannot be read (" + ErrorText(error) + ")");
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return SqlOutcome::Fail(SqlProblem::NotADatabase, "a folder, not a database");
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)
        return SqlOutcome::Fail(SqlProblem::NotADatabase, "the file is empty, not a database");
    return {};
}

// Why the file cannot be had for reading and writing, asked of Windows before SQLite, which
// would retry a sharing violation for over a second and then quietly open it read-only.
SqlOutcome CheckFile(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (SqlOutcome present = CheckPresent(path, data); !present) return present;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        return SqlOutcome::Fail(SqlProblem::ReadOnly, "the file is read-only");
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            return SqlOutcome::Fail(SqlProblem::Locked,
                                    "another program has the file open for itself; close it and try again");
        if (error == ERROR_ACCESS_DENIED)
            return SqlOutcome::Fail(SqlProblem::ReadOnly, "the file cannot be written (" + ErrorText(error) + ")");
        return SqlOutcome::Fail(SqlProblem::Failed, "the file cannot be opened (" + ErrorText(error) + ")");
    }
    ::CloseHandle(file);
    return {};
}

bool FileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// How a database can be read without writing anything: as it stands, or, for one in
// write-ahead-log mode that no program has open, as a file nobody changes.
enum class ReadMode { Shared, Unchanging };

// Checks the file can be read, and picks the mode from its header and the files beside it.
SqlOutcome CheckReadable(const std::wstring& path, ReadMode& mode)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (SqlOutcome present = CheckPresent(path, data); !present) return present;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            return SqlOutcome::Fail(SqlProblem::Locked,
                                    "another program has the file open for itself; close it and try again");
        return SqlOutcome::Fail(SqlProblem::Failed, "the file cannot be opened (" + ErrorText(error) + ")");
    }
    unsigned char header[20] = {};
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file, header, sizeof header, &read, nullptr);
    ::CloseHandle(file);
    if (!ok || read < sizeof header)
        return SqlOutcome::Fail(SqlProblem::NotADatabase, "the file is not an SQLite database");
    mode = ReadMode::Shared;
    // Bytes 18 and 19 are 2 in write-ahead-log mode. SQLite would make the -wal and -shm a
    // reader needs, and leave them behind.
    if (header[18] != 2 && header[19] != 2) return {};
    const bool wal = FileExists(path + L"-wal");
    const bool shm = FileExists(path + L"-shm");
    if (wal && shm) return {};
    if (!wal && !shm) {
        // No log: no program has it open, and whatever opens it next cannot write before
        // making one, which this connection would not see; it reads the file alone.
        mode = ReadMode::Unchanging;
        return {};
    }
    // A log without the shared index is one a program keeps for itself (a browser that
    // runs, or one that stopped without closing it); its rows may be only in the log.
    return SqlOutcome::Fail(SqlProblem::Locked,
                            "another program keeps the database's log for itself; close it and try again");
}

// What every connection here is set to: full error codes, a short wait for another
// program's write, and a file taken for untrusted input, whose schema may not call risky
// functions or alter itself.
void Harden(sqlite3* db)
{
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyMilliseconds);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

// "file:" with the path's own "%", "?" and "#" escaped ("\\?\" has one).
std::string ReadingUri(const std::wstring& path, ReadMode mode)
{
    std::string uri = "file:";
    for (const char c : Utf8FromWide(path)) {
        if (c == '%')
            uri += "%25";
        else if (c == '?')
            uri += "%3f";
        else if (c == '#')
            uri += "%23";
        else
            uri += c;
    }
    return uri + (mode == ReadMode::Unchanging ? "?immutable=1" : "?mode=ro");
}

} // namespace

// ---- SqliteStatement ----

SqliteStatement::~SqliteStatement()
{
    if (statement_) sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(other.db_), statement_(other.statement_), status_(std::move(other.status_))
{
    other.db_ = nullptr;
    other.statement_ = nullptr;
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        if (statement_) sqlite3_finalize(statement_);
        db_ = other.db_;
        statement_ = other.statement_;
        status_ = std::move(other.status_);
        other.db_ = nullptr;
        other.statement_ = nullptr;
    }
    return *this;
}

SqlOutcome SqliteStatement::Failure(int code)
{
    return Explain(code, db_ ? sqlite3_errmsg(db_) : nullptr, "");
}

SqlOutcome SqliteStatement::BindText(int index, const std::string& utf8)
{
    if (!statement_) return SqlOutcome::Fail(SqlProblem::Failed, "no statement");
    const int rc = sqlite3_bind_text64(statement_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return rc == SQLITE_OK ? SqlOutcome{} : Failure(rc);
}

SqlOutcome SqliteStatement::BindInt64(int index, std::int64_t value)
{
    if (!statement_) return SqlOutcome::Fail(SqlProblem::Failed, "no statement");
    const int rc = sqlite3_bind_int64(statement_, index, value);
    return rc == SQLITE_OK ? SqlOutcome{} : Failure(rc);
}

SqlOutcome SqliteStatement::BindNull(int index)
{
    if (!statement_) return SqlOutcome::Fail(SqlProblem::Failed, "no statement");
    const int rc = sqlite3_bind_null(statement_, index);
    return rc == SQLITE_OK ? SqlOutcome{} : Failure(rc);
}

bool SqliteStatement::Next()
{
    if (!statement_) {
        status_ = SqlOutcome::Fail(SqlProblem::Failed, "no statement");
        return false;
    }
    if (!status_) return false;
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) status_ = Failure(rc);
    return false;
}

SqlOutcome SqliteStatement::Run()
{
    while (Next()) {
    }
    return status_;
}

void SqliteStatement::Reset()
{
    if (statement_) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    status_ = {};
}

int SqliteStatement::ColumnCount() const { return statement_ ? sqlite3_column_count(statement_) : 0; }

bool SqliteStatement::IsNull(int column) const
{
    return !statement_ || sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string SqliteStatement::Text(int column) const
{
    if (!statement_) return {};
    const unsigned char* text = sqlite3_column_text(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)) : std::string();
}

std::int64_t SqliteStatement::Int64(int column) const
{
    return statement_ ? sqlite3_column_int64(statement_, column) : 0;
}

// ---- SqliteDatabase ----

SqliteDatabase::~SqliteDatabase() { Close(); }

SqliteDatabase::SqliteDatabase(SqliteDatabase&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }

SqliteDatabase& SqliteDatabase::operator=(SqliteDatabase&& other) noexcept
{
    if (this != &other) {
        Close();
        db_ = other.db_;
        other.db_ = nullptr;
    }
    return *this;
}

void SqliteDatabase::Close()
{
    // close_v2: a statement that outlives the connection keeps it until finalized.
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

SqlOutcome SqliteDatabase::Failure(int code, const std::string& what)
{
    return Explain(code, db_ ? sqlite3_errmsg(db_) : nullptr, what);
}

SqlOutcome SqliteDatabase::Open(const std::string& utf8Path) { return Open(WideFromUtf8(utf8Path)); }

SqlOutcome SqliteDatabase::Connect(const std::string& name, int flags, const char* vfs)
{
    const int rc = sqlite3_open_v2(name.c_str(), &db_, flags | SQLITE_OPEN_EXRESCODE, vfs);
    if (rc != SQLITE_OK) {
        SqlOutcome failed = db_ ? Failure(rc, "cannot open the database")
                                : SqlOutcome::Fail(SqlProblem::Failed, "cannot open the database (out of memory)");
        Close();
        return failed;
    }
    Harden(db_);
    return {};
}

SqlOutcome SqliteDatabase::Open(const std::wstring& path)
{
    Close();
    if (SqlOutcome file = CheckFile(path); !file) return file;

    // Every file this connection writes goes through the scrubbing VFS, which overwrites
    // what a cut or a delete gives back.
    const char* vfs = ScrubbingVfsName();
    if (!vfs) return SqlOutcome::Fail(SqlProblem::Failed, "cannot open the database (SQLite refused our file layer)");
    // Never SQLITE_OPEN_CREATE: a missing or vanished file must not become an empty database.
    if (SqlOutcome opened = Connect(Utf8FromWide(path), SQLITE_OPEN_READWRITE, vfs); !opened) return opened;
    if (sqlite3_db_readonly(db_, "main") == 1) {
        Close();
        return SqlOutcome::Fail(SqlProblem::ReadOnly, "the database can only be opened read-only");
    }
    // Sorts, temporary tables and VACUUM's copy stay in memory: no temporary file holds pages.
    // Nothing of the file is mapped either, or Windows' VFS would skip a cut.
    SqlOutcome checked = Exec("PRAGMA temp_store=MEMORY; PRAGMA mmap_size=0");
    if (checked) checked = Check();
    if (!checked) Close();
    return checked;
}

SqlOutcome SqliteDatabase::OpenForReading(const std::wstring& path)
{
    Close();
    ReadMode mode = ReadMode::Shared;
    if (SqlOutcome file = CheckReadable(path, mode); !file) return file;

    if (SqlOutcome opened = Connect(ReadingUri(path, mode), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI); !opened)
        return opened;
    // A reader has nothing to checkpoint; closing must not try.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // Only the header and schema are read here: SQLite's check reads the whole file, too slow
    // for lists filled each time a page shows; damage met later fails the read instead.
    SqlOutcome checked = Exec("PRAGMA query_only=ON");
    if (checked) checked = Exec("SELECT count(*) FROM sqlite_schema");
    if (!checked) Close();
    return checked;
}

SqlOutcome SqliteDatabase::OpenCopy(const std::wstring& path)
{
    Close();
    // The same refusals as a live open: a held or read-only file is said so in both runs.
    if (SqlOutcome file = CheckFile(path); !file) return file;
    SqliteDatabase source;
    if (SqlOutcome opened = source.OpenForReading(path); !opened) return opened;
    if (SqlOutcome checked = source.Check(); !checked) return checked;

    if (SqlOutcome opened = Connect(":memory:", SQLITE_OPEN_READWRITE); !opened) return opened;
    sqlite3_backup* copy = sqlite3_backup_init(db_, "main", source.db_, "main");
    const int stepped = copy ? sqlite3_backup_step(copy, -1) : sqlite3_errcode(db_);
    const int finished = copy ? sqlite3_backup_finish(copy) : SQLITE_OK;
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        SqlOutcome failed = source.Failure(stepped != SQLITE_DONE ? stepped : finished, "cannot copy the database");
        Close();
        return failed;
    }
    return {};
}

SqlOutcome SqliteDatabase::Check()
{
    // Reading the schema reads the header: a non-database or a held lock shows here.
    SqliteStatement schema;
    if (SqlOutcome ok = Prepare("SELECT count(*) FROM sqlite_schema", schema); !ok) return ok;
    if (SqlOutcome ok = schema.Run(); !ok) return ok;

    SqliteStatement check;
    if (SqlOutcome ok = Prepare("PRAGMA quick_check(3)", check); !ok) return ok;
    std::string findings;
    while (check.Next()) {
        std::string line = check.Text(0);
        if (line == "ok") continue;
        // One line for the log: SQLite heads its findings with "*** in database main ***\n".
        const std::string heading = "*** in database main ***";
        if (line.compare(0, heading.size(), heading) == 0) line.erase(0, heading.size());
        for (char& c : line)
            if (c == '\r' || c == '\n') c = ' ';
        line.erase(0, line.find_first_not_of(' '));
        findings += (findings.empty() ? "" : "; ") + line;
    }
    if (!check.Status()) return check.Status();
    if (!findings.empty())
        return SqlOutcome::Fail(SqlProblem::Corrupt, "the database is damaged (quick_check: " + findings + ")");
    return {};
}

SqlOutcome SqliteDatabase::Prepare(const std::string& sql, SqliteStatement& statement)
{
    statement = SqliteStatement();
    if (!db_) return SqlOutcome::Fail(SqlProblem::Failed, "the database is not open");
    sqlite3_stmt* prepared = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size() + 1), &prepared, &tail);
    if (rc != SQLITE_OK) return Failure(rc);
    statement.db_ = db_;
    statement.statement_ = prepared;
    if (!prepared) return SqlOutcome::Fail(SqlProblem::Failed, "no statement in \"" + sql + "\"");
    // A second statement would be silently skipped.
    if (!OnlyBlanks(tail)) {
        statement = SqliteStatement();
        return SqlOutcome::Fail(SqlProblem::Failed, "more than one statement in \"" + sql + "\"");
    }
    return {};
}

SqlOutcome SqliteDatabase::Exec(const std::string& sql)
{
    if (!db_) return SqlOutcome::Fail(SqlProblem::Failed, "the database is not open");
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? SqlOutcome{} : Failure(rc);
}

std::int64_t SqliteDatabase::Changes() const { return db_ ? sqlite3_changes64(db_) : 0; }

SqlOutcome SqliteDatabase::TableExists(const std::string& table, bool& exists)
{
    exists = false;
    SqliteStatement query;
    if (SqlOutcome ok = Prepare("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
                                query);
        !ok)
        return ok;
    query.BindText(1, table);
    exists = query.Next();
    return query.Status();
}

SqlOutcome SqliteDatabase::Columns(const std::string& table, std::vector<std::string>& columns)
{
    columns.clear();
    SqliteStatement query;
    if (SqlOutcome ok = Prepare("SELECT name FROM pragma_table_info(?1) ORDER BY cid", query); !ok) return ok;
    query.BindText(1, table);
    while (query.Next()) columns.push_back(query.Text(0));
    return query.Status();
}

SqlOutcome SqliteDatabase::Edit(const Editor& edit)
{
    if (!db_) return SqlOutcome::Fail(SqlProblem::Failed, "the database is not open");
    if (!sqlite3_get_autocommit(db_)) return SqlOutcome::Fail(SqlProblem::Failed, "an edit is already under way");

    SqliteStatement mode;
    if (SqlOutcome ok = Prepare("PRAGMA journal_mode", mode); !ok) return ok;
    const bool wal = mode.Next() && mode.Text(0) == "wal";
    if (!mode.Status()) return mode.Status();
    mode = SqliteStatement();

    // WAL stays WAL: it is recorded in the file. A rollback journal's mode is only this
    // connection's, so TRUNCATE can be used here: the journal holds the pages of the rows
    // being deleted, and is emptied, not merely marked, after each transaction.
    // The exclusive lock keeps every other program out from the first write until the file
    // is scrubbed; in WAL mode it is refused while any other connection has the file open.
    std::string setup = "PRAGMA secure_delete=ON; PRAGMA locking_mode=EXCLUSIVE;";
    if (!wal) setup += " PRAGMA journal_mode=TRUNCATE;";
    if (SqlOutcome ok = Exec(setup); !ok) {
        Finish(wal);
        return ok;
    }
    if (SqlOutcome ok = Exec("BEGIN IMMEDIATE"); !ok) {
        Finish(wal);
        return ok;
    }

    SqlOutcome result;
    try {
        result = edit(*this);
    } catch (const std::exception& e) {
        result = SqlOutcome::Fail(SqlProblem::Failed, std::string("the edit stopped: ") + e.what());
    } catch (...) {
        result = SqlOutcome::Fail(SqlProblem::Failed, "the edit stopped on an unknown error");
    }
    // Statements left mid-way would block COMMIT's lock upgrade and VACUUM.
    for (sqlite3_stmt* s = sqlite3_next_stmt(db_, nullptr); s; s = sqlite3_next_stmt(db_, s))
        if (sqlite3_stmt_busy(s)) sqlite3_reset(s);

    if (result && sqlite3_get_autocommit(db_))
        result = SqlOutcome::Fail(SqlProblem::Failed, "the edit ended the transaction itself");
    if (result) {
        result = Exec("COMMIT");
        if (!result) result.reason = "the edit could not be committed: " + result.reason;
    }
    if (!result) {
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        Finish(wal);
        return result;
    }

    // Committed, and secure deletion zeroed the rows in the pages written. Older copies of
    // those pages may still sit in the log or the file: the checkpoint writes the new ones
    // over them, VACUUM drops the zeroed free pages, and a last checkpoint empties the log
    // VACUUM itself filled.
    SqlOutcome scrubbed;
    const auto checkpoint = [&]() -> SqlOutcome {
        SqliteStatement ck;
        if (SqlOutcome ok = Prepare("PRAGMA wal_checkpoint(TRUNCATE)", ck); !ok) return ok;
        const bool busy = ck.Next() && ck.Int64(0) != 0;
        if (!ck.Status()) return ck.Status();
        if (busy)
            return SqlOutcome::Fail(SqlProblem::Locked, "another program is reading the database");
        return {};
    };
    if (wal) scrubbed = checkpoint();
    if (scrubbed) scrubbed = Exec("VACUUM");
    if (scrubbed && wal) scrubbed = checkpoint();
    Finish(wal);
    if (!scrubbed)
        return SqlOutcome::Fail(SqlProblem::Unscrubbed,
                                "the rows were deleted, but traces of them may remain in the file: " + scrubbed.reason);
    return {};
}

SqlOutcome SqliteDatabase::Finish(bool wal)
{
    // A commit that failed once the file was written leaves its journal to be played back
    // at the next read: read now, while the mode is still the edit's, since leaving TRUNCATE
    // below deletes the journal. Should that fail, the journal stays for the next opener.
    if (SqlOutcome read = Exec("SELECT count(*) FROM sqlite_schema"); !read) return read;
    // Normal locking again; the exclusive lock goes at the end of the next read, so the
    // browser can have its file back while this connection stays open.
    SqlOutcome ok = Exec("PRAGMA locking_mode=NORMAL");
    // Leaving TRUNCATE deletes the emptied journal, as SQLite's default mode would have.
    if (ok && !wal) ok = Exec("PRAGMA journal_mode=DELETE");
    if (ok) ok = Exec("SELECT count(*) FROM sqlite_schema");
    return ok;
}

} // namespace sweepora
