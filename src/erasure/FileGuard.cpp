#include "erasure/FileGuard.h"

#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/WideText.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

namespace sweepora {

namespace {

using View = std::wstring_view;

// ---------------------------------------------------------------------------------------
// Extensions, upper case. The README's "Protected places" repeats these lists: keep both alike.

// Traces: logs, event traces, temporary files, backups, crash dumps, the indexes old help
// files leave behind, error reports. A mask of these may go in the Windows folder and in
// the folders of applications, where other files are what makes the program run.
constexpr const wchar_t* kTraceExtensions[] = {L"BACKUP", L"BAK", L"CHK", L"DMP", L"ERR", L"ETL", L"FTG", L"FTS",
                                               L"GID",    L"HDMP", L"LO_", L"LOG", L"MDMP", L"OLD", L"TEMP", L"TMP",
                                               L"WER"};

// What the system loads or runs: programs, libraries, drivers, controls, installers,
// scripts. Never matched below Program Files, never named in the Windows folder.
constexpr const wchar_t* kProgramExtensions[] = {
    L"ACM",  L"APPX", L"APPXBUNDLE", L"AX",    L"BAT",  L"CMD",  L"COM",  L"CPL",  L"DLL",  L"DRV",  L"EFI",
    L"EXE",  L"HTA",  L"IME",        L"JAR",   L"JS",   L"JSE",  L"MSC",  L"MSI",  L"MSIX", L"MSIXBUNDLE",
    L"MSP",  L"MST",  L"MSU",        L"MUI",   L"NODE", L"OCX",  L"OLB",  L"PIF",  L"PS1",  L"PSD1", L"PSM1",
    L"PYD",  L"RLL",  L"SCR",        L"SYS",   L"TLB",  L"TSP",  L"VBE",  L"VBS",  L"WINMD", L"WSC", L"WSF",
    L"WSH"};

// What the system and programs read to work: settings, driver and component descriptions,
// catalogs, registry hives and databases, policies, certificates and keys, fonts, code
// pages. Never named in the Windows folder or in an application's own folder.
constexpr const wchar_t* kSystemFileExtensions[] = {
    L"ADM",  L"ADML", L"ADMX", L"CAT",      L"CER", L"CFG", L"CONFIG", L"CRT", L"DAT", L"EDB", L"FON",
    L"HIV",  L"INF",  L"INI",  L"JSON",     L"MANIFEST",    L"NLS",    L"OTF", L"P12", L"PEM", L"PFX",
    L"PNF",  L"POL",  L"REG",  L"SDB",      L"TTC", L"TTF", L"XML"};

// The user's own content: documents, mail and contacts, pictures, music, videos,
// archives and disk images. Never matched in the user's own folders or the profile.
constexpr const wchar_t* kContentExtensions[] = {
    // documents, mail, contacts, password stores
    L"ACCDB", L"AZW", L"AZW3", L"CSV", L"DJVU", L"DOC", L"DOCM", L"DOCX", L"DOT", L"DOTM", L"DOTX", L"EML", L"EPUB",
    L"HTM", L"HTML", L"ICS", L"KDBX", L"KEY", L"MD", L"MDB", L"MHT", L"MHTML", L"MOBI", L"MSG", L"NUMBERS", L"ODB",
    L"ODG", L"ODP", L"ODS", L"ODT", L"ONE", L"OST", L"OTT", L"OXPS", L"PAGES", L"PDF", L"POT", L"POTX", L"PPS",
    L"PPSX", L"PPT", L"PPTM", L"PPTX", L"PST", L"PUB", L"RTF", L"TEX", L"TSV", L"TXT", L"VCF", L"VSD", L"VSDX",
    L"WPD", L"WPS", L"XLS", L"XLSB", L"XLSM", L"XLSX", L"XLT", L"XLTX", L"XPS",
    // pictures, camera raw files, drawings
    L"AI", L"ARW", L"AVIF", L"BMP", L"CR2", L"CR3", L"DNG", L"EPS", L"GIF", L"HEIC", L"HEIF", L"JFIF", L"JPE",
    L"JPEG", L"JPG", L"KRA", L"NEF", L"ORF", L"PNG", L"PSD", L"RAF", L"RAW", L"RW2", L"SVG", L"TIF", L"TIFF",
    L"WEBP", L"XCF",
    // music
    L"AAC", L"AIF", L"AIFF", L"ALAC", L"APE", L"FLAC", L"M4A", L"MID", L"MIDI", L"MP3", L"OGG", L"OPUS", L"WAV",
    L"WMA",
    // videos
    L"3GP", L"AVI", L"FLV", L"M2TS", L"M4V", L"MKV", L"MOV", L"MP4", L"MPEG", L"MPG", L"MTS", L"TS", L"VOB",
    L"WEBM", L"WMV",
    // archives and disk images
    L"7Z", L"BZ2", L"CAB", L"GZ", L"ISO", L"IMG", L"RAR", L"TAR", L"TGZ", L"VHD", L"VHDX", L"XZ", L"ZIP", L"ZST"};

constexpr std::size_t kLongestListed = 12;

class ExtensionList {
public:
    template <std::size_t N>
    explicit ExtensionList(const wchar_t* const (&list)[N]) : items_(list, list + N)
    {
        std::sort(items_.begin(), items_.end());
    }
    bool Has(View upper) const { return !upper.empty() && std::binary_search(items_.begin(), items_.end(), upper); }
    const std::vector<View>& Items() const { return items_; }

private:
    std::vector<View> items_;
};

const ExtensionList& Traces()
{
    static const ExtensionList list(kTraceExtensions);
    return list;
}

const ExtensionList& Programs()
{
    static const ExtensionList list(kProgramExtensions);
    return list;
}

const ExtensionList& SystemFiles()
{
    static const ExtensionList list(kSystemFileExtensions);
    return list;
}

const ExtensionList& Content()
{
    static const ExtensionList list(kContentExtensions);
    return list;
}

// The file system's case folding for one character, without an allocation.
wchar_t UpperChar(wchar_t c)
{
    if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    ::CharUpperBuffW(&c, 1);
    return c;
}

// A listed name's extension, upper-cased into `buffer`: the text after its last dot, with
// trailing dots and blanks left out as the system leaves them out when it opens a file.
struct NameExtension {
    bool present = false;
    View upper; // empty when too long to be in any list
};

NameExtension ExtensionOf(View name, wchar_t (&buffer)[kLongestListed + 1])
{
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == L'.' || name[end - 1] == L' ')) --end;
    const std::size_t dot = name.rfind(L'.', end == 0 ? 0 : end - 1);
    NameExtension e;
    if (dot == View::npos || dot + 1 >= end) return e;
    e.present = true;
    const std::size_t length = end - dot - 1;
    if (length > kLongestListed) return e;
    for (std::size_t i = 0; i < length; ++i) buffer[i] = UpperChar(name[dot + 1 + i]);
    e.upper = View(buffer, length);
    return e;
}

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

