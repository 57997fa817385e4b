#include "browsers/BrowserStore.h"

#include "erasure/FileEraser.h"
#include "erasure/FolderWalk.h"
#include "platform/ErrorText.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <exception>

namespace sweepora {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at)
{
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) | (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint32_t(std::uint8_t(bytes[at + 3]));
}

UniqueFile OpenToRead(const std::wstring& path)
{
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// True when the write-ahead log ends in frames of a transaction that never committed.
// Committed frames are the browser's own finished writes, which opening folds in.
bool UncommittedLog(const std::wstring& database)
{
    UniqueFile file = OpenToRead(database + L"-wal");
    if (!file) return false;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);

    if (bytes.size() < 32) return false;
    const std::uint32_t magic = BigEndian(bytes, 0);
    if (magic != 0x377f0682 && magic != 0x377f0683) return false;
    const std::size_t pageSize = BigEndian(bytes, 8);
    if (pageSize < 512 || pageSize > 65536) return false;
    const std::uint32_t salt1 = BigEndian(bytes, 16), salt2 = BigEndian(bytes, 20);
    bool pending = false;
    for (std::size_t at = 32; at + 24 + pageSize <= bytes.size(); at += 24 + pageSize) {
        // Frames of an older generation carry other salts: the log's valid part ends there.
        if (BigEndian(bytes, at + 8) != salt1 || BigEndian(bytes, at + 12) != salt2) break;
        pending = BigEndian(bytes, at + 4) == 0;
    }
    return pending;
}

// A browser that stopped mid-write leaves its last changes uncommitted in the -wal, or a
// live -journal. Opening the database would throw them away or roll them back, changing
// the file before the user chose to: both runs leave it as it is and say why.
std::string Unfinished(const std::wstring& path, const std::string& name, const char* browser)
{
    const std::string then = std::string(" (it did not close cleanly); start and close ") + browser +
                             ", then clean again";
    if (UncommittedLog(path)) return name + "-wal holds a change " + browser + " did not finish" + then;

    const std::wstring journal = path + L"-journal";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(journal.c_str(), GetFileExInfoStandard, &data) ||
        (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0))
        return {};
    UniqueFile file = OpenToRead(journal);
    if (!file) return name + "-journal cannot be read (" + ErrorText(::GetLastError()) + ")";
    // As SQLite decides: a journal is live unless its first byte is zero.
    unsigned char first = 0;
    DWORD read = 0;
    if (!::ReadFile(file.get(), &first, 1, &read, nullptr))
        return name + "-journal cannot be read (" + ErrorText(::GetLastError()) + ")";
    if (read == 1 && first != 0) return name + "-journal holds a change " + browser + " did not finish" + then;
    return {};
}

// Which of `needs` exist with their columns, and the tables nobody here knows. Returns
// the layout problem, empty when every needed table and column is there.
SqlOutcome ReadLayout(SqliteDatabase& db, const std::vector<TableNeeds>& needs, const std::set<std::string>& known,
                      StoreLayout& layout, std::string& unknown, std::string& problem)
{
    std::vector<std::string> names;
    {
        SqliteStatement tables;
        if (SqlOutcome ok = db.Prepare("SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name NOT LIKE "
                                       "'sqlite!_%' ESCAPE '!' ORDER BY name",
                                       tables);
            !ok)
            return ok;
        while (tables.Next()) names.push_back(tables.Text(0));
        if (!tables.Status()) return tables.Status();
    }
    for (const std::string& name : names) {
        const std::string lower = Lower(name);
        const bool needed = std::any_of(needs.begin(), needs.end(), [&](const TableNeeds& n) { return lower == n.table; });
        if (needed) {
            std::vector<std::string> columns;
            if (SqlOutcome ok = db.Columns(name, columns); !ok) return ok;
            for (std::string& column : columns) column = Lower(column);
            layout.present[lower] = columns;
        } else {
            layout.present[lower];
            if (!known.count(lower)) unknown += (unknown.empty() ? "left alone: " : ", ") + name;
        }
    }
    for (const TableNeeds& need : needs) {
        const auto found = layout.present.find(need.table);
        if (found == layout.present.end()) {
            if (need.required) {
                problem = std::string("unknown layout: no table ") + need.table;
                return {};
            }
            continue;
        }
        for (const char* column : need.columns)
            if (std::find(found->second.begin(), found->second.end(), column) == found->second.end()) {
                problem = std::string("unknown layout: table ") + need.table + " has no column " + column;
                return {};
            }
    }
    return {};
}

} // namespace

bool StoreLayout::Has(const std::string& table, const char* column) const
{
    const auto found = present.find(table);
    if (found == present.end()) return false;
    return !column || std::find(found->second.begin(), found->second.end(), column) != found->second.end();
}

