#pragma once
// One store of a browser profile: a database edited in place, or a group of whole files
// erased through the erasure library. Every browser box reports per store what went.
#include "browsers/BrowserProfiles.h"
#include "erasure/EraseContext.h"
#include "formats/SqliteDatabase.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sweepora {

// What became of one store of a profile.
struct StoreOutcome {
    std::string store;       // as the log names it: "History", "Favicons", "places.sqlite"
    std::int64_t rows = 0;   // rows removed (in a test run: that would be removed)
    std::string problem;     // why the store was left as it was, or what went wrong after its edit
    bool edited = false;     // the rows went even though `problem` says more
    std::string unknown;     // tables or columns of a newer browser left alone, for the log
    bool wholeFiles = false; // files that are all traces; each has its own line from the eraser
    std::int64_t filesLeft = 0; // of those, the files that stayed (the run's filesLeft it added)
};

// The whole files of a box, named as the log shows them: "history files".
StoreOutcome WholeFiles(const std::string& store);

// A table an edit relies on, with the columns its statements name. A missing optional
// table is skipped; a missing required one, or a missing column, leaves the file alone.
struct TableNeeds {
    const char* table;
    std::vector<const char*> columns;
    bool required = false;
};

// The tables found, lower case, with their columns.
struct StoreLayout {
    std::map<std::string, std::vector<std::string>> present;
    bool Has(const std::string& table, const char* column = nullptr) const;
};

// Deletes, updates and counts inside the store's transaction; adds the rows it removed.
using StoreEdit = std::function<SqlOutcome(SqliteDatabase&, const StoreLayout&, std::int64_t& rows)>;

// The database `name` at `path`: left alone with a reason when a browser did not finish
// writing it, when it is locked, damaged or not a database, or when its layout is not the
// one `needs` describes; otherwise `edit` runs as one transaction, committed in a live run;
// a test run runs the same edit on a copy in memory, so both count the same rows and the
// preview changes no file. Tables
// neither needed nor in `known` are named in `unknown` and not touched. False when there
// is no such file, and nothing to report.
bool EditBrowserStore(EraseContext& context, const BrowserProfile& profile, const std::wstring& path,
                      const std::string& name, const std::vector<TableNeeds>& needs,
                      const std::set<std::string>& known, const StoreEdit& edit, StoreOutcome& outcome);

// Runs one statement and adds the rows it changed.
SqlOutcome CountedExec(SqliteDatabase& db, const std::string& sql, std::int64_t& rows);

// Fills the in-memory table temp.`table`(id) with the ids of `select`'s (id, text) rows
// whose text `pick` chooses. The list stays off the disk: a temporary file would hold
// what is being erased.
SqlOutcome PickIds(SqliteDatabase& db, const std::string& table, const std::string& select,
                   const std::function<bool(const std::string&)>& pick);

// "<profile folder>\<name>"
std::wstring InProfile(const std::wstring& folder, const wchar_t* name);

// Erases a file and then its companions ("-journal", "-wal"); the companions stay when the
// file itself could not go, as a journal without its database would be all that is left.
void EraseProfileFile(EraseContext& context, const std::wstring& path,
                      const std::vector<const wchar_t*>& companions = {});
// Erases the files of a folder (and of its subfolders when `recurse`), keeping the folders
// and, anywhere below, the files named in `keptNames` (upper case). False when there is no
// such folder.
bool EraseProfileFolderFiles(EraseContext& context, const std::wstring& path, bool recurse = true,
                             const std::vector<const wchar_t*>& keptNames = {});

// The log's status of a store: rows removed, "Cleared" for whole files that all went,
// "Not cleared: ..." when some stayed, or why it stayed.
std::string StoreStatus(const StoreOutcome& outcome);

} // namespace sweepora
