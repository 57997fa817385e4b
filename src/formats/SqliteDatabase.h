#pragma once
// Browsers keep their history, cookies and form data in SQLite files. This edits such a file
// in place: it opens only an existing database, refuses one that is locked, corrupt or not a
// database, and runs each edit as one transaction whose deleted rows leave no trace in the
// file, its -wal or its -journal. Nothing here throws; every failure comes back as text.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace sweepora {

enum class SqlProblem {
    None,
    Missing,      // no such file
    Locked,       // another program holds the file or the database
    ReadOnly,     // the file cannot be written
    NotADatabase, // not an SQLite file, an empty file, a folder
    Corrupt,      // damaged, or fails SQLite's own check
    Failed,       // anything else: a bad statement, an I/O error
    Unscrubbed,   // the edit was committed, but the freed pages could not be cleared
};

struct SqlOutcome {
    SqlProblem problem = SqlProblem::None;
    std::string reason; // empty when all went well

    bool Ok() const { return problem == SqlProblem::None; }
    explicit operator bool() const { return Ok(); }
    static SqlOutcome Fail(SqlProblem problem, std::string reason) { return {problem, std::move(reason)}; }
};

// One prepared statement; finalized when it goes. Columns and parameters count from 0 and 1
// as in SQLite.
class SqliteStatement {
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqlOutcome BindText(int index, const std::string& utf8);
    SqlOutcome BindInt64(int index, std::int64_t value);
    SqlOutcome BindNull(int index);

    // True while a row is ready; false at the end or on a failure, which Status() tells.
    bool Next();
    const SqlOutcome& Status() const { return status_; }
    // Steps to the end, for statements whose rows do not matter.
    SqlOutcome Run();
    // Ready to run again with new bindings.
    void Reset();

    int ColumnCount() const;
    bool IsNull(int column) const;
    std::string Text(int column) const;
    std::int64_t Int64(int column) const;

private:
    friend class SqliteDatabase;
    SqlOutcome Failure(int code);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
    SqlOutcome status_;
};

class SqliteDatabase {
public:
    using Editor = std::function<SqlOutcome(SqliteDatabase&)>;

    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(SqliteDatabase&& other) noexcept;
    SqliteDatabase& operator=(SqliteDatabase&& other) noexcept;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Opens an existing database for reading and writing and checks it (header, then
    // PRAGMA quick_check). A lock held by another program is reported at once, not waited on.
    // Whatever the connection cuts off a file or deletes beside it is overwritten first
    // (platform/ScrubbingVfs.h), and its temporary data stays in memory.
    SqlOutcome Open(const std::wstring& path);
    SqlOutcome Open(const std::string& utf8Path);
    // Opens an existing database only to read it, checking its header and schema. Neither the
    // file nor anything beside it is written: no -wal, -shm or -journal is made. A database
    // whose write-ahead log another program keeps open for itself (the -wal without the -shm
    // that shared readers need) counts as locked, as does a file opened without sharing.
    SqlOutcome OpenForReading(const std::wstring& path);
    // Opens a copy in memory of an existing database, read through a connection that changes
    // nothing of the file or the files beside it, after the same checks as Open: for counting
    // what an edit would remove. The copy goes when the database is closed.
    SqlOutcome OpenCopy(const std::wstring& path);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    SqlOutcome Prepare(const std::string& sql, SqliteStatement& statement);
    // Runs one or more statements, rows ignored.
    SqlOutcome Exec(const std::string& sql);
    // Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t Changes() const;

    SqlOutcome TableExists(const std::string& table, bool& exists);
    // Column names in their order; empty for a missing table.
    SqlOutcome Columns(const std::string& table, std::vector<std::string>& columns);

    // Runs `edit` as one transaction with secure deletion, holding the database for itself
    // until done: on success it is committed, the write-ahead log emptied into the file and
    // the file vacuumed; on any failure (the edit's own, a lock, a thrown exception) it is
    // rolled back and the file left as it was. The journal mode the file had is kept.
    SqlOutcome Edit(const Editor& edit);

private:
    SqlOutcome Failure(int code, const std::string& what = {});
    // Opens the connection (`flags` besides extended codes) through `vfs` (SQLite's default
    // when null) and sets it up as all are.
    SqlOutcome Connect(const std::string& name, int flags, const char* vfs = nullptr);
    SqlOutcome Check();
    SqlOutcome Finish(bool wal);

    sqlite3* db_ = nullptr;
};

} // namespace sweepora