// The extension every name the mask matches has, when the mask writes it out ("*.LOG").
View LiteralExtension(View mask)
{
    const std::size_t dot = mask.rfind(L'.');
    if (dot == View::npos) return {};
    const View extension = mask.substr(dot + 1);
    for (wchar_t c : extension)
        if (IsWildcard(c)) return {};
    return extension;
}

// "SIGVERIF", "MODEMLOG_*", "HOSTS.*": a name of its own, with any wildcard after a fixed
// beginning, so that the mask names one program's trace and not a kind of file.
bool StemIsNamed(View stem)
{
    const std::size_t wildcard = stem.find_first_of(L"*?");
    return wildcard == View::npos || wildcard >= 3;
}

// A log, a temporary file, a backup or a dump by its extension; or one file named in full
// (give or take a numbered part) that is no program, library, driver or setting.
bool TraceMask(View mask)
{
    const View extension = LiteralExtension(mask);
    if (extension.empty()) return false;
    if (Traces().Has(extension)) return true;
    return StemIsNamed(mask.substr(0, mask.size() - extension.size() - 1)) && !Programs().Has(extension) &&
           !SystemFiles().Has(extension);
}

// True when some name the mask matches ends in "." followed by `extension`.
bool CanEndWithExtension(View mask, View extension)
{
    const std::size_t wanted = extension.size() + 1;
    const auto at = [&](std::size_t i) { return i == 0 ? L'.' : extension[i - 1]; };
    const auto fits = [](wchar_t m, wchar_t c) { return m == L'?' || m == c; };
    const std::size_t star = mask.rfind(L'*');
    const View tail = star == View::npos ? mask : mask.substr(star + 1);
    if (tail.size() >= wanted) {
        for (std::size_t i = 0; i < wanted; ++i)
            if (!fits(tail[tail.size() - wanted + i], at(i))) return false;
        return true;
    }
    // Shorter than the ending: only a star before it can supply the rest.
    if (star == View::npos) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (!fits(tail[i], at(wanted - tail.size() + i))) return false;
    return true;
}

