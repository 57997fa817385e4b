#include "browsers/FirefoxSiteStorage.h"

#include "browsers/SiteStorage.h"
#include "erasure/FileEraser.h"
#include "erasure/FileReplace.h"
#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace sweepora {

namespace {

// A registration is a few hundred bytes; thousands of them stay far below this.
constexpr std::uint64_t kServiceWorkerLimit = 16u << 20;


void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

// "https://www.bank.example:8443^userContextId=1" -> scheme and host.
bool ParseOrigin(const std::string& text, std::string& scheme, std::string& host)
{
    const std::string origin = text.substr(0, text.find('^'));
    const std::size_t colon = origin.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    scheme = origin.substr(0, colon);
    host = SiteHost(origin);
    return true;
}

// The site folders of storage\default and storage\temporary.
bool CleanOriginFolders(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                        StoreOutcome& outcome)
{
    outcome.store = "storage";
    bool found = false;
    for (const wchar_t* repository : {L"storage\\default", L"storage\\temporary"}) {
        const std::wstring folder = InProfile(profile.folder, repository);
        if (context.run.abort || !IsPlainFolder(folder)) continue;
        found = true;
        FolderListing listing = ListFolder(folder);
        if (listing.isLink || listing.error != ERROR_SUCCESS) {
            outcome.problem = DisplayPath(folder) + " cannot be listed (" +
                              (listing.isLink ? std::string("it is a link") : ErrorText(listing.error)) + ")";
            continue;
        }
        listing.handle.reset();
        for (const ListedEntry& entry : listing.entries) {
            if (context.run.abort) break;
            if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            std::string scheme, host;
            if (!ParseOriginFolder(Utf8FromWide(entry.name), scheme, host) || !SiteDataGoes(kept, scheme, host))
                continue;
            if (EraseSiteFolder(context, InProfile(folder, entry.name.c_str()))) ++outcome.rows;
        }
    }
    return found;
}

// The local storage of older versions, and the archive newer ones keep of it until migrated.
bool CleanWebappsStore(EraseContext& context, const BrowserProfile& profile, const wchar_t* file, const char* name,
                       const KeptSite& kept, StoreOutcome& outcome)
{
    static const std::vector<TableNeeds> needs = {{"webappsstore2", {"originkey"}, true}};
    return EditBrowserStore(
        context, profile, InProfile(profile.folder, file), name, needs, {"database"},
        [&](SqliteDatabase& db, const StoreLayout&, std::int64_t& rows) -> SqlOutcome {
            if (SqlOutcome ok = PickIds(db, "sweepora_gone_items", "SELECT rowid, originKey FROM main.webappsstore2",
                                        [&](const std::string& key) {
                                            std::string scheme, host;
                                            return ParseOriginKey(key, scheme, host) &&
                                                   SiteDataGoes(kept, scheme, host);
                                        });
                !ok)
                return ok;
            return CountedExec(
                db, "DELETE FROM main.webappsstore2 WHERE rowid IN (SELECT id FROM temp.sweepora_gone_items)", rows);
        },
        outcome);
}

// The quota manager's cache of origins and their usage. Marked stale, Firefox counts the
// folders again at its next start, so a removed folder is never taken for a present one.
bool CleanQuotaCache(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept, StoreOutcome& outcome)
{
    static const std::vector<TableNeeds> needs = {{"origin", {"repository_id", "origin"}, true}, {"cache", {"valid"}}};
    return EditBrowserStore(
        context, profile, InProfile(profile.folder, L"storage.sqlite"), "storage.sqlite", needs,
        {"database", "repository"},
        [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) -> SqlOutcome {
            // Repository 0 is storage\permanent.
            if (SqlOutcome ok = PickIds(
                    db, "sweepora_gone_origins", "SELECT rowid, origin FROM main.origin WHERE repository_id <> 0",
                    [&](const std::string& origin) {
                        std::string scheme, host;
                        return ParseOrigin(origin, scheme, host) && SiteDataGoes(kept, scheme, host);
                    });
                !ok)
                return ok;
            if (SqlOutcome ok = CountedExec(
                    db, "DELETE FROM main.origin WHERE rowid IN (SELECT id FROM temp.sweepora_gone_origins)", rows);
                !ok)
                return ok;
            if (rows == 0 || !layout.Has("cache")) return {};
            return db.Exec("UPDATE main.cache SET valid = 0");
        },
        outcome);
}

bool ReadSmallFile(const std::wstring& path, std::string& bytes, std::string& problem)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        problem = "it cannot be read (" + ErrorText(::GetLastError()) + ")";
        return false;
    }
    const DWORD error = ReadOpenFile(file.get(), kServiceWorkerLimit, bytes);
    if (error == ERROR_SUCCESS) return true;
    problem = error == ERROR_FILE_TOO_LARGE ? std::string("it is too large to be a list of registrations")
                                            : "it cannot be read (" + ErrorText(error) + ")";
    return false;
}

