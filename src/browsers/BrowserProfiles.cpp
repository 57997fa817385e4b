#include "browsers/BrowserProfiles.h"

#include "erasure/FileGuard.h"
#include "platform/ErrorText.h"
#include "platform/FolderListing.h"
#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <nlohmann/json.hpp>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <map>
#include <set>

namespace sweepora {

namespace {

// Real files are a few kilobytes; the bounds only keep garbage from filling memory.
constexpr std::uint64_t kIniLimit = 1u << 20;
constexpr std::uint64_t kLocalStateLimit = 32u << 20;
// Longer than any "\\?\" path the system accepts.
constexpr std::size_t kLongestPath = 32000;
constexpr std::size_t kLongestName = 255;
constexpr std::size_t kLongestDisplayName = 256;
// Broken lines reported one by one; a garbage file would otherwise flood the list.
constexpr int kBrokenLinesShown = 5;
// Far more profiles than anyone keeps; each costs a few file-system calls.
constexpr std::size_t kMostProfiles = 1000;

// Folders at the root of User Data that every profile shares.
const wchar_t* const kSharedFolders[] = {
    L"GrShaderCache", L"ShaderCache", L"GraphiteDawnCache", L"Crashpad", L"Safe Browsing", L"System Profile",
    L"Guest Profile", L"Webstore Downloads", L"component_crx_cache", L"extensions_crx_cache", L"BrowserMetrics",
    L"CertificateRevocation", L"Subresource Filter", L"WidevineCdm", L"Crowd Deny", L"OptimizationHints",
    L"PnaclTranslationCache", L"SSLErrorAssistant", L"FileTypePolicies", L"ZxcvbnData", L"hyphen-data",
    L"Dictionaries", L"MEIPreload", L"OnDeviceHeadSuggestModel", L"TrustTokenKeyCommitments"};

struct ChromiumPlace {
    BrowserId browser;
    bool roaming;
    const wchar_t* path;  // below the AppData folder
    bool single;          // the folder is the one profile (Opera)
    const wchar_t* cache; // below Local AppData, where the caches live apart (Opera); or null
};
const ChromiumPlace kChromiumPlaces[] = {
    {BrowserId::Chrome, false, L"Google\\Chrome\\User Data", false, nullptr},
    {BrowserId::ChromeBeta, false, L"Google\\Chrome Beta\\User Data", false, nullptr},
    {BrowserId::ChromeDev, false, L"Google\\Chrome Dev\\User Data", false, nullptr},
    {BrowserId::ChromeCanary, false, L"Google\\Chrome SxS\\User Data", false, nullptr},
    {BrowserId::Edge, false, L"Microsoft\\Edge\\User Data", false, nullptr},
    {BrowserId::EdgeBeta, false, L"Microsoft\\Edge Beta\\User Data", false, nullptr},
    {BrowserId::EdgeDev, false, L"Microsoft\\Edge Dev\\User Data", false, nullptr},
    {BrowserId::EdgeCanary, false, L"Microsoft\\Edge SxS\\User Data", false, nullptr},
    {BrowserId::Brave, false, L"BraveSoftware\\Brave-Browser\\User Data", false, nullptr},
    {BrowserId::BraveBeta, false, L"BraveSoftware\\Brave-Browser-Beta\\User Data", false, nullptr},
    {BrowserId::BraveNightly, false, L"BraveSoftware\\Brave-Browser-Nightly\\User Data", false, nullptr},
    {BrowserId::Vivaldi, false, L"Vivaldi\\User Data", false, nullptr},
    {BrowserId::Opera, true, L"Opera Software\\Opera Stable", true, L"Opera Software\\Opera Stable"},
    {BrowserId::OperaGX, true, L"Opera Software\\Opera GX Stable", true, L"Opera Software\\Opera GX Stable"},
    {BrowserId::Chromium, false, L"Chromium\\User Data", false, nullptr}};

// profiles.ini lies in `roaming` below its AppData folder; relative profiles keep their
// caches at the same relative path below `local` in Local AppData.
struct FirefoxPlace {
    BrowserId browser;
    bool iniInLocal;
    const wchar_t* ini;
    const wchar_t* local;
};
const FirefoxPlace kFirefoxPlaces[] = {
    {BrowserId::Firefox, false, L"Mozilla\\Firefox", L"Mozilla\\Firefox"},
    // The Microsoft Store package keeps both AppData folders inside its own.
    {BrowserId::Firefox, true, L"Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Roaming\\Mozilla\\Firefox",
     L"Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Local\\Mozilla\\Firefox"},
    {BrowserId::Waterfox, false, L"Waterfox", L"Waterfox"},
    {BrowserId::LibreWolf, false, L"librewolf", L"librewolf"}};

// A browser's channels, and Chromium's own builds, run under one image name; their install
// folders tell them apart.
struct InstallHint {
    BrowserId browser;
    const wchar_t* part; // upper case
};
const InstallHint kInstallHints[] = {
    {BrowserId::Chrome, L"\\GOOGLE\\CHROME\\"},
    {BrowserId::ChromeBeta, L"\\GOOGLE\\CHROME BETA\\"},
    {BrowserId::ChromeDev, L"\\GOOGLE\\CHROME DEV\\"},
    {BrowserId::ChromeCanary, L"\\GOOGLE\\CHROME SXS\\"},
    {BrowserId::Chromium, L"\\CHROMIUM\\"},
    {BrowserId::Edge, L"\\MICROSOFT\\EDGE\\"},
    {BrowserId::EdgeBeta, L"\\MICROSOFT\\EDGE BETA\\"},
    {BrowserId::EdgeDev, L"\\MICROSOFT\\EDGE DEV\\"},
    {BrowserId::EdgeCanary, L"\\MICROSOFT\\EDGE SXS\\"},
    {BrowserId::Brave, L"\\BRAVESOFTWARE\\BRAVE-BROWSER\\"},
    {BrowserId::BraveBeta, L"\\BRAVESOFTWARE\\BRAVE-BROWSER-BETA\\"},
    {BrowserId::BraveNightly, L"\\BRAVESOFTWARE\\BRAVE-BROWSER-NIGHTLY\\"},
    {BrowserId::Opera, L"\\OPERA\\"},
    {BrowserId::OperaGX, L"\\OPERA GX\\"}};

std::wstring Join(const std::wstring& folder, const std::wstring& name)
{
    return AddBackslashW(folder) + name;
}

std::wstring Key(const std::wstring& path)
{
    return AddBackslashW(UpperCaseWide(path));
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() &&
           (a.empty() || ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL);
}

// A name one folder can have: no separators, wildcards, stream marks or control
// characters, and no trailing blank or dot that Win32 would drop.
bool ValidName(const std::wstring& name)
{
    if (name.empty() || name.size() > kLongestName || name == L"." || name == L"..") return false;
    if (name.back() == L' ' || name.back() == L'.') return false;
    for (wchar_t c : name)
        if (c < 0x20 || wcschr(L"\\/:*?\"<>|", c)) return false;
    return true;
}

std::string CutDisplayName(std::string name)
{
    if (name.size() <= kLongestDisplayName) return name;
    std::size_t end = kLongestDisplayName;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end; // whole characters only
    name.resize(end);
    return name;
}

enum class Reach { Folder, Missing, Link };

// Walks from `base` (exclusive) down to `path`, which lies below it: a part that is missing,
// not a folder, or a link ends the walk. `link` names the link found.
Reach WalkDown(const std::wstring& base, const std::wstring& path, std::wstring& link)
{
    std::size_t at = AddBackslashW(base).size();
    if (path.size() < at) return Reach::Missing;
    for (;;) {
        const std::size_t slash = path.find(L'\\', at);
        const std::wstring step = path.substr(0, slash);
        if (!step.empty() && step.back() != L'\\') {
            const DWORD attributes = ::GetFileAttributesW(step.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Reach::Missing;
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                link = step;
                return Reach::Link;
            }
        }
        if (slash == std::wstring::npos || slash + 1 >= path.size()) return Reach::Folder;
        at = slash + 1;
    }
}

std::string LinkReason(const std::wstring& link)
{
    return "it is reached through a link (" + DisplayPath(link) + ")";
}

enum class ReadStatus { Read, Missing, TooLarge, Failed };

ReadStatus ReadBounded(const std::wstring& path, std::uint64_t limit, std::string& contents, DWORD& error)
{
    // The browser may be writing it: share everything.
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing
                                                                                : ReadStatus::Failed;
    }
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size)) {
        error = ::GetLastError();
        return ReadStatus::Failed;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) return ReadStatus::TooLarge;
    std::string data;
    char chunk[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) {
            error = ::GetLastError();
            return ReadStatus::Failed;
        }
        if (read == 0) break;
        data.append(chunk, read);
        // It may have grown since its size was read.
        if (data.size() > limit) return ReadStatus::TooLarge;
    }
    contents.swap(data);
    return ReadStatus::Read;
}