bool MayMatchContent(View mask)
{
    if (EveryFileMask(mask)) return true;
    for (View extension : Content().Items())
        if (CanEndWithExtension(mask, extension)) return true;
    return false;
}

bool OnlyPrograms(View mask)
{
    return Programs().Has(LiteralExtension(mask));
}

bool OnlySettings(View mask)
{
    return SystemFiles().Has(LiteralExtension(mask));
}

// ---------------------------------------------------------------------------------------
// Places and their rules.

enum class Files { Any, TracesOnly, None };
enum class Zone { Never, Drive, Windows, ProgramFiles, Data, User, Profiles };

// What one protected place allows in a folder of it. A folder inside several places (the
// drive, then the Windows folder, say) gets every one of their rules.
struct Rule {
    Zone zone = Zone::Drive;
    const char* place = "";      // what the folder is, as the reasons name it
    const char* area = nullptr;  // where its files are, when that reads better than `place`
    Files files = Files::Any;
    bool noPrograms = false;
    bool noContent = false;
    bool noSettings = false;
    bool everyFile = true;    // a mask for every file
    bool recurse = true;      // a walk below
    bool removeSelf = true;   // the folder itself
    bool descendWhole = true; // a walk below that takes everything (a mask for every file, REMOVESELF)
    bool never = false;       // nothing at any depth below either
};

Rule Nothing(Zone zone, const char* place, bool never = false)
{
    Rule r;
    r.zone = zone;
    r.place = place;
    r.files = Files::None;
    r.everyFile = r.recurse = r.removeSelf = r.descendWhole = false;
    r.never = never;
    return r;
}

// A folder whose contents are someone's: never emptied or removed whole, walked below
// only for named files.
Rule NotWhole(Zone zone, const char* place, Files files)
{
    Rule r;
    r.zone = zone;
    r.place = place;
    r.files = files;
    r.everyFile = r.removeSelf = r.descendWhole = false;
    return r;
}

// A folder of traces the system expects to find: what it holds goes, the folder stays.
Rule TraceFolder(Zone zone, const char* place)
{
    Rule r;
    r.zone = zone;
    r.place = place;
    r.removeSelf = false;
    return r;
}

// At most one rule per kind of place, so the room never runs out.
struct Rules {
    Rule items[8];
    int count = 0;
    void Add(const Rule& rule)
    {
        if (count < 8) items[count++] = rule;
    }
    const Rule* begin() const { return items; }
    const Rule* end() const { return items + count; }
};

constexpr std::size_t kDriveRootLength = 7; // "\\?\C:\"

enum class PathKind { Drive, Network, NoDrive, Malformed };

// Canonical input only: a misspelt path must not slip past a comparison.
PathKind KindOf(View folder)
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

// The rest of the path starts with these parts ("TEMP\", "MICROSOFT\CRYPTO\").
bool RestStartsWith(View folder, std::size_t start, View parts)
{
    return folder.size() - start >= parts.size() && folder.compare(start, parts.size(), parts) == 0;
}

// Folders at the root of every drive that hold the system's start, its restore points,
// every user's deleted files and installations under way.
constexpr const wchar_t* kDriveSystemFolders[] = {L"$RECYCLE.BIN\\", L"RECYCLER\\", L"SYSTEM VOLUME INFORMATION\\",
                                                  L"BOOT\\",         L"EFI\\",      L"RECOVERY\\",
                                                  L"CONFIG.MSI\\"};

// The Windows folder's trace folders, where what an entry names goes as written.
constexpr const wchar_t* kWindowsTraceFolders[] = {
    L"TEMP\\",    L"SYSTEMTEMP\\", L"LOGS\\",  L"MINIDUMP\\", L"LIVEKERNELREPORTS\\", L"PREFETCH\\",
    L"PANTHER\\", L"DEBUG\\",      L"SOFTWAREDISTRIBUTION\\DOWNLOAD\\"};

