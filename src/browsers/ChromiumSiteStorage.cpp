#include "browsers/ChromiumSiteStorage.h"

#include "browsers/SiteStorage.h"
#include "erasure/FolderSwap.h"
#include "erasure/StoreRewrite.h"
#include "formats/LevelDb.h"
#include "platform/ErrorText.h"
#include "platform/FolderListing.h"
#include "platform/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cwchar>
#include <string>
#include <vector>

namespace sweepora {

namespace {

const char kOriginPrefix[] = "ORIGIN:";

bool EndsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::wstring Below(const std::wstring& folder, const std::wstring& name) { return InProfile(folder, name.c_str()); }

void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

// The subfolders of `folder` as listed; false with a reason when it cannot be listed.
bool ListSubfolders(const std::wstring& folder, std::vector<std::wstring>& names, std::string& problem)
{
    FolderListing listing = ListFolder(folder);
    if (listing.isLink) {
        problem = "its folder is a link, which is never followed";
        return false;
    }
    if (listing.error != ERROR_SUCCESS) {
        problem = "its folder cannot be listed (" + ErrorText(listing.error) + ")";
        return false;
    }
    for (const ListedEntry& entry : listing.entries)
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return true;
}

// IndexedDB keeps a first-party site's databases in "<id>.indexeddb.leveldb" and their
// large values in "<id>.indexeddb.blob"; other buckets live under WebStorage.
bool CleanIndexedDb(EraseContext& context, const std::wstring& folder, const KeptSite& kept, StoreOutcome& outcome)
{
    outcome.store = "IndexedDB";
    if (!IsPlainFolder(folder)) return false;
    std::vector<std::wstring> names;
    if (!ListSubfolders(folder, names, outcome.problem)) return true;
    for (const std::wstring& name : names) {
        if (context.run.abort) break;
        std::wstring stem;
        for (const wchar_t* tail : {L".indexeddb.leveldb", L".indexeddb.blob"})
            if (EndsWith(name, tail)) stem = name.substr(0, name.size() - std::wcslen(tail));
        std::string scheme, host;
        if (stem.empty() || !ParseStorageIdentifier(Utf8FromWide(stem), scheme, host)) continue;
        if (!SiteDataGoes(kept, scheme, host)) continue;
        if (EraseSiteFolder(context, Below(folder, name))) ++outcome.rows;
    }
    return true;
}

bool PlainFolderName(const std::string& name)
{
    return !name.empty() && name.size() <= 16 &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
}

// The sandboxed file systems: "Origins" (LevelDB) maps "ORIGIN:<id>" to the numbered
// folder holding that site's files.
bool CleanFileSystem(EraseContext& context, const BrowserProfile& profile, const std::wstring& folder,
                     const KeptSite& kept, StoreOutcome& outcome)
{
    outcome.store = "File System";
    if (!IsPlainFolder(folder)) return false;
    const std::wstring origins = Below(folder, L"Origins");
    if (context.run.live) {
        if (std::string problem = RestoreFolderSwap(context, origins); !problem.empty()) {
            outcome.problem = problem;
            return true;
        }
    }
    LevelDbStore store;
    if (LevelDbOutcome read = store.Open(origins, context.run.live); !read) {
        // Without its index nothing tells whose a numbered folder is.
        if (read.problem == LevelDbProblem::Missing) return false;
        outcome.problem = "Origins: " + read.reason;
        return true;
    }
    std::vector<LevelDbEntry> keep;
    for (const LevelDbEntry& entry : store.Entries()) {
        const bool isOrigin = entry.key.compare(0, sizeof kOriginPrefix - 1, kOriginPrefix) == 0;
        std::string scheme, host;
        bool gone = false;
        if (!context.run.abort && isOrigin && PlainFolderName(entry.value) &&
            ParseStorageIdentifier(entry.key.substr(sizeof kOriginPrefix - 1), scheme, host) &&
            SiteDataGoes(kept, scheme, host)) {
            const std::wstring site = Below(folder, WideFromUtf8(entry.value));
            gone = ::GetFileAttributesW(site.c_str()) == INVALID_FILE_ATTRIBUTES || EraseSiteFolder(context, site);
        }
        if (gone)
            ++outcome.rows;
        else
            keep.push_back(entry);
    }
    if (outcome.rows == 0) {
        EraseLevelDbStrays(context, store);
        return true;
    }
    if (std::string problem = RewriteLevelDbStore(context, store, keep, [&] { return ProfileInUse(profile); });
        !problem.empty()) {
        outcome.problem = "the sites' folders went, but the index of origins cannot be rewritten: " + problem +
                          "; the index still names them";
        outcome.edited = true;
    }
    return true;
}

// Newer builds keep each storage bucket that is not a first-party default one in
// "WebStorage\<id>"; QuotaManager names every bucket's storage key. A bucket of a site
// that goes loses its folder and then its row; a row whose folder stays stays with it.
bool CleanBuckets(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept, StoreOutcome& outcome)
{
    const std::wstring webStorage = InProfile(profile.folder, L"WebStorage");
    static const std::vector<TableNeeds> needs = {{"buckets", {"id", "storage_key", "host"}, true}};
    return EditBrowserStore(
        context, profile, Below(webStorage, L"QuotaManager"), "WebStorage", needs, {"meta"},
        [&](SqliteDatabase& db, const StoreLayout&, std::int64_t& rows) -> SqlOutcome {
            struct Bucket {
                std::int64_t id;
                std::string storageKey, host;
            };
            std::vector<Bucket> buckets;
            {
                SqliteStatement select;
                if (SqlOutcome ok = db.Prepare("SELECT id, storage_key, host FROM main.buckets", select); !ok)
                    return ok;
                while (select.Next()) buckets.push_back({select.Int64(0), select.Text(1), select.Text(2)});
                if (!select.Status()) return select.Status();
            }
            SqliteStatement remove;
            if (SqlOutcome ok = db.Prepare("DELETE FROM main.buckets WHERE id = ?1", remove); !ok) return ok;
            for (const Bucket& bucket : buckets) {
                if (context.run.abort) break;
                // "https://www.bank.example/^0https://shop.example": the origin owns it.
                const std::string origin = bucket.storageKey.substr(0, bucket.storageKey.find('^'));
                const std::size_t colon = origin.find("://");
                if (colon == std::string::npos) continue;
                const std::string host = bucket.host.empty() ? SiteHost(origin) : bucket.host;
                if (!SiteDataGoes(kept, origin.substr(0, colon), host)) continue;
                const std::wstring folder = Below(webStorage, std::to_wstring(bucket.id));
                if (::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES &&
                    !EraseSiteFolder(context, folder))
                    continue;
                remove.Reset();
                remove.BindInt64(1, bucket.id);
                if (SqlOutcome ok = remove.Run(); !ok) return ok;
                rows += db.Changes();
                PassTurn(context);
            }
            return {};
        },
        outcome);
}

} // namespace

std::vector<StoreOutcome> CleanChromiumSiteStorage(EraseContext& context, const BrowserProfile& profile,
                                                   const KeptSite& kept)
{
    std::vector<StoreOutcome> outcomes;
    StoreOutcome outcome;
    if (context.run.abort) return outcomes;
    if (CleanIndexedDb(context, InProfile(profile.folder, L"IndexedDB"), kept, outcome)) outcomes.push_back(outcome);
    PassTurn(context);
    if (context.run.abort) return outcomes;
    outcome = StoreOutcome();
    if (CleanFileSystem(context, profile, InProfile(profile.folder, L"File System"), kept, outcome))
        outcomes.push_back(outcome);
    PassTurn(context);
    if (context.run.abort) return outcomes;
    outcome = StoreOutcome();
    if (CleanBuckets(context, profile, kept, outcome)) outcomes.push_back(outcome);
    return outcomes;
}

} // namespace sweepora