std::string LimitText(std::uint64_t limit)
{
    return std::to_string(limit >> 20) + " MiB";
}

// "Profile 10" after "Profile 9": digits compare as numbers, letters without case.
bool NaturalLess(const std::wstring& a, const std::wstring& b)
{
    const std::wstring x = UpperCaseWide(a), y = UpperCaseWide(b);
    std::size_t i = 0, j = 0;
    const auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    while (i < x.size() && j < y.size()) {
        if (digit(x[i]) && digit(y[j])) {
            while (i < x.size() && x[i] == L'0') ++i;
            while (j < y.size() && y[j] == L'0') ++j;
            std::size_t ei = i, ej = j;
            while (ei < x.size() && digit(x[ei])) ++ei;
            while (ej < y.size() && digit(y[ej])) ++ej;
            if (ei - i != ej - j) return ei - i < ej - j;
            const int order = x.compare(i, ei - i, y, j, ej - j);
            if (order != 0) return order < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (x[i] != y[j]) return x[i] < y[j];
        ++i;
        ++j;
    }
    return x.size() - i < y.size() - j;
}

class Finder {
public:
    Finder(const BrowserRoots& roots, const ProtectedPlaces& places, std::vector<SkippedProfile>* skipped)
        : local_(Root(roots.localAppData)), roaming_(Root(roots.roamingAppData)), places_(places), skipped_(skipped)
    {
    }

    std::vector<BrowserProfile> Run()
    {
        for (const ChromiumPlace& place : kChromiumPlaces) FindChromium(place);
        for (const FirefoxPlace& place : kFirefoxPlaces) FindFirefox(place);
        std::stable_sort(found_.begin(), found_.end(), [](const BrowserProfile& a, const BrowserProfile& b) {
            if (a.browser != b.browser) return a.browser < b.browser;
            const std::wstring x = WideFromUtf8(a.name), y = WideFromUtf8(b.name);
            if (NaturalLess(x, y)) return true;
            if (NaturalLess(y, x)) return false;
            return UpperCaseWide(a.folder) < UpperCaseWide(b.folder);
        });
        return std::move(found_);
    }

private:
    // Only a full path is a root: a relative one would be read against the current folder.
    static std::wstring Root(const std::wstring& folder)
    {
        if (folder.empty() || !IsAbsolutePath(folder)) return {};
        std::wstring path = LongPath(folder);
        while (path.size() > 7 && path.back() == L'\\') path.pop_back();
        return path;
    }

    void Skip(BrowserId browser, std::string entry, std::string reason)
    {
        if (skipped_) skipped_->push_back({browser, std::move(entry), std::move(reason)});
    }

    // False, with the reason told, when the folder lies where no profile may.
    bool Allowed(BrowserId browser, const std::string& entry, const std::wstring& folder)
    {
        const std::string why = CustomDirRefusal(DisplayPath(folder), places_);
        if (why.empty()) return true;
        Skip(browser, entry, why);
        return false;
    }

    void Add(BrowserProfile profile)
    {
        if (!seen_.insert(Key(profile.folder)).second) return; // listed twice
        found_.push_back(std::move(profile));
    }

    // -- Chromium family ----------------------------------------------------------------

    void FindChromium(const ChromiumPlace& place)
    {
        const std::wstring& base = place.roaming ? roaming_ : local_;
        if (base.empty()) return;
        const std::wstring data = Join(base, place.path);
        std::wstring link;
        const Reach reach = WalkDown(base, data, link);
        if (reach == Reach::Missing) return;
        if (reach == Reach::Link) {
            Skip(place.browser, DisplayPath(data), LinkReason(link));
            return;
        }
        if (place.single) {
            const std::wstring cache = place.cache ? Join(local_, place.cache) : std::wstring();
            if (Allowed(place.browser, DisplayPath(data), data))
                Add({place.browser, "Default", data, local_.empty() ? std::wstring() : cache, data});
            return;
        }

        FolderListing listing = ListFolder(data);
        if (listing.isLink) {
            Skip(place.browser, DisplayPath(data), LinkReason(data));
            return;
        }
        if (listing.error != ERROR_SUCCESS) {
            if (listing.error != ERROR_FILE_NOT_FOUND && listing.error != ERROR_PATH_NOT_FOUND)
                Skip(place.browser, DisplayPath(data), "it could not be listed: " + ErrorText(listing.error));
            return;
        }
        std::map<std::wstring, const ListedEntry*> entries; // by upper-case name
        for (const ListedEntry& e : listing.entries) entries[UpperCaseWide(e.name)] = &e;

        // Folder name -> name shown; the folders' own names first, Local State's names over them.
        std::vector<std::pair<std::wstring, std::string>> candidates;
        std::map<std::wstring, std::size_t> known; // upper-case name -> index in candidates
        const auto candidate = [&](const std::wstring& folder, const std::string& shown) {
            const auto [at, added] = known.emplace(UpperCaseWide(folder), candidates.size());
            if (added)
                candidates.emplace_back(folder, shown);
            else if (!shown.empty())
                candidates[at->second].second = shown;
        };
        for (const ListedEntry& e : listing.entries)
            if (IsProfileFolderName(e.name)) candidate(e.name, {});
        std::vector<std::pair<std::string, std::string>> named = LocalStateProfiles(place.browser, data);
        if (named.size() > kMostProfiles) {
            Skip(place.browser, DisplayPath(Join(data, L"Local State")),
                 "it names " + std::to_string(named.size()) + " profiles: only the first " +
                     std::to_string(kMostProfiles) + " were read");
            named.resize(kMostProfiles);
        }
        for (const auto& [folder, shown] : named) {
            const std::wstring wide = WideFromUtf8(folder);
            const std::string entry = DisplayPath(data) + "\\" + folder;
            if (!ValidName(wide)) {
                Skip(place.browser, entry, "Local State names it, but it is not a folder name");
                continue;
            }
            candidate(wide, shown);
        }

        for (const auto& [folder, shown] : candidates) {
            const std::wstring path = Join(data, folder);
            const std::string entry = DisplayPath(path);
            const std::wstring upper = UpperCaseWide(folder);
            if (IsSharedFolder(folder)) {
                Skip(place.browser, entry, "a folder every profile shares, not a profile");
                continue;
            }
            const auto listed = entries.find(upper);
            if (listed == entries.end() || !(listed->second->attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            if (listed->second->attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                Skip(place.browser, entry, LinkReason(path));
                continue;
            }
            // A folder only Local State names must look like a profile.
            if (!IsProfileFolderName(folder) &&
                ::GetFileAttributesW(Join(path, L"Preferences").c_str()) == INVALID_FILE_ATTRIBUTES) {
                Skip(place.browser, entry, "Local State names it, but it holds no Preferences file");
                continue;
            }
            if (!Allowed(place.browser, entry, path)) continue;
            const std::wstring realName = listed->second->name;
            Add({place.browser, CutDisplayName(shown.empty() ? Utf8FromWide(realName) : shown), Join(data, realName),
                 {}, data});
        }
    }

    static bool IsProfileFolderName(const std::wstring& name)
    {
        if (SameName(name, L"Default")) return true;
        const std::wstring prefix = L"Profile ";
        if (name.size() <= prefix.size() || !SameName(name.substr(0, prefix.size()), prefix)) return false;
        return std::all_of(name.begin() + prefix.size(), name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    }

    static bool IsSharedFolder(const std::wstring& name)
    {
        for (const wchar_t* shared : kSharedFolders)
            if (SameName(name, shared)) return true;
        return false;
    }

    // profile.info_cache of Local State: folder name -> the name the browser shows. A
    // missing file says nothing; a broken one is told and the folders speak alone.
    std::vector<std::pair<std::string, std::string>> LocalStateProfiles(BrowserId browser, const std::wstring& data)
    {
        std::vector<std::pair<std::string, std::string>> result;
        const std::wstring path = Join(data, L"Local State");
        std::string text;
        DWORD error = 0;
        const char* fallback = ": the profiles were found by their folder names";
        switch (ReadBounded(path, kLocalStateLimit, text, error)) {
        case ReadStatus::Missing:
            return result;
        case ReadStatus::TooLarge:
            Skip(browser, DisplayPath(path), "it is larger than " + LimitText(kLocalStateLimit) + fallback);
            return result;
        case ReadStatus::Failed:
            Skip(browser, DisplayPath(path), "it could not be read (" + ErrorText(error) + ")" + fallback);
            return result;
        case ReadStatus::Read:
            break;
        }
        const nlohmann::json state = nlohmann::json::parse(text, nullptr, false);
        if (state.is_discarded() || !state.is_object()) {
            Skip(browser, DisplayPath(path), std::string("it is not valid JSON") + fallback);
            return result;
        }
        const auto profile = state.find("profile");
        if (profile == state.end() || !profile->is_object()) return result;
        const auto cache = profile->find("info_cache");
        if (cache == profile->end() || !cache->is_object()) return result;
        for (const auto& [folder, info] : cache->items()) {
            std::string shown;
            if (info.is_object()) {
                const auto name = info.find("name");
                if (name != info.end() && name->is_string()) shown = name->get<std::string>();
            }
            result.emplace_back(folder, shown);
        }
        return result;
    }

    // -- Firefox family -----------------------------------------------------------------

    struct IniSection {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
        const std::string* Value(const char* key) const
        {
            for (const auto& v : values)
                if (v.first == key) return &v.second;
            return nullptr;
        }
    };

    static std::string Trim(const std::string& text)
    {
        const std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos) return {};
        return text.substr(first, text.find_last_not_of(" \t") - first + 1);
    }

    std::vector<IniSection> ParseIni(BrowserId browser, const std::string& iniShown, std::string text)
    {
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        std::vector<IniSection> sections;
        int lineNumber = 0, broken = 0;
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(at, end - at);
            at = end + 1;
            ++lineNumber;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            line = Trim(line);
            if (line.empty() || line[0] == ';' || line[0] == '#') continue;
            const bool binary = line.find('\0') != std::string::npos;
            if (!binary && line.front() == '[' && line.back() == ']') {
                sections.push_back({Trim(line.substr(1, line.size() - 2)), {}});
                continue;
            }
            const std::size_t equals = line.find('=');
            if (!binary && equals != std::string::npos && equals > 0) {
                if (!sections.empty())
                    sections.back().values.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
                continue;
            }
            if (++broken <= kBrokenLinesShown)
                Skip(browser, iniShown + " line " + std::to_string(lineNumber), "not a [section] or name=value line");
        }
        if (broken > kBrokenLinesShown)
            Skip(browser, iniShown, std::to_string(broken - kBrokenLinesShown) + " more lines that are not settings");
        return sections;
    }

    static bool IsProfileSection(const std::string& name)
    {
        const std::string prefix = "Profile";
        return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
               std::all_of(name.begin() + prefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
    }

    void FindFirefox(const FirefoxPlace& place)
    {
        const std::wstring& base = place.iniInLocal ? local_ : roaming_;
        if (base.empty()) return;
        const std::wstring iniFolder = Join(base, place.ini);
        const std::wstring iniPath = Join(iniFolder, L"profiles.ini");
        const std::string iniShown = DisplayPath(iniPath);
        std::wstring link;
        const Reach reach = WalkDown(base, iniFolder, link);
        if (reach == Reach::Missing) return;
        if (reach == Reach::Link) {
            Skip(place.browser, iniShown, LinkReason(link));
            return;
        }
        std::string text;
        DWORD error = 0;
        switch (ReadBounded(iniPath, kIniLimit, text, error)) {
        case ReadStatus::Missing:
            return;
        case ReadStatus::TooLarge:
            Skip(place.browser, iniShown, "it is larger than " + LimitText(kIniLimit) + ": no profile read from it");
            return;
        case ReadStatus::Failed:
            Skip(place.browser, iniShown, "it could not be read: " + ErrorText(error));
            return;
        case ReadStatus::Read:
            break;
        }
        const std::wstring localFolder = local_.empty() ? std::wstring() : Join(local_, place.local);
        std::size_t read = 0, unread = 0;
        for (const IniSection& section : ParseIni(place.browser, iniShown, std::move(text))) {
            if (!IsProfileSection(section.name)) continue;
            if (read++ < kMostProfiles)
                FirefoxProfile(place.browser, base, iniFolder, localFolder, iniShown + " [" + section.name + "]",
                               section);
            else
                ++unread;
        }
        if (unread)
            Skip(place.browser, iniShown,
                 std::to_string(unread) + " more profiles than the " + std::to_string(kMostProfiles) + " read");
    }

    void FirefoxProfile(BrowserId browser, const std::wstring& base, const std::wstring& iniFolder,
                        const std::wstring& localRoot, const std::string& entry, const IniSection& section)
    {
        const char* browserName = BrowserOf(browser).name;
        const std::string* pathValue = section.Value("Path");
        if (!pathValue || pathValue->empty()) {
            Skip(browser, entry, "it names no Path");
            return;
        }
        const std::wstring value = WideFromUtf8(*pathValue);
        if (value.size() > kLongestPath) {
            Skip(browser, entry, "its Path is longer than Windows allows");
            return;
        }
        const std::string* relativeValue = section.Value("IsRelative");
        const bool relative = relativeValue && *relativeValue == "1";
        const bool rooted = IsAbsolutePath(value) || value[0] == L'\\' || value[0] == L'/' ||
                            value.find(L':') != std::wstring::npos;

        std::wstring folder, local, walkFrom;
        if (relative) {
            if (rooted) {
                Skip(browser, entry, "IsRelative=1, but its Path is not relative");
                return;
            }
            // Resolved here: a "\\?\" path is taken literally, ".." and all.
            std::vector<std::wstring> parts;
            for (std::wstring_view part : PathParts(std::wstring_view(value))) {
                if (part == L".") continue;
                if (part == L"..") {
                    if (parts.empty()) {
                        Skip(browser, entry, std::string("its Path leaves ") + browserName + "'s folder through \"..\"");
                        return;
                    }
                    parts.pop_back();
                    continue;
                }
                if (!ValidName(std::wstring(part))) {
                    Skip(browser, entry, "its Path holds a name no folder can have");
                    return;
                }
                parts.emplace_back(part);
            }
            std::wstring rest;
            for (const std::wstring& part : parts) rest += (rest.empty() ? L"" : L"\\") + part;
            folder = rest.empty() ? iniFolder : Join(iniFolder, rest);
            local = rest.empty() || localRoot.empty() ? std::wstring() : Join(localRoot, rest);
            walkFrom = base;
        } else {
            // "\\?\" would be taken literally, ".." and all; Firefox writes no such path.
            if (value.compare(0, 4, L"\\\\?\\") == 0 || value.compare(0, 4, L"\\\\.\\") == 0) {
                Skip(browser, entry, "its Path is a device path");
                return;
            }
            if (!IsAbsolutePath(value)) {
                Skip(browser, entry, "its Path is neither a full path nor marked IsRelative=1");
                return;
            }
            folder = LongPath(value);
            while (!folder.empty() && folder.back() == L'\\' && !IsVolumeRoot(Key(folder))) folder.pop_back();
            for (std::wstring_view part : PathParts(std::wstring_view(folder).substr(4))) {
                // The first part is the drive ("C:") or, for a share, "UNC".
                if (part.size() == 2 && part[1] == L':') continue;
                if (!ValidName(std::wstring(part))) {
                    Skip(browser, entry, "its Path holds a name no folder can have");
                    return;
                }
            }
            // Firefox keeps the cache of a profile outside its folders in the profile itself.
            local = folder;
            walkFrom = folder.substr(0, folder.find(L'\\', 4) + 1);
            if (folder.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
                const std::size_t server = folder.find(L'\\', 8);
                const std::size_t share = server == std::wstring::npos ? server : folder.find(L'\\', server + 1);
                walkFrom = share == std::wstring::npos ? folder : folder.substr(0, share + 1);
            }
        }

        const std::wstring key = Key(folder), iniKey = Key(iniFolder);
        if (IsVolumeRoot(key)) {
            Skip(browser, entry, "it is the root of a drive");
            return;
        }
        std::wstring link;
        const Reach reach = WalkDown(walkFrom, folder, link);
        if (reach == Reach::Missing) return;
        if (reach == Reach::Link) {
            Skip(browser, entry, LinkReason(link));
            return;
        }
        if (!Allowed(browser, entry, folder)) return;
        if (key == iniKey) {
            Skip(browser, entry, std::string("it is ") + browserName + "'s own folder, not a profile");
            return;
        }
        if (IsSameOrInside(iniKey, key)) {
            Skip(browser, entry, std::string("it holds ") + browserName + "'s own folder");
            return;
        }
        const std::string* name = section.Value("Name");
        std::string shown = name && !name->empty() ? *name : Utf8FromWide(folder.substr(folder.find_last_of(L'\\') + 1));
        Add({browser, CutDisplayName(std::move(shown)), folder, local, iniFolder});
    }

    std::wstring local_, roaming_;
    const ProtectedPlaces& places_;
    std::vector<SkippedProfile>* skipped_;
    std::vector<BrowserProfile> found_;
    std::set<std::wstring> seen_;
};

bool SameImage(const std::wstring& a, const std::wstring& b)
{
    return SameName(a, b);
}

bool ListsImage(const Browser& browser, const std::wstring& image)
{
    for (const std::wstring& own : browser.images)
        if (SameImage(own, image)) return true;
    return false;
}

// Whether the process is this browser's: by its image, and where browsers share an image,
// by the folder it was started from. A shared image whose folder does not say is nobody's
// here: the profiles' locks tell then which of them runs.
bool IsProcessOf(const Browser& browser, const RunningProcess& process)
{
    if (!ListsImage(browser, process.image)) return false;
    const bool shared = std::any_of(KnownBrowsers().begin(), KnownBrowsers().end(), [&](const Browser& other) {
        return other.id != browser.id && ListsImage(other, process.image);
    });
    if (!shared) return true;
    const std::wstring path = UpperCaseWide(process.path);
    for (const InstallHint& hint : kInstallHints)
        if (hint.browser == browser.id && path.find(hint.part) != std::wstring::npos) return true;
    return false;
}

// Opened sharing everything, the lock opens unless a holder refused to share what is asked:
// Firefox shares nothing, the Chromium family no writing. A reader that shares all does not count.
bool LockHeld(const std::wstring& path)
{
    for (DWORD access : {GENERIC_READ | GENERIC_WRITE, GENERIC_READ}) {
        UniqueFile probe(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
        if (probe) return false;
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
        // A lock the user may not write to can still tell a holder that shares no reading.
        if (error != ERROR_ACCESS_DENIED) return false;
    }
    return false;
}

} // namespace

const std::vector<Browser>& KnownBrowsers()
{
    static const std::vector<Browser> browsers = {
        {BrowserId::Chrome, "Google Chrome", BrowserFamily::Chromium, {L"chrome.exe"}},
        {BrowserId::ChromeBeta, "Google Chrome Beta", BrowserFamily::Chromium, {L"chrome.exe"}},
        {BrowserId::ChromeDev, "Google Chrome Dev", BrowserFamily::Chromium, {L"chrome.exe"}},
        {BrowserId::ChromeCanary, "Google Chrome Canary", BrowserFamily::Chromium, {L"chrome.exe"}},
        {BrowserId::Edge, "Microsoft Edge", BrowserFamily::Chromium, {L"msedge.exe"}},
        {BrowserId::EdgeBeta, "Microsoft Edge Beta", BrowserFamily::Chromium, {L"msedge.exe"}},
        {BrowserId::EdgeDev, "Microsoft Edge Dev", BrowserFamily::Chromium, {L"msedge.exe"}},
        {BrowserId::EdgeCanary, "Microsoft Edge Canary", BrowserFamily::Chromium, {L"msedge.exe"}},
        {BrowserId::Brave, "Brave", BrowserFamily::Chromium, {L"brave.exe"}},
        {BrowserId::BraveBeta, "Brave Beta", BrowserFamily::Chromium, {L"brave.exe"}},
        {BrowserId::BraveNightly, "Brave Nightly", BrowserFamily::Chromium, {L"brave.exe"}},
        {BrowserId::Vivaldi, "Vivaldi", BrowserFamily::Chromium, {L"vivaldi.exe"}},
        {BrowserId::Opera, "Opera", BrowserFamily::Chromium, {L"opera.exe"}},
        {BrowserId::OperaGX, "Opera GX", BrowserFamily::Chromium, {L"opera.exe"}},
        {BrowserId::Chromium, "Chromium", BrowserFamily::Chromium, {L"chrome.exe"}},
        {BrowserId::Firefox, "Firefox", BrowserFamily::Firefox, {L"firefox.exe"}},
        {BrowserId::Waterfox, "Waterfox", BrowserFamily::Firefox, {L"waterfox.exe"}},
        {BrowserId::LibreWolf, "LibreWolf", BrowserFamily::Firefox, {L"librewolf.exe"}}};
    return browsers;
}

const Browser& BrowserOf(BrowserId id)
{
    return KnownBrowsers()[static_cast<std::size_t>(id)];
}

BrowserRoots CurrentBrowserRoots()
{
    return {ShellFolderPath(CSIDL_LOCAL_APPDATA), ShellFolderPath(CSIDL_APPDATA)};
}

std::vector<BrowserProfile> FindBrowserProfiles(const BrowserRoots& roots, std::vector<SkippedProfile>* skipped)
{
    return FindBrowserProfiles(roots, CurrentProtectedPlaces(), skipped);
}

std::vector<BrowserProfile> FindBrowserProfiles(const BrowserRoots& roots, const ProtectedPlaces& places,
                                                std::vector<SkippedProfile>* skipped)
{
    return Finder(roots, places, skipped).Run();
}

std::vector<RunningProcess> CurrentProcesses()
{
    std::vector<RunningProcess> processes;
    UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return processes;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    std::vector<wchar_t> path(32768);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        RunningProcess process;
        process.image = entry.szExeFile;
        UniqueKernelHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        DWORD size = static_cast<DWORD>(path.size());
        if (handle && ::QueryFullProcessImageNameW(handle.get(), 0, path.data(), &size))
            process.path.assign(path.data(), size);
        processes.push_back(std::move(process));
    }
    return processes;
}

std::vector<std::wstring> RunningImages(const std::vector<std::wstring>& images, const ProcessSource& processes)
{
    std::vector<std::wstring> running;
    const std::vector<RunningProcess> now = processes();
    for (const std::wstring& image : images) {
        const bool runs = std::any_of(now.begin(), now.end(),
                                      [&](const RunningProcess& p) { return SameImage(p.image, image); });
        const bool told = std::any_of(running.begin(), running.end(),
                                      [&](const std::wstring& r) { return SameImage(r, image); });
        if (runs && !told) running.push_back(image);
    }
    return running;
}

std::vector<BrowserId> RunningBrowsers(const ProcessSource& processes)
{
    std::vector<BrowserId> running;
    const std::vector<RunningProcess> now = processes();
    for (const Browser& browser : KnownBrowsers())
        if (std::any_of(now.begin(), now.end(), [&](const RunningProcess& p) { return IsProcessOf(browser, p); }))
            running.push_back(browser.id);
    return running;
}

std::string BrowserRunningReason(BrowserId id)
{
    return std::string(BrowserOf(id).name) + " is running: close it first, then clean again";
}

std::string ProfileInUse(const BrowserProfile& profile)
{
    // Firefox holds parent.lock in the profile without sharing; the Chromium family holds
    // "lockfile" in User Data open for writing, shared for reading only.
    const bool firefox = BrowserOf(profile.browser).family == BrowserFamily::Firefox;
    const std::wstring lock = firefox ? Join(profile.folder, L"parent.lock") : Join(profile.dataFolder, L"lockfile");
    return LockHeld(lock) ? BrowserRunningReason(profile.browser) : std::string();
}

} // namespace sweepora