// Below the Microsoft folder of AppData or ProgramData: keys, certificates, credentials
// (losing them loses every password and encrypted file), and the Start menu.
constexpr const wchar_t* kKeyStores[] = {L"MICROSOFT\\PROTECT\\", L"MICROSOFT\\CRYPTO\\",
                                         L"MICROSOFT\\SYSTEMCERTIFICATES\\", L"MICROSOFT\\CREDENTIALS\\",
                                         L"MICROSOFT\\VAULT\\"};
constexpr View kStartMenu = L"MICROSOFT\\WINDOWS\\START MENU\\";

// Direct children of Local (and LocalLow) AppData that only hold traces.
constexpr const wchar_t* kLocalTraceFolders[] = {L"TEMP\\", L"CRASHDUMPS\\", L"D3DSCACHE\\"};

// Folders below a Program Files folder that hold applications rather than being one.
constexpr const wchar_t* kProgramContainers[] = {L"COMMON FILES\\", L"WINDOWSAPPS\\"};

// Folders of an application in Program Files that hold only its traces. Elsewhere in an
// application ("Vendor\Product", "resources") lie the files it runs on, so only traces by
// name go there.
constexpr const wchar_t* kApplicationTraceFolders[] = {L"CACHE",        L"CACHES",  L"CRASH",   L"CRASHES",
                                                       L"CRASH REPORTS", L"CRASHDUMPS", L"DUMPS", L"LOG",
                                                       L"LOGS",         L"MINIDUMPS", L"TEMP",  L"TMP"};

// A part of the path below `start`, after the first, is one of the trace folders.
bool BelowApplicationTraceFolder(View folder, std::size_t start)
{
    std::size_t at = folder.find(L'\\', start);
    while (at != View::npos && at + 1 < folder.size()) {
        const std::size_t end = folder.find(L'\\', at + 1);
        const View part = folder.substr(at + 1, (end == View::npos ? folder.size() : end) - at - 1);
        for (const wchar_t* name : kApplicationTraceFolders)
            if (part == name) return true;
        at = end;
    }
    return false;
}

struct DataPlaceNames {
    const char* root;
    const char* microsoft;
    const char* application;
    const char* trace;
};

constexpr DataPlaceNames kProgramDataNames = {"the ProgramData folder", "the Microsoft folder of ProgramData",
                                              "an application's folder in ProgramData", ""};
constexpr DataPlaceNames kRoamingNames = {"the Roaming AppData folder", "the Microsoft folder of Roaming AppData",
                                          "an application's folder in Roaming AppData", ""};
constexpr DataPlaceNames kLocalNames = {"the Local AppData folder", "the Microsoft folder of Local AppData",
                                        "an application's folder in Local AppData",
                                        "a trace folder of Local AppData"};
constexpr DataPlaceNames kLocalLowNames = {"the LocalLow AppData folder", "the Microsoft folder of LocalLow AppData",
                                           "an application's folder in LocalLow AppData",
                                           "a trace folder of LocalLow AppData"};

const char* AreaOf(const Rule& r)
{
    return r.area ? r.area : r.place;
}

bool PlacesKnown(const ProtectedPlaces& p)
{
    return !p.windows.empty() && !p.profile.empty();
}