bool EditBrowserStore(EraseContext& context, const BrowserProfile& profile, const std::wstring& path,
                      const std::string& name, const std::vector<TableNeeds>& needs,
                      const std::set<std::string>& known, const StoreEdit& edit, StoreOutcome& outcome)
{
    outcome.store = name;
    // A file an earlier box of this preview counted as erased is gone for the boxes after it,
    // as it will be in the run.
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES || GoneInPreview(context.run, path)) return false;
    if (std::string unfinished = Unfinished(path, name, BrowserOf(profile.browser).name); !unfinished.empty()) {
        outcome.problem = unfinished;
        return true;
    }
    // A test run edits a copy in memory: opening the file for writing would let SQLite tidy
    // the files beside it (an empty journal, a folded-in log), and a preview changes nothing.
    SqliteDatabase db;
    if (SqlOutcome opened = context.run.live ? db.Open(path) : db.OpenCopy(path); !opened) {
        // Gone between the look and the open: nothing to say.
        if (opened.problem == SqlProblem::Missing) return false;
        outcome.problem = opened.reason;
        return true;
    }
    StoreLayout layout;
    std::string problem;
    if (SqlOutcome ok = ReadLayout(db, needs, known, layout, outcome.unknown, problem); !ok) {
        outcome.problem = ok.reason;
        return true;
    }
    if (!problem.empty()) {
        outcome.problem = problem;
        return true;
    }
    if (SqlOutcome ok = db.Exec("PRAGMA temp_store=MEMORY"); !ok) {
        outcome.problem = ok.reason;
        return true;
    }

    std::int64_t rows = 0;
    if (!context.run.live) {
        SqlOutcome counted;
        try {
            counted = edit(db, layout, rows);
        } catch (const std::exception& e) {
            counted = SqlOutcome::Fail(SqlProblem::Failed, std::string("the count stopped: ") + e.what());
        }
        if (counted)
            outcome.rows = rows;
        else
            outcome.problem = counted.reason;
        return true;
    }
    const SqlOutcome done = db.Edit([&](SqliteDatabase& d) -> SqlOutcome {
        rows = 0;
        return edit(d, layout, rows);
    });
    if (done) {
        outcome.rows = rows;
    } else {
        outcome.problem = done.reason;
        outcome.edited = done.problem == SqlProblem::Unscrubbed;
    }
    return true;
}

SqlOutcome CountedExec(SqliteDatabase& db, const std::string& sql, std::int64_t& rows)
{
    SqlOutcome ok = db.Exec(sql);
    if (ok) rows += db.Changes();
    return ok;
}

SqlOutcome PickIds(SqliteDatabase& db, const std::string& table, const std::string& select,
                   const std::function<bool(const std::string&)>& pick)
{
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE " + table + "(id INTEGER PRIMARY KEY)"); !ok) return ok;
    std::vector<std::int64_t> ids;
    {
        SqliteStatement rows;
        if (SqlOutcome ok = db.Prepare(select, rows); !ok) return ok;
        while (rows.Next())
            if (!rows.IsNull(0) && !rows.IsNull(1) && pick(rows.Text(1))) ids.push_back(rows.Int64(0));
        if (!rows.Status()) return rows.Status();
    }
    SqliteStatement insert;
    if (SqlOutcome ok = db.Prepare("INSERT OR IGNORE INTO temp." + table + "(id) VALUES (?1)", insert); !ok) return ok;
    for (const std::int64_t id : ids) {
        insert.Reset();
        insert.BindInt64(1, id);
        if (SqlOutcome ok = insert.Run(); !ok) return ok;
    }
    return {};
}

std::wstring InProfile(const std::wstring& folder, const wchar_t* name)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + name;
}

void EraseProfileFile(EraseContext& context, const std::wstring& path, const std::vector<const wchar_t*>& companions)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (EraseNamedFile(context, DisplayPath(path)) != ERROR_SUCCESS) return;
    for (const wchar_t* suffix : companions) {
        if (context.run.abort) return;
        const DWORD companion = ::GetFileAttributesW((path + suffix).c_str());
        if (companion != INVALID_FILE_ATTRIBUTES && !(companion & FILE_ATTRIBUTE_DIRECTORY))
            EraseNamedFile(context, DisplayPath(path + suffix));
    }
}

bool EraseProfileFolderFiles(EraseContext& context, const std::wstring& path, bool recurse,
                             const std::vector<const wchar_t*>& keptNames)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    WalkRequest request;
    request.display = DisplayPath(path) + "\\";
    request.folder = path;
    request.recurse = recurse;
    request.removeSubfolders = false;
    request.removeFolder = false;
    if (!keptNames.empty()) {
        const std::wstring canonical = CanonicalFolder(path);
        for (const wchar_t* name : keptNames) request.kept.push_back({canonical, true, name});
    }
    WalkFolder(context, request);
    return true;
}

StoreOutcome WholeFiles(const std::string& store)
{
    StoreOutcome outcome;
    outcome.store = store;
    outcome.wholeFiles = true;
    return outcome;
}

std::string StoreStatus(const StoreOutcome& o)
{
    // A store whose rows went but whose file could not be scrubbed says so itself.
    if (!o.problem.empty()) return o.edited ? o.problem : "Not cleaned: " + o.problem;
    if (o.wholeFiles && o.filesLeft > 0)
        return "Not cleared: " + std::to_string(o.filesLeft) + (o.filesLeft == 1 ? " file" : " files") +
               " stayed, each named in its own line";
    if (o.wholeFiles) return "Cleared";
    std::string status = std::to_string(o.rows) + (o.rows == 1 ? " row removed" : " rows removed");
    if (!o.unknown.empty()) status += "; " + o.unknown;
    return status;
}

} // namespace sweepora