// serviceworker.txt: a version line, then one block per registration (its origin's
// attributes, its scope, its script, ...) each closed by a line "#".
bool CleanServiceWorkers(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                         StoreOutcome& outcome)
{
    outcome.store = "serviceworker.txt";
    const std::wstring path = InProfile(profile.folder, L"serviceworker.txt");
    // What an interrupted rewrite left is put right first.
    if (context.run.live && !(outcome.problem = RecoverReplace(context, path)).empty()) return true;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        outcome.problem = "it is not a plain file";
        return true;
    }
    std::string bytes;
    if (!ReadSmallFile(path, bytes, outcome.problem)) return true;

    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find('\n', at);
        lines.push_back(bytes.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at));
        at = end == std::string::npos ? bytes.size() : end + 1;
    }
    const auto bare = [](const std::string& line) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    };
    const std::string version = lines.empty() ? std::string() : bare(lines[0]);
    if (version.empty() ||
        !std::all_of(version.begin(), version.end(), [](unsigned char c) { return std::isdigit(c); })) {
        outcome.problem = "unknown layout: it does not start with a version";
        return true;
    }
    std::string keptText = lines[0];
    std::vector<std::string> block;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        block.push_back(lines[i]);
        if (bare(lines[i]) != "#") continue;
        std::string scheme, host;
        if (block.size() < 3 || !ParseOrigin(bare(block[1]), scheme, host)) {
            outcome.problem = "unknown layout: a registration without a scope";
            outcome.rows = 0;
            return true;
        }
        if (SiteDataGoes(kept, scheme, host)) {
            ++outcome.rows;
        } else {
            for (const std::string& line : block) keptText += line;
        }
        block.clear();
    }
    if (!block.empty()) {
        outcome.problem = "unknown layout: its last registration is not closed";
        outcome.rows = 0;
        return true;
    }
    if (!context.run.live || outcome.rows == 0) return true;
    const ReplaceOutcome replaced = ReplaceFileBytes(context, path, bytes, keptText);
    if (!replaced.problem.empty()) {
        outcome.edited = replaced.replaced;
        if (!replaced.replaced) outcome.rows = 0;
        outcome.problem = replaced.problem;
    }
    return true;
}

} // namespace

bool ParseOriginFolder(const std::string& name, std::string& scheme, std::string& host)
{
    const std::size_t separator = name.find("+++");
    if (separator == std::string::npos || separator == 0) return false;
    scheme = name.substr(0, separator);
    const std::string rest = name.substr(separator + 3, name.find('^', separator + 3) - separator - 3);
    if (!rest.empty() && rest[0] == '[') {
        // An IPv6 address has its colons written as "+".
        const std::size_t close = rest.find(']');
        if (close == std::string::npos) return false;
        host = rest.substr(0, close + 1);
        std::replace(host.begin(), host.end(), '+', ':');
    } else {
        host = rest.substr(0, rest.find('+'));
    }
    return !host.empty();
}

bool ParseOriginKey(const std::string& key, std::string& scheme, std::string& host)
{
    const std::size_t colon = key.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::string reversed = key.substr(0, colon);
    std::reverse(reversed.begin(), reversed.end());
    while (!reversed.empty() && reversed[0] == '.') reversed.erase(0, 1);
    scheme = key.substr(colon + 1, key.find(':', colon + 1) - colon - 1);
    host = reversed;
    return !host.empty() && !scheme.empty();
}

std::vector<StoreOutcome> CleanFirefoxSiteStorage(EraseContext& context, const BrowserProfile& profile,
                                                  const KeptSite& kept)
{
    std::vector<StoreOutcome> outcomes;
    const auto step = [&](const std::function<bool(StoreOutcome&)>& clean) {
        if (context.run.abort) return;
        StoreOutcome outcome;
        if (clean(outcome)) outcomes.push_back(outcome);
        PassTurn(context);
    };
    step([&](StoreOutcome& o) { return CleanOriginFolders(context, profile, kept, o); });
    step([&](StoreOutcome& o) {
        return CleanWebappsStore(context, profile, L"webappsstore.sqlite", "webappsstore.sqlite", kept, o);
    });
    step([&](StoreOutcome& o) {
        return CleanWebappsStore(context, profile, L"storage\\ls-archive.sqlite", "ls-archive.sqlite", kept, o);
    });
    step([&](StoreOutcome& o) { return CleanQuotaCache(context, profile, kept, o); });
    step([&](StoreOutcome& o) { return CleanServiceWorkers(context, profile, kept, o); });
    return outcomes;
}

} // namespace sweepora