// ProgramData and AppData: their own files and their direct children are the system's and
// every application's; an application's folder gives up traces by name; below that, what
// the entry names goes. The same holds inside their Microsoft folder.
void AddDataRule(const ProtectedPlaces& p, View folder, Rules& rules, bool& inData)
{
    struct Root {
        const std::wstring* path;
        const DataPlaceNames* names;
        int traceFolders; // how many of kLocalTraceFolders apply
    };
    const Root roots[] = {{&p.programData, &kProgramDataNames, 0},
                          {&p.roamingAppData, &kRoamingNames, 0},
                          {&p.localAppData, &kLocalNames, 3},
                          {&p.localLowAppData, &kLocalLowNames, 1}};
    const Root* best = nullptr;
    std::size_t bestStart = 0;
    for (const Root& root : roots) {
        std::size_t start = 0;
        if (Inside(folder, *root.path, start) && (!best || start > bestStart)) {
            best = &root;
            bestStart = start;
        }
    }
    if (!best) return;
    inData = true;
    const int depth = DepthFrom(folder, bestStart);
    const DataPlaceNames& names = *best->names;
    if (depth == 0) {
        rules.Add(Nothing(Zone::Data, names.root));
        return;
    }
    if (RestStartsWith(folder, bestStart, L"MICROSOFT\\")) {
        if (depth == 1) rules.Add(Nothing(Zone::Data, names.microsoft));
        if (depth == 2) rules.Add(NotWhole(Zone::Data, names.application, Files::TracesOnly));
        return;
    }
    for (int i = 0; i < best->traceFolders; ++i) {
        if (!RestStartsWith(folder, bestStart, kLocalTraceFolders[i])) continue;
        if (depth == 1) rules.Add(TraceFolder(Zone::Data, names.trace));
        return;
    }
    if (depth == 1) rules.Add(NotWhole(Zone::Data, names.application, Files::TracesOnly));
    // "Vendor\Product" is an application's folder as well: its settings, such as the list
    // of its profiles, stay; its caches, logs and subfolders go.
    if (depth == 2) {
        Rule r;
        r.zone = Zone::Data;
        r.place = names.application;
        r.noSettings = true;
        rules.Add(r);
    }
}

constexpr const char* kUserArea = "the profile and the user's own folders";

// The profile, the Public profile and the user's own folders: their own files and their
// direct children are the user's, and nowhere in them does a mask take content.
void AddUserRule(const ProtectedPlaces& p, View folder, Rules& rules)
{
    enum class Which { Profile, Public, UserFolder };
    const std::wstring* best = nullptr;
    Which which = Which::Profile;
    std::size_t bestStart = 0;
    const auto consider = [&](const std::wstring& root, Which w) {
        std::size_t start = 0;
        if (Inside(folder, root, start) && (!best || start > bestStart)) {
            best = &root;
            which = w;
            bestStart = start;
        }
    };
    consider(p.profile, Which::Profile);
    consider(p.publicProfile, Which::Public);
    for (const std::wstring& own : p.userFolders) consider(own, Which::UserFolder);
    if (!best) return;
    const int depth = DepthFrom(folder, bestStart);
    if (depth == 0) {
        rules.Add(Nothing(Zone::User, which == Which::Profile  ? "the profile folder"
                                      : which == Which::Public ? "the Public profile"
                                                               : "a user's own folder"));
        return;
    }
    if (depth == 1) {
        Rule r = NotWhole(Zone::User,
                          which == Which::Profile  ? "a folder directly in the profile"
                          : which == Which::Public ? "a folder directly in the Public profile"
                                                   : "a folder directly in a user's own folder",
                          Files::Any);
        r.area = kUserArea;
        r.noContent = true;
        rules.Add(r);
        return;
    }
    Rule r;
    r.zone = Zone::User;
    r.place = "a folder in the user's own folders";
    r.area = kUserArea;
    r.noContent = true;
    r.everyFile = false; // it would take documents, pictures and music too
    rules.Add(r);
}

// Program Files: nothing of the folder itself, traces by name in an application's folder,
// and never a program, library or driver at any depth.
void AddProgramFilesRule(const ProtectedPlaces& p, View folder, Rules& rules)
{
    bool found = false;
    std::size_t bestStart = 0;
    for (const std::wstring& programs : p.programFiles) {
        std::size_t start = 0;
        if (!Inside(folder, programs, start)) continue;
        for (const wchar_t* container : kProgramContainers)
            if (RestStartsWith(folder, start, container)) start += View(container).size();
        if (!found || start > bestStart) bestStart = start;
        found = true;
    }
    if (!found) return;
    const int depth = DepthFrom(folder, bestStart);
    if (depth == 0) {
        rules.Add(Nothing(Zone::ProgramFiles, "a Program Files folder"));
        return;
    }
    Rule r;
    if (depth == 1) {
        r = NotWhole(Zone::ProgramFiles, "an application's folder in Program Files", Files::TracesOnly);
    } else if (!BelowApplicationTraceFolder(folder, bestStart)) {
        r = NotWhole(Zone::ProgramFiles, "a folder of an application in Program Files", Files::TracesOnly);
    } else {
        r.place = "Program Files";
    }
    r.zone = Zone::ProgramFiles;
    r.noPrograms = true;
    rules.Add(r);
}

