#include "engine/RecentItems.h"

#include "engine/JumpListFile.h"
#include "engine/Session.h"
#include "engine/ShellFolders.h"
#include "erasure/FileReplace.h"
#include "erasure/FolderWalk.h"
#include "erasure/RegistryValues.h"
#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

namespace sweepora {

namespace {

constexpr int kRecentFolder = 8;   // CSIDL_RECENT
constexpr int kRoamingFolder = 26; // CSIDL_APPDATA
constexpr std::uint64_t kJumpListLimit = 64u << 20;
constexpr const char* kAutomatic = ".automaticDestinations-ms";
constexpr const char* kCustom = ".customDestinations-ms";

std::string Plural(std::int64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The replace's own lines (the old copy erased) are summed up in the jump list's line,
// which a test run has too; what went wrong comes back in the replace's outcome.
class QuietLog final : public EraseLog {
public:
    void AddLogEntry(const std::string&, const std::string&) noexcept override {}
};

std::int64_t ValueCount(HKEY key)
{
    DWORD values = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return values;
}

void CleanRecentDocsKey(Session& s, EraseContext& c, const RecentScope& scope)
{
    UniqueKey top;
    const std::wstring path = WideFromUtf8(scope.recentDocsKey);
    if (scope.recentDocsKey.empty() ||
        ::RegOpenKeyExW(scope.registryRoot, path.c_str(), 0, kWriteAccess, top.put()) != ERROR_SUCCESS)
        return;
    std::vector<UniqueKey> keys;
    int unopened = 0;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        const LONG result = ::RegEnumKeyExW(top.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        UniqueKey sub;
        // A link among the lists is not followed: its values belong elsewhere.
        DWORD type = 0;
        if (::RegOpenKeyExW(top.get(), name, REG_OPTION_OPEN_LINK, kWriteAccess, sub.put()) == ERROR_SUCCESS &&
            !(::RegQueryValueExW(sub.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
              type == REG_LINK))
            keys.push_back(std::move(sub));
        else
            ++unopened;
    }
    keys.push_back(std::move(top));
    auto total = [&] {
        std::int64_t n = 0;
        for (const UniqueKey& key : keys) n += ValueCount(key.get());
        return n;
    };
    const std::int64_t before = total();
    for (const UniqueKey& key : keys) EraseValues(c, key.get());
    const std::int64_t left = c.run.live ? total() : 0;
    s.run.registryKeys += static_cast<std::int64_t>(keys.size());
    std::string status = Plural(before - left, "entry", "entries") + " removed from " +
                         Plural(static_cast<std::int64_t>(keys.size()), "list", "lists") + ", the keys kept";
    if (left > 0) status += "; " + Plural(left, "entry", "entries") + " could not be removed";
    if (unopened > 0) status += "; " + Plural(unopened, "list", "lists") + " could not be opened";
    s.log.AddLogEntry("Recent documents (RecentDocs)", status);
}

bool IsFolder(const std::string& folder)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CleanShortcuts(Session& s, EraseContext& c, const std::string& folder, const char* what)
{
    if (folder.empty() || !IsFolder(folder)) return;
    WalkRequest request;
    request.display = AddBackslash(folder);
    request.folder = LongPath(folder);
    request.masks = {L"*.LNK"};
    // The jump lists' folders are not shortcuts: their files are edited below, never taken whole.
    request.recurse = false;
    request.hiddenFiles = true;
    const std::int64_t before = s.run.files;
    WalkFolder(c, request);
    s.log.AddLogEntry(std::string(what) + " " + request.display,
                      Plural(s.run.files - before, "shortcut", "shortcuts") + " removed, other files kept");
}

bool EndsWith(const std::wstring& upper, const std::wstring& ending)
{
    return upper.size() > ending.size() && upper.compare(upper.size() - ending.size(), ending.size(), ending) == 0;
}

// The names in a folder ending in `extension`, sorted; a missing folder has none. A file
// an interrupted replace left set aside counts under its own name, so that it is put back.
std::vector<std::wstring> ListedWith(Session& s, const std::string& folder, const char* extension)
{
    std::set<std::wstring> names;
    if (!IsFolder(folder)) return {};
    const FolderListing listing = ListFolder(LongPath(folder));
    if (listing.isLink || listing.error != ERROR_SUCCESS) {
        s.log.AddLogEntry("Jump lists " + AddBackslash(folder),
                          listing.isLink ? "Not cleaned: the folder is a link, which is never followed"
                                         : "Not cleaned: " + ErrorText(listing.error));
        return {};
    }
    const std::wstring ending = UpperCaseWide(WideFromUtf8(extension)), aside = UpperCaseWide(SetAsideName(L""));
    for (const ListedEntry& entry : listing.entries) {
        if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::wstring upper = UpperCaseWide(entry.name);
        if (EndsWith(upper, ending))
            names.insert(entry.name);
        else if (EndsWith(upper, ending + aside) && s.run.live)
            names.insert(entry.name.substr(0, entry.name.size() - aside.size()));
    }
    return {names.begin(), names.end()};
}

std::string JumpListTask(const std::wstring& name, const char* extension)
{
    const std::string appId = Utf8FromWide(name.substr(0, name.size() - std::char_traits<char>::length(extension)));
    if (EqualsIgnoringCase(appId, kQuickAccessAppId)) return "Jump list " + appId + " (Quick Access)";
    return "Jump list " + appId;
}

// The file's bytes, never through a link; empty when it could be read.
std::string ReadJumpList(const std::wstring& path, std::string& bytes)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return "it cannot be read (" + ErrorText(::GetLastError()) + ")";
    const DWORD error = ReadOpenFile(file.get(), kJumpListLimit, bytes);
    if (error == ERROR_FILE_TOO_LARGE) return "it is larger than 64 MB";
    return error == ERROR_SUCCESS ? std::string() : "it cannot be read (" + ErrorText(error) + ")";
}

std::string JumpListStatus(Session& s, const std::wstring& path)
{
    QuietLog quiet;
    EraseContext c{s.run, quiet, s.Yielder(), s.settings.Passes(), s.eraseIo};
    if (std::string problem = RecoverReplace(c, path); !problem.empty()) return "Left as it was: " + problem;
    std::string bytes;
    if (std::string problem = ReadJumpList(path, bytes); !problem.empty()) return "Left as it was: " + problem;
    const JumpListPrune prune = PruneJumpList(bytes);
    if (!prune.problem.empty()) return "Left as it was: " + prune.problem;
    std::string status = Plural(prune.removed, "recent entry", "recent entries") + " removed, " +
                         std::to_string(prune.pinned) + " pinned kept";
    if (prune.removed == 0 || !s.run.live) return status;
    const ReplaceOutcome replaced = ReplaceFileBytes(c, path, bytes, prune.bytes);
    if (!replaced.replaced) return "Left as it was: " + replaced.problem;
    if (!replaced.problem.empty()) status += ", but " + replaced.problem;
    return status;
}

void CleanJumpLists(Session& s, const std::string& recentFolder)
{
    const std::string automatic = recentFolder + "\\AutomaticDestinations";
    for (const std::wstring& name : ListedWith(s, automatic, kAutomatic)) {
        if (s.run.abort) return;
        const std::wstring path = AddBackslashW(LongPath(automatic)) + name;
        s.log.AddLogEntry(JumpListTask(name, kAutomatic), JumpListStatus(s, path));
        s.host.YieldToQueue();
    }
    // Their recent and frequent categories are drawn from the automatic list above; what
    // else they hold (tasks, the application's own lists) the application writes itself,
    // in a layout that is not described well enough to edit safely.
    for (const std::wstring& name : ListedWith(s, recentFolder + "\\CustomDestinations", kCustom))
        s.log.AddLogEntry(JumpListTask(name, kCustom) + " (custom)",
                          "kept: the application's own tasks and lists, which it keeps up itself");
}

} // namespace

RecentScope CurrentRecentScope()
{
    RecentScope scope;
    scope.recentFolder = GetSpecialFolderPath(kRecentFolder);
    const std::string roaming = GetSpecialFolderPath(kRoamingFolder);
    if (!roaming.empty()) scope.officeRecentFolder = roaming + "\\Microsoft\\Office\\Recent";
    scope.recentDocsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
    return scope;
}

void CleanRecentItems(Session& s, const RecentScope& scope)
{
    EraseContext c = s.Erasure();
    CleanRecentDocsKey(s, c, scope);
    if (s.run.abort) return;
    CleanShortcuts(s, c, scope.recentFolder, "Recent shortcuts");
    if (s.run.abort) return;
    CleanShortcuts(s, c, scope.officeRecentFolder, "Office recent shortcuts");
    if (s.run.abort || scope.recentFolder.empty()) return;
    CleanJumpLists(s, scope.recentFolder);
}

} // namespace sweepora
