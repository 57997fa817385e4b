#include "erasure/FileGuard.h"

#include "erasure/GuardRules.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string_view>

namespace sweepora {

namespace {

using View = std::wstring_view;

// ---------------------------------------------------------------------------------------
// Masks, upper-cased.

bool IsWildcard(wchar_t c)
{
    return c == L'*' || c == L'?';
}

// What no file name holds: such a mask is a mistake or a trick.
bool MalformedMask(View mask)
{
    if (mask.empty()) return true;
    for (wchar_t c : mask)
        if (c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|')
            return true;
    return false;
}

bool EveryFileMask(View mask)
{
    return !mask.empty() && mask.find_first_not_of(L"*?.") == View::npos;
}

bool IsTraceExtension(View extension)
{
    for (const FileKindRow& row : FileKindTable())
        if (row.kind == FileKind::Trace)
            return std::find(row.extensions.begin(), row.extensions.end(), extension) != row.extensions.end();
    return false;
}

// "*.LOG", "*.LOG*", "*.LOG.1", "*.INSTALLLOG", "*-JOURNAL", "*_OLD": logs, temporary files,
// backups and dumps by how their names end, numbered or not.
bool TraceEnding(View mask)
{
    View rest = mask;
    while (!rest.empty()) {
        const std::size_t cut = rest.find_last_of(L"._-~");
        if (cut == View::npos) return false;
        View ending = rest.substr(cut + 1);
        while (!ending.empty() && (IsWildcard(ending.back()) || iswdigit(ending.back()))) ending.remove_suffix(1);
        if (!ending.empty()) {
            if (ending.find_first_of(L"*?") != View::npos) return false;
            if (ending == L"JOURNAL" || IsTraceExtension(ending)) return true;
            return rest[cut] == L'.' && ending.find(L"LOG") != View::npos;
        }
        rest = rest.substr(0, cut);
    }
    return false;
}

// "SIGVERIF.TXT", "MODEMLOG_*.TXT", "NETWORK PERSISTENT STATE": one file's name, with any
// wildcard after a fixed beginning of three characters or more.
bool NamedInFull(View mask)
{
    const std::size_t wildcard = mask.find_first_of(L"*?");
    return wildcard == View::npos || wildcard >= 3;
}

// Where traces only may go: a mask for traces by how names end or by a name that says
// log, error, crash, debug or dump, an installer left behind by its name, or one file
// named in full that is nothing that never goes. What kind each file is still decides
// whether it goes.
bool TraceMask(View mask)
{
    if (TraceEnding(mask)) return true;
    const std::size_t dot = mask.rfind(L'.');
    const View stem = dot == View::npos ? mask : mask.substr(0, dot);
    if (NamesLogs(stem) || stem.find(L"CACHE") != View::npos || (NamesInstaller(stem) && dot != View::npos))
        return true;
    if (!NamedInFull(mask)) return false;
    std::wstring name(mask);
    name.erase(std::remove_if(name.begin(), name.end(), IsWildcard), name.end());
    switch (KindOfFile(name)) {
    case FileKind::Program:
    case FileKind::Secret:
    case FileKind::BrowserStore:
    case FileKind::DiskImage:
        return false;
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------------------
// Places.

constexpr std::size_t kDriveRootLength = 7; // "\\?\C:\"

enum class PathKind { Drive, Network, NoDrive, Malformed };

// Canonical input only: a misspelt path must not slip past a comparison.
PathKind KindOfPath(View folder)
{
    if (folder.compare(0, 4, L"\\\\?\\") != 0) return PathKind::Malformed;
    if (folder.compare(0, 8, L"\\\\?\\UNC\\") == 0) return PathKind::Network;
    // "\\?\Volume{...}\", and Wine's "\\?\unix\" for what lies outside its drives.
    if (folder.size() < kDriveRootLength || folder[4] < L'A' || folder[4] > L'Z' || folder[5] != L':' ||
        folder[6] != L'\\')
        return PathKind::NoDrive;
    if (folder.back() != L'\\') return PathKind::Malformed;
    std::size_t partStart = kDriveRootLength;
    for (std::size_t i = kDriveRootLength; i < folder.size(); ++i) {
        const wchar_t c = folder[i];
        if (c < 0x20 || (c >= L'a' && c <= L'z') || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' ||
            c == L'<' || c == L'>' || c == L'|')
            return PathKind::Malformed;
        if (c != L'\\') continue;
        const View part = folder.substr(partStart, i - partStart);
        if (part.empty() || part == L"." || part == L"..") return PathKind::Malformed;
        partStart = i + 1;
    }
    return PathKind::Drive;
}

// Where the folders inside `place` begin in a path: places are canonical, with a trailing
// backslash, but a hand-made one without it must not match "C:\WINDOWSOLD" for "C:\WINDOWS".
bool Inside(View folder, View place, std::size_t& start)
{
    if (place.empty() || folder.size() < place.size() || folder.compare(0, place.size(), place) != 0) return false;
    if (place.back() == L'\\') {
        start = place.size();
        return true;
    }
    if (folder.size() == place.size() || folder[place.size()] != L'\\') return false;
    start = place.size() + 1;
    return true;
}

bool Inside(View folder, View place)
{
    std::size_t start = 0;
    return Inside(folder, place, start);
}

// The number of folders below `start`: "A\B\" is 2.
int DepthFrom(View folder, std::size_t start)
{
    int depth = 0;
    for (std::size_t i = start; i < folder.size(); ++i) depth += folder[i] == L'\\';
    return depth;
}

// Calls `each` with every part of the path from `start` on.
template <typename Each>
bool AnyPart(View folder, std::size_t start, Each each)
{
    for (std::size_t at = start; at < folder.size();) {
        const std::size_t end = folder.find(L'\\', at);
        if (end == View::npos) break;
        if (each(folder.substr(at, end - at))) return true;
        at = end + 1;
    }
    return false;
}

// Folders at the root of every drive that hold the system's start, its restore points,
// every user's deleted files and installations under way.
constexpr const wchar_t* kDriveSystemFolders[] = {L"$RECYCLE.BIN\\", L"RECYCLER\\", L"SYSTEM VOLUME INFORMATION\\",
                                                  L"BOOT\\",         L"EFI\\",      L"RECOVERY\\",
                                                  L"CONFIG.MSI\\"};

// The Windows folder's trace folders.
constexpr const wchar_t* kWindowsTraceFolders[] = {
    L"TEMP\\",    L"SYSTEMTEMP\\", L"LOGS\\",  L"MINIDUMP\\", L"LIVEKERNELREPORTS\\", L"PREFETCH\\",
    L"PANTHER\\", L"DEBUG\\",      L"SOFTWAREDISTRIBUTION\\DOWNLOAD\\"};

// The AppData of the profiles the system's services run under.
constexpr const wchar_t* kServiceProfiles[] = {L"SYSTEM32\\CONFIG\\SYSTEMPROFILE\\", L"SYSWOW64\\CONFIG\\SYSTEMPROFILE\\",
                                               L"SERVICEPROFILES\\LOCALSERVICE\\",
                                               L"SERVICEPROFILES\\NETWORKSERVICE\\"};
constexpr const wchar_t* kAppDataRoots[] = {L"APPDATA\\ROAMING\\", L"APPDATA\\LOCAL\\", L"APPDATA\\LOCALLOW\\"};

// Below the Microsoft folder of AppData or ProgramData: keys, certificates, credentials
// (losing them loses every password and encrypted file), and the Start menu.
constexpr const wchar_t* kKeyStores[] = {L"MICROSOFT\\PROTECT\\", L"MICROSOFT\\CRYPTO\\",
                                         L"MICROSOFT\\SYSTEMCERTIFICATES\\", L"MICROSOFT\\CREDENTIALS\\",
                                         L"MICROSOFT\\VAULT\\", L"MICROSOFT\\WINDOWS\\START MENU\\"};

// What Windows itself installs in Program Files: as much the system as the Windows folder.
constexpr const wchar_t* kWindowsInProgramFiles[] = {
    L"COMMON FILES\\MICROSOFT SHARED\\", L"INTERNET EXPLORER\\", L"MODIFIABLEWINDOWSAPPS\\", L"WINDOWS DEFENDER\\",
    L"WINDOWS DEFENDER ADVANCED THREAT PROTECTION\\", L"WINDOWS MAIL\\", L"WINDOWS MEDIA PLAYER\\", L"WINDOWS NT\\",
    L"WINDOWS PHOTO VIEWER\\", L"WINDOWS PORTABLE DEVICES\\", L"WINDOWS SECURITY\\", L"WINDOWS SIDEBAR\\",
    L"WINDOWSAPPS\\", L"WINDOWSPOWERSHELL\\"};

// Direct children of Local (and LocalLow) AppData that only hold traces.
constexpr const wchar_t* kLocalTraceFolders[] = {L"TEMP\\", L"CRASHDUMPS\\", L"D3DSCACHE\\"};

// One place a folder may lie in: its root, what kind of place it is and how refusals name it.
struct Anchor {
    std::wstring root;
    PlaceKind kind;
    const char* name;
};

// A folder as the rules see it.
struct Where {
    PlaceKind kind = PlaceKind::Never;
    const char* place = "";
    int depth = 0;      // folders below the place's root; 0 is the root itself
    bool trace = false; // a trace folder, or below one
};

// How refusals name a folder below a place's root.
const char* BelowName(PlaceKind kind)
{
    switch (kind) {
    case PlaceKind::UserData:
        return "a folder in the user's places";
    case PlaceKind::ProgramData:
        return "an application's data";
    case PlaceKind::ProgramFiles:
        return "an application in Program Files";
    case PlaceKind::Windows:
        return "the Windows folder";
    default:
        return "a folder outside the known places";
    }
}

bool PlacesKnown(const ProtectedPlaces& p)
{
    return !p.windows.empty() && !p.profile.empty();
}

std::wstring Below(const std::wstring& root, const wchar_t* rest)
{
    return root.empty() ? std::wstring() : root + rest;
}

std::vector<Anchor> Anchors(const ProtectedPlaces& p, bool withTemp);

// The temporary folder is a trace folder only where emptying it cannot harm a place.
bool TempIsTraceFolder(const ProtectedPlaces& p);

Where Locate(const ProtectedPlaces& p, View folder, bool withTemp = true)
{
    Where w;
    switch (KindOfPath(folder)) {
    case PathKind::Network:
        w.place = "a network folder";
        return w;
    case PathKind::NoDrive:
        w.place = "a folder on no drive letter";
        return w;
    case PathKind::Malformed:
        w.place = "what is not a canonical folder path";
        return w;
    case PathKind::Drive:
        break;
    }
    if (!PlacesKnown(p)) {
        w.place = "a machine whose Windows folder or profile is unknown";
        return w;
    }
    for (const wchar_t* system : kDriveSystemFolders) {
        if (folder.compare(kDriveRootLength, View(system).size(), system) == 0) {
            w.place = "a system folder of the drive";
            return w;
        }
    }
    const bool keyStore = AnyPart(folder, kDriveRootLength, [](View part) {
        const auto& never = NeverFolderNames();
        return std::find(never.begin(), never.end(), part) != never.end();
    });
    if (keyStore) {
        w.place = "a store of keys or passwords";
        return w;
    }
    std::size_t start = 0;
    if (Inside(folder, p.profilesRoot, start) && start < folder.size() && !Inside(folder, p.profile) &&
        !Inside(folder, p.publicProfile)) {
        w.place = "another user's profile";
        return w;
    }
    for (const std::wstring* data : {&p.programData, &p.roamingAppData, &p.localAppData, &p.localLowAppData}) {
        if (!Inside(folder, *data, start)) continue;
        for (const wchar_t* store : kKeyStores) {
            if (folder.compare(start, View(store).size(), store) == 0) {
                w.place = "a store of keys, certificates or credentials, or the Start menu";
                return w;
            }
        }
    }
    const Anchor* best = nullptr;
    std::size_t bestStart = 0;
    const std::vector<Anchor> anchors = Anchors(p, withTemp);
    for (const Anchor& a : anchors) {
        if (Inside(folder, a.root, start) && (!best || start > bestStart)) {
            best = &a;
            bestStart = start;
        }
    }
    w.kind = best ? best->kind : PlaceKind::Outside;
    w.place = best ? best->name : folder.size() == kDriveRootLength ? "the root of a drive" : "a folder outside the known places";
    if (!best) bestStart = kDriveRootLength;
    // The profile's dot folders (".dotnet", ".vscode") are applications' data.
    if (best && best->root == p.profile && bestStart < folder.size() && folder[bestStart] == L'.') {
        w.kind = PlaceKind::ProgramData;
        w.place = "a dot folder of the profile";
    }
    w.depth = DepthFrom(folder, bestStart);
    if (w.depth > 0 && w.kind != PlaceKind::TraceFolder) w.place = BelowName(w.kind);
    w.trace = w.kind == PlaceKind::TraceFolder || AnyPart(folder, bestStart, IsTraceFolderName);
    return w;
}

std::vector<Anchor> Anchors(const ProtectedPlaces& p, bool withTemp)
{
    std::vector<Anchor> a;
    const auto add = [&a](std::wstring root, PlaceKind kind, const char* name) {
        if (!root.empty()) a.push_back({std::move(root), kind, name});
    };
    add(p.profilesRoot, PlaceKind::UserData, "the folder of every user's profile");
    add(p.profile, PlaceKind::UserData, "the profile folder");
    add(p.publicProfile, PlaceKind::UserData, "the Public profile");
    for (const std::wstring& own : p.userFolders) {
        add(own, PlaceKind::UserData, "a user's own folder");
        add(Below(own, L"MY GAMES\\"), PlaceKind::UserData, "the folder of every game");
    }
    const struct {
        const std::wstring* root;
        const char* name;
        const char* microsoft;
    } data[] = {{&p.programData, "the ProgramData folder", "the Microsoft folder of ProgramData"},
                {&p.roamingAppData, "the Roaming AppData folder", "the Microsoft folder of Roaming AppData"},
                {&p.localAppData, "the Local AppData folder", "the Microsoft folder of Local AppData"},
                {&p.localLowAppData, "the LocalLow AppData folder", "the Microsoft folder of LocalLow AppData"}};
    for (const auto& d : data) {
        add(*d.root, PlaceKind::ProgramData, d.name);
        add(Below(*d.root, L"MICROSOFT\\"), PlaceKind::ProgramData, d.microsoft);
        add(Below(*d.root, L"MICROSOFT\\WINDOWS\\"), PlaceKind::ProgramData, d.microsoft);
    }
    add(Below(p.localAppData, L"PACKAGES\\"), PlaceKind::ProgramData, "the folder of every store application");
    for (const wchar_t* trace : kLocalTraceFolders)
        add(Below(p.localAppData, trace), PlaceKind::TraceFolder, "a trace folder of Local AppData");
    add(Below(p.localLowAppData, L"TEMP\\"), PlaceKind::TraceFolder, "a trace folder of LocalLow AppData");
    for (const std::wstring& programs : p.programFiles) {
        add(programs, PlaceKind::ProgramFiles, "a Program Files folder");
        add(Below(programs, L"COMMON FILES\\"), PlaceKind::ProgramFiles, "a Program Files folder");
    }
    for (const std::wstring& programs : p.programFiles)
        for (const wchar_t* part : kWindowsInProgramFiles)
            add(Below(programs, part), PlaceKind::Windows, "a part of Windows in Program Files");
    add(p.windows, PlaceKind::Windows, "the Windows folder");
    for (const wchar_t* trace : kWindowsTraceFolders)
        add(Below(p.windows, trace), PlaceKind::TraceFolder, "a trace folder of Windows");
    for (const wchar_t* service : kServiceProfiles)
        for (const wchar_t* appData : kAppDataRoots)
            add(Below(p.windows, service) + appData, PlaceKind::ProgramData, "a service's AppData");
    if (withTemp && TempIsTraceFolder(p)) add(p.temp, PlaceKind::TraceFolder, "the temporary folder");
    return a;
}

bool TempIsTraceFolder(const ProtectedPlaces& p)
{
    if (KindOfPath(p.temp) != PathKind::Drive || DepthFrom(p.temp, kDriveRootLength) == 0) return false;
    for (const Anchor& a : Anchors(p, false))
        if (a.root.size() > kDriveRootLength && Inside(a.root, p.temp)) return false;
    const Where w = Locate(p, p.temp, false);
    return w.depth > 0 && (w.kind == PlaceKind::ProgramData || w.kind == PlaceKind::UserData ||
                           w.kind == PlaceKind::Outside || w.kind == PlaceKind::TraceFolder);
}

// ---------------------------------------------------------------------------------------
// What each kind of place allows.

struct Allowance {
    bool tracesOnly = true; // masks for traces only
    bool everyFile = false;
    bool recurse = false;
    bool removeSelf = false;
};

Allowance AllowanceOf(const Where& w)
{
    Allowance a;
    const Allowance all{false, true, true, true};
    switch (w.kind) {
    case PlaceKind::Never:
        a.tracesOnly = false;
        break;
    case PlaceKind::TraceFolder:
        a = all;
        a.removeSelf = w.depth > 0;
        break;
    case PlaceKind::UserData:
        // A folder directly in a user's folder is the user's own; an application's lies deeper.
        if (w.depth > 0) a = w.trace || w.depth > 1 ? all : Allowance{true, false, true, false};
        break;
    case PlaceKind::Outside:
        if (w.depth > 0) a = w.trace ? all : Allowance{true, false, true, false};
        break;
    case PlaceKind::ProgramData:
    case PlaceKind::ProgramFiles:
        if (w.depth > 0) a = all;
        break;
    case PlaceKind::Windows:
        if (w.trace) a = all;
        a.recurse = a.recurse || w.depth > 0;
        break;
    }
    return a;
}

// Why `kind` stays in the place, or nullptr when it may go.
const char* KindStays(const Where& w, FileKind kind, bool hasExtension)
{
    switch (kind) {
    case FileKind::Secret:
    case FileKind::BrowserStore:
    case FileKind::DiskImage:
        return "it never goes, wherever it is";
    default:
        break;
    }
    const bool user = w.kind == PlaceKind::UserData || w.kind == PlaceKind::Outside;
    if (user && (kind == FileKind::Content || kind == FileKind::Media)) return "the user's own files never go from here";
    if (w.kind == PlaceKind::ProgramFiles && kind == FileKind::Program) return "programs never go from Program Files";
    if (w.trace) return nullptr;
    switch (w.kind) {
    case PlaceKind::UserData:
    case PlaceKind::Outside:
        if (kind == FileKind::Text || kind == FileKind::Program || kind == FileKind::Installer ||
            kind == FileKind::Settings)
            return "it goes from here only out of a trace folder";
        break;
    case PlaceKind::ProgramData:
        if (kind == FileKind::Content) return "it goes from here only out of a trace folder";
        break;
    case PlaceKind::Windows:
        if (kind == FileKind::Program || kind == FileKind::Installer || kind == FileKind::Settings || !hasExtension)
            return "the Windows folder keeps its programs, its settings and files without an extension";
        break;
    default:
        break;
    }
    return nullptr;
}

const char* KindTitle(FileKind kind)
{
    for (const FileKindRow& row : FileKindTable())
        if (row.kind == kind) return row.title;
    return "a file";
}

// ---------------------------------------------------------------------------------------
// Reasons.

std::string Shown(const std::wstring& canonical)
{
    std::string shown = DisplayPath(canonical);
    if (shown.size() > 3 && shown.back() == '\\') shown.pop_back();
    return shown;
}

std::string ShownMask(const std::wstring& mask)
{
    return mask.empty() ? std::string("an empty mask") : Utf8FromWide(mask);
}

std::string MaskRefusal(const Where& w, const Allowance& a, View upper)
{
    if (MalformedMask(upper)) return "not a mask for file names";
    if (w.kind == PlaceKind::Never) return std::string("nothing in ") + w.place + " is ever erased";
    if (EveryFileMask(upper) && !a.everyFile)
        return std::string("a mask for every file in ") + w.place + (w.depth == 0 ? "" : " outside a trace folder");
    if (a.tracesOnly && !TraceMask(upper))
        return std::string("only logs, temporary files, backups, dumps and files named in full go from ") + w.place;
    return {};
}

bool MalformedName(View name)
{
    if (name.empty() || name == L"." || name == L"..") return true;
    for (wchar_t c : name)
        if (c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'<' || c == L'>' ||
            c == L'"' || c == L'|')
            return true;
    return false;
}

// Why the file stays; empty when it may go.
std::string FileStays(const Where& w, View name)
{
    if (MalformedName(name)) return "not a file name";
    if (w.kind == PlaceKind::Never) return std::string("nothing in ") + w.place + " is ever erased";
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == L'.' || name[end - 1] == L' ')) --end;
    const std::size_t dot = name.substr(0, end).rfind(L'.');
    const bool hasExtension = dot != View::npos && dot > 0 && dot + 1 < end;
    const FileKind kind = KindOfFile(name);
    const char* why = KindStays(w, kind, hasExtension);
    if (!why) return {};
    return std::string(kind == FileKind::Other ? "a file without an extension" : KindTitle(kind)) + " in " + w.place +
           ": " + why;
}

std::wstring WithBackslash(const std::wstring& path)
{
    return path.empty() ? path : AddBackslashW(path);
}

// What the program's own cleaners may never empty whole, whoever set the folder.
std::string WholeFolderRefusal(const std::string& folder, const ProtectedPlaces& p, const char* blank)
{
    if (TrimBlanks(folder).empty()) return blank;
    if (!IsAbsolutePath(folder)) return "it is not a full path";
    const std::wstring canonical = CanonicalFolder(folder);
    if (canonical.empty() || IsVolumeRoot(canonical)) return "it is the root of a drive";
    for (const Anchor& a : Anchors(p, false))
        if (a.kind != PlaceKind::TraceFolder && a.root.size() > kDriveRootLength &&
            IsSameOrInside(WithBackslash(a.root), canonical))
            return std::string("it holds ") + a.name;
    // A share is the user's own choice; the places of this machine are all on its drives.
    if (KindOfPath(canonical) == PathKind::Network) return {};
    const Where w = Locate(p, canonical, false);
    if (w.kind == PlaceKind::Never) return std::string("it lies in ") + w.place;
    if (w.kind == PlaceKind::Windows && !w.trace) return "it lies in the Windows folder";
    if (w.kind == PlaceKind::ProgramFiles) return "it lies in Program Files";
    return {};
}

} // namespace

FolderJudgement JudgeFolder(const ProtectedPlaces& places, const std::wstring& canonicalFolder,
                            const std::vector<std::wstring>& masks, bool recurse, bool removeSelf)
{
    FolderJudgement j;
    const Where w = Locate(places, canonicalFolder);
    const Allowance a = AllowanceOf(w);
    const std::string where = Shown(canonicalFolder);
    for (const std::wstring& mask : masks) {
        const std::string why = MaskRefusal(w, a, UpperCaseWide(mask));
        if (why.empty())
            j.masks.push_back(mask);
        else
            j.refusals.push_back(ShownMask(mask) + " in " + where + ": " + why);
    }
    if (recurse || removeSelf) {
        j.recurse = a.recurse;
        if (!a.recurse && recurse)
            j.refusals.push_back("RECURSE from " + where + ": " + w.place + " is never walked through" +
                                 (w.kind == PlaceKind::Never || w.kind == PlaceKind::Windows ? "" : " from its root"));
    }
    if (removeSelf) {
        j.removeSelf = a.removeSelf;
        if (!a.removeSelf)
            j.refusals.push_back("REMOVESELF on " + where + ": " + w.place + " is never removed" +
                                 (w.depth == 0 || w.kind == PlaceKind::Never ? "" : " outside a trace folder"));
    }
    return j;
}

std::string FileRefusal(const ProtectedPlaces& places, const std::wstring& canonicalFolder, const std::wstring& name)
{
    const std::string why = FileStays(Locate(places, canonicalFolder), name);
    if (why.empty()) return {};
    return Utf8FromWide(name) + " in " + Shown(canonicalFolder) + ": " + why;
}

bool FileMayGo(const ProtectedPlaces& places, const std::wstring& canonicalFolder, const std::wstring& name)
{
    return FileStays(Locate(places, canonicalFolder), name).empty();
}

std::string WildcardRefusal(const ProtectedPlaces& places, const std::wstring& canonicalParent, bool namedFollows)
{
    const Where w = Locate(places, canonicalParent);
    if (w.kind == PlaceKind::Never)
        return "a wildcard below " + Shown(canonicalParent) + ": " + w.place + " is never reached";
    if (namedFollows || w.depth > 0 || w.kind == PlaceKind::TraceFolder) return {};
    return "a wildcard for every folder in " + Shown(canonicalParent) + ": " + w.place +
           " is a root; a wildcard there must name its folders, or a named folder must follow it";
}

std::string TempFolderRefusal(const std::string& folder, const ProtectedPlaces& places)
{
    return WholeFolderRefusal(folder, places, "no temporary folder is set");
}

std::string CustomDirRefusal(const std::string& folder, const ProtectedPlaces& places)
{
    return WholeFolderRefusal(folder, places, "no folder is named");
}

} // namespace sweepora