// The Windows folder, at any depth: traces by name, never walked or taken whole, except in
// its trace folders.
void AddWindowsRule(const ProtectedPlaces& p, View folder, Rules& rules)
{
    std::size_t start = 0;
    if (!Inside(folder, p.windows, start)) return;
    for (const wchar_t* trace : kWindowsTraceFolders) {
        if (!RestStartsWith(folder, start, trace)) continue;
        if (folder.size() - start == View(trace).size())
            rules.Add(TraceFolder(Zone::Windows, "a trace folder of Windows"));
        return;
    }
    Rule r = NotWhole(Zone::Windows, folder.size() == start ? "the Windows folder" : "a folder in the Windows folder",
                      Files::TracesOnly);
    r.area = "the Windows folder";
    r.recurse = false;
    rules.Add(r);
}

Rules RulesFor(const ProtectedPlaces& p, View folder, bool withTemp = true);

// The temporary folder is a trace folder only where emptying it cannot harm a place.
bool TempIsTraceFolder(const ProtectedPlaces& p)
{
    if (KindOf(p.temp) != PathKind::Drive || DepthFrom(p.temp, kDriveRootLength) == 0) return false;
    for (const std::wstring* place : {&p.windows, &p.programData, &p.profile, &p.profilesRoot, &p.publicProfile,
                                      &p.roamingAppData, &p.localAppData, &p.localLowAppData})
        if (Inside(*place, p.temp)) return false;
    for (const std::vector<std::wstring>* list : {&p.programFiles, &p.userFolders})
        for (const std::wstring& place : *list)
            if (Inside(place, p.temp)) return false;
    for (const Rule& r : RulesFor(p, p.temp, false))
        if (r.never || r.files == Files::None || r.zone == Zone::ProgramFiles ||
            (r.zone == Zone::Windows && !r.recurse))
            return false;
    return true;
}

// Every rule that holds in `folder`, the most particular place first.
Rules RulesFor(const ProtectedPlaces& p, View folder, bool withTemp)
{
    Rules rules;
    switch (KindOf(folder)) {
    case PathKind::Network:
        rules.Add(Nothing(Zone::Never, "a network folder", true));
        return rules;
    case PathKind::NoDrive:
        rules.Add(Nothing(Zone::Never, "a folder on no drive letter", true));
        return rules;
    case PathKind::Malformed:
        rules.Add(Nothing(Zone::Never, "not a canonical folder path", true));
        return rules;
    case PathKind::Drive:
        break;
    }
    if (!PlacesKnown(p)) {
        rules.Add(Nothing(Zone::Never, "a folder of a machine whose Windows folder or profile is unknown", true));
        return rules;
    }
    for (const wchar_t* system : kDriveSystemFolders) {
        if (RestStartsWith(folder, kDriveRootLength, system)) {
            rules.Add(Nothing(Zone::Never, "a system folder of the drive", true));
            return rules;
        }
    }
    std::size_t start = 0;
    if (Inside(folder, p.profilesRoot, start) && !Inside(folder, p.profile) && !Inside(folder, p.publicProfile)) {
        rules.Add(start == folder.size() ? Nothing(Zone::Profiles, "the folder of every user's profile")
                                         : Nothing(Zone::Never, "another user's profile", true));
        return rules;
    }
    for (const std::wstring* data : {&p.programData, &p.roamingAppData, &p.localAppData, &p.localLowAppData}) {
        if (!Inside(folder, *data, start)) continue;
        for (const wchar_t* store : kKeyStores) {
            if (RestStartsWith(folder, start, store)) {
                rules.Add(Nothing(Zone::Never, "a store of keys, certificates or credentials", true));
                return rules;
            }
        }
        if (RestStartsWith(folder, start, kStartMenu)) {
            rules.Add(Nothing(Zone::Never, "the Start menu", true));
            return rules;
        }
    }
    // What the temporary folder holds is traces, wherever the user put it.
    if (withTemp && Inside(folder, p.temp, start) && TempIsTraceFolder(p)) {
        if (start == folder.size()) rules.Add(TraceFolder(Zone::Data, "the temporary folder"));
        return rules;
    }
    bool inData = false;
    AddDataRule(p, folder, rules, inData);
    // AppData lies in the profile, but what applications keep there is theirs, not the user's.
    if (!inData) AddUserRule(p, folder, rules);
    AddProgramFilesRule(p, folder, rules);
    AddWindowsRule(p, folder, rules);
    const int depth = DepthFrom(folder, kDriveRootLength);
    if (depth == 0) rules.Add(Nothing(Zone::Drive, "the root of a drive"));
    if (depth == 1) rules.Add(NotWhole(Zone::Drive, "a folder at the root of a drive", Files::Any));
    return rules;
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

std::string MaskRefusal(const Rules& rules, View upper)
{
    if (MalformedMask(upper)) return "not a mask for file names";
    const bool everyFile = EveryFileMask(upper);
    for (const Rule& r : rules) {
        const std::string place = AreaOf(r);
        if (r.files == Files::None) return "files directly in " + place + " are never erased";
        if (everyFile && !r.everyFile) return "a mask for every file in " + place;
        if (r.files == Files::TracesOnly && !TraceMask(upper))
            return "only logs, temporary files, backups, dumps and files named in full go from " + place;
        if (r.noContent && MayMatchContent(upper))
            return "a mask for documents, pictures, music, videos or archives in " + place;
        if (r.noPrograms && OnlyPrograms(upper)) return "a mask for programs, libraries or drivers in " + place;
        if (r.noSettings && OnlySettings(upper)) return "a mask for settings files in " + place;
    }
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

// The first rule's reason to keep the file; nullptr when every rule lets it go.
const char* FileRefusalReason(const Rules& rules, View name, const Rule*& by)
{
    if (MalformedName(name)) return "not a file name";
    wchar_t buffer[kLongestListed + 1] = {};
    const NameExtension extension = ExtensionOf(name, buffer);
    for (const Rule& r : rules) {
        by = &r;
        if (r.files == Files::None) return "files directly in %s are never erased";
        if (r.files == Files::TracesOnly &&
            (!extension.present || Programs().Has(extension.upper) || SystemFiles().Has(extension.upper)))
            return "only logs, temporary files, backups, dumps and files named in full go from %s";
        if (r.noPrograms && Programs().Has(extension.upper)) return "a program, library or driver in %s";
        if (r.noContent && Content().Has(extension.upper))
            return "a document, picture, music, video or archive in %s";
        if (r.noSettings && SystemFiles().Has(extension.upper)) return "a settings file in %s";
    }
    by = nullptr;
    return nullptr;
}

std::string Fill(const char* pattern, const char* place)
{
    std::string text = pattern;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, place);
    return text;
}

// "\\?\C:\USERS\ANNA\" -> "\\?\C:\USERS\"; empty for a root or what is no path.
std::wstring Parent(const std::wstring& canonical)
{
    if (canonical.size() < 2 || IsVolumeRoot(canonical)) return {};
    const std::size_t slash = canonical.find_last_of(L'\\', canonical.size() - 2);
    return slash == std::wstring::npos ? std::wstring() : canonical.substr(0, slash + 1);
}

std::wstring WithBackslash(const std::wstring& path)
{
    return path.empty() ? path : AddBackslashW(path);
}

// Every place the guards know by its path, with how the refusals name it.
std::vector<std::pair<std::wstring, const char*>> NamedPlaces(const ProtectedPlaces& p)
{
    std::vector<std::pair<std::wstring, const char*>> places = {
        {p.windows, "the Windows folder"},
        {p.programData, "the ProgramData folder"},
        {p.profile, "the profile folder"},
        {p.profilesRoot, "every user's profile"},
        {p.publicProfile, "the Public profile"},
        {p.roamingAppData, "an AppData folder"},
        {p.localAppData, "an AppData folder"},
        {p.localLowAppData, "an AppData folder"}};
    for (const std::wstring& programs : p.programFiles) places.emplace_back(programs, "a Program Files folder");
    for (const std::wstring& own : p.userFolders) places.emplace_back(own, "a user's own folder");
    for (auto& place : places) place.first = WithBackslash(place.first);
    return places;
}

// What the program's own cleaners may never empty whole, whoever set the folder.
std::string WholeFolderRefusal(const std::string& folder, const ProtectedPlaces& p, const char* blank)
{
    if (TrimBlanks(folder).empty()) return blank;
    if (!IsAbsolutePath(folder)) return "it is not a full path";
    const std::wstring canonical = CanonicalFolder(folder);
    if (canonical.empty() || IsVolumeRoot(canonical)) return "it is the root of a drive";
    for (const auto& place : NamedPlaces(p))
        if (!place.first.empty() && IsSameOrInside(place.first, canonical))
            return std::string("it holds ") + place.second;
    // A share is the user's own choice; the places of this machine are all on its drives.
    if (KindOf(canonical) == PathKind::Network) return {};
    for (const Rule& r : RulesFor(p, canonical, false)) {
        if (r.never) return std::string("it lies in ") + r.place;
        if (r.files == Files::None) return std::string("it is ") + r.place;
        if (r.zone == Zone::Windows && !r.recurse) return "it lies in the Windows folder";
        if (r.zone == Zone::ProgramFiles) return "it lies in Program Files";
    }
    return {};
}

} // namespace

FolderJudgement JudgeFolder(const ProtectedPlaces& places, const std::wstring& canonicalFolder,
                            const std::vector<std::wstring>& masks, bool recurse, bool removeSelf)
{
    FolderJudgement j;
    const Rules rules = RulesFor(places, canonicalFolder);
    const std::string where = Shown(canonicalFolder);
    bool everyFileAsked = false;
    for (const std::wstring& mask : masks) {
        const std::wstring upper = UpperCaseWide(mask);
        everyFileAsked = everyFileAsked || EveryFileMask(upper);
        const std::string why = MaskRefusal(rules, upper);
        if (why.empty())
            j.masks.push_back(mask);
        else
            j.refusals.push_back(ShownMask(mask) + " in " + where + ": " + why);
    }
    if (recurse || removeSelf) {
        j.recurse = true;
        for (const Rule& r : rules) {
            if (!r.recurse) {
                if (recurse)
                    j.refusals.push_back("RECURSE from " + where + ": " + r.place + " is never walked through");
                j.recurse = false;
                break;
            }
            if ((everyFileAsked || removeSelf) && !r.descendWhole) {
                if (recurse)
                    j.refusals.push_back("RECURSE from " + where +
                                         (everyFileAsked ? " with a mask for every file: " : " with REMOVESELF: ") +
                                         r.place + " is never taken whole");
                j.recurse = false;
                break;
            }
        }
    }
    if (removeSelf) {
        j.removeSelf = true;
        for (const Rule& r : rules) {
            if (r.removeSelf) continue;
            j.refusals.push_back("REMOVESELF on " + where + ": " + r.place + " is never removed");
            j.removeSelf = false;
            break;
        }
    }
    return j;
}

std::string FileRefusal(const ProtectedPlaces& places, const std::wstring& canonicalFolder, const std::wstring& name)
{
    const Rules rules = RulesFor(places, canonicalFolder);
    const Rule* by = nullptr;
    const char* why = FileRefusalReason(rules, name, by);
    if (!why) return {};
    return Utf8FromWide(name) + " in " + Shown(canonicalFolder) + ": " + Fill(why, by ? AreaOf(*by) : "");
}

bool FileMayGo(const ProtectedPlaces& places, const std::wstring& canonicalFolder, const std::wstring& name)
{
    const Rule* by = nullptr;
    return FileRefusalReason(RulesFor(places, canonicalFolder), name, by) == nullptr;
}

std::string WildcardRefusal(const ProtectedPlaces& places, const std::wstring& canonicalParent, bool fixedPartFollows)
{
    const Rules here = RulesFor(places, canonicalParent);
    for (const Rule& r : here)
        if (r.never) return "a wildcard below " + Shown(canonicalParent) + ": " + r.place + " is never reached";
    if (fixedPartFollows) return {};
    // A name no folder has stands for whichever child the wildcard picks.
    for (const Rule& r : RulesFor(places, canonicalParent + L"\xFFFF\\"))
        if (!r.removeSelf)
            return "a wildcard for every folder in " + Shown(canonicalParent) + ": " + r.place +
                   " is never taken whole; name a folder below it";
    for (const auto& place : NamedPlaces(places))
        if (!place.first.empty() && Parent(place.first) == canonicalParent)
            return "a wildcard for every folder in " + Shown(canonicalParent) + ": it holds " + place.second;
    return {};
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
