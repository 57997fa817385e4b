#include "erasure/GuardRules.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace sweepora {

namespace {

using View = std::wstring_view;

const std::vector<FileKindRow> kKinds = {
    {FileKind::Secret,
     "Keys, certificates, key rings, password stores, wallets",
     {L"ASC", L"CER", L"CRT", L"DER", L"GPG", L"JKS", L"KDB", L"KDBX", L"KEY", L"KEYCHAIN", L"KEYSTORE", L"OVPN",
      L"P12", L"P7B", L"PEM", L"PFX", L"PGP", L"PPK", L"PSAFE3", L"SST", L"WALLET"},
     {L"AUTHORIZED_KEYS", L"KNOWN_HOSTS", L"WALLET.DAT", L"SECRING.GPG", L"PUBRING.KBX", L"TRUSTDB.GPG", L".NETRC",
      L"_NETRC", L".GIT-CREDENTIALS", L".PGPASS", L".NPMRC", L"CREDENTIALS", L"CREDENTIALS.JSON", L"CREDENTIALS.DB",
      L"ACCESS_TOKENS.DB", L"LEGACY_CREDENTIALS"},
     {L"ID_RSA", L"ID_DSA", L"ID_ECDSA", L"ID_ED25519"},
     "anywhere"},
    {FileKind::BrowserStore,
     "A browser's saved logins, keys, certificates, bookmarks and profile lists",
     {},
     {L"BOOKMARKS", L"LOCAL STATE", L"KEY3.DB", L"KEY4.DB", L"LOGINS.JSON",
      L"LOGINS-BACKUP.JSON", L"CERT8.DB", L"CERT9.DB", L"PKCS11.TXT", L"SECMOD.DB", L"PLACES.SQLITE",
      L"PLACES.SQLITE-WAL", L"PLACES.SQLITE-JOURNAL", L"PROFILES.INI", L"INSTALLS.INI", L"SIGNEDINUSER.JSON"},
     {L"LOGIN DATA"},
     "anywhere"},
    {FileKind::DiskImage,
     "Virtual disks and disk images",
     {L"AVHD", L"AVHDX", L"DMG", L"ESD", L"HDD", L"HDS", L"IMG", L"ISO", L"NVRAM", L"OVA", L"QCOW", L"QCOW2", L"SWM",
      L"VDI", L"VHD", L"VHDX", L"VMDK", L"VMEM", L"VMSN", L"VMSS", L"WIM"},
     {},
     {},
     "anywhere"},
    {FileKind::Content,
     "Documents, e-books, source code, mail, saved games",
     {// documents and e-books
      L"ACCDB", L"AZW", L"AZW3", L"DJVU", L"DOC", L"DOCM", L"DOCX", L"DOT", L"DOTM", L"DOTX", L"EPUB", L"FB2", L"ICS",
      L"MDB", L"MOBI", L"NUMBERS", L"ODB", L"ODG", L"ODP", L"ODS", L"ODT", L"ONE", L"OTT", L"OXPS", L"PAGES", L"PDF",
      L"POT", L"POTX", L"PPS", L"PPSX", L"PPT", L"PPTM", L"PPTX", L"PUB", L"RTF", L"TEX", L"VCF", L"VSD", L"VSDX",
      L"WPD", L"WPS", L"XLS", L"XLSB", L"XLSM", L"XLSX", L"XLT", L"XLTX", L"XPS",
      // mail stores
      L"DBX", L"EML", L"MBOX", L"MBX", L"MSG", L"OST", L"PST",
      // source code and projects
      L"C", L"CC", L"CPP", L"CS", L"CSPROJ", L"CXX", L"GO", L"H", L"HPP", L"HXX", L"IPYNB", L"JAVA", L"KT", L"LUA",
      L"M", L"MM", L"PHP", L"PL", L"PY", L"R", L"RB", L"RS", L"SCALA", L"SLN", L"SQL", L"SWIFT", L"TSX", L"VCXPROJ",
      // saved games
      L"SAV"},
     {},
     {},
     "in the user's places, other drives and folders at a drive's root, at any depth; in applications' data outside "
     "trace folders"},
    {FileKind::Media,
     "Pictures, music, videos, archives",
     {// pictures, camera raw files, drawings, models
      L"AI", L"ARW", L"AVIF", L"BLEND", L"BMP", L"CR2", L"CR3", L"DNG", L"DWG", L"EPS", L"GIF", L"HEIC", L"HEIF",
      L"JFIF", L"JPE", L"JPEG", L"JPG", L"KRA", L"NEF", L"ORF", L"PNG", L"PSD", L"RAF", L"RAW", L"RW2", L"SKP", L"SVG",
      L"TIF", L"TIFF", L"WEBP", L"XCF",
      // music
      L"AAC", L"AIF", L"AIFF", L"ALAC", L"APE", L"FLAC", L"M4A", L"MID", L"MIDI", L"MP3", L"OGG", L"OPUS", L"WAV",
      L"WMA",
      // videos
      L"3GP", L"AVI", L"FLV", L"M2TS", L"M4V", L"MKV", L"MOV", L"MP4", L"MPEG", L"MPG", L"MTS", L"TS", L"VOB", L"WEBM",
      L"WMV",
      // archives
      L"7Z", L"BZ2", L"CAB", L"GZ", L"RAR", L"TAR", L"TGZ", L"XZ", L"ZIP", L"ZST"},
     {},
     {},
     "in the user's places, other drives and folders at a drive's root, at any depth"},
    {FileKind::Text,
     "Plain text and pages (a name that says log, error, crash, debug or dump makes it a trace)",
     {L"CSV", L"HTM", L"HTML", L"MD", L"MHT", L"MHTML", L"TSV", L"TXT"},
     {},
     {},
     "in the user's places, other drives and folders at a drive's root, outside trace folders"},
    {FileKind::Program,
     "Programs, libraries, drivers, scripts, installers",
     {L"ACM",  L"APPX", L"APPXBUNDLE", L"AX",    L"BAT",  L"CMD",  L"COM",  L"CPL",  L"DLL",  L"DRV",  L"EFI",
      L"EXE",  L"HTA",  L"IME",        L"JAR",   L"JS",   L"JSE",  L"MSC",  L"MSI",  L"MSIX", L"MSIXBUNDLE",
      L"MSP",  L"MST",  L"MSU",        L"MUI",   L"NODE", L"OCX",  L"OLB",  L"PIF",  L"PS1",  L"PSD1", L"PSM1",
      L"PYD",  L"RLL",  L"SCR",        L"SYS",   L"TLB",  L"TSP",  L"VBE",  L"VBS",  L"WINMD", L"WSC", L"WSF",
      L"WSH"},
     {},
     {},
     "below Program Files; in the Windows folder, the user's places, other drives and folders at a drive's root "
     "outside trace folders"},
    {FileKind::Installer,
     "Installers left behind: msi, msp and msu packages, and a program's file whose name says setup, redist, "
     "install, update or upgrade",
     {},
     {},
     {},
     "in the user's places, other drives, folders at a drive's root and the Windows folder, outside trace folders"},
    {FileKind::Settings,
     "Settings and system files, the user's dot files",
     {L"ADM", L"ADML", L"ADMX", L"CAT", L"CFG", L"CONFIG", L"DAT", L"EDB", L"FON", L"HIV", L"INF", L"INI", L"JSON",
      L"MANIFEST", L"NLS", L"OTF", L"PNF", L"POL", L"REG", L"SDB", L"TTC", L"TTF", L"XML"},
     {},
     {L"."},
     "in the Windows folder, the user's places, other drives and folders at a drive's root, outside trace folders"},
    {FileKind::Trace,
     "Logs, temporary files, backups, dumps",
     {L"BACKUP", L"BAK", L"CHK", L"DMP", L"ERR", L"ETL", L"FTG", L"FTS", L"GID", L"HDMP", L"LO_", L"LOG", L"MDMP",
      L"OLD", L"TEMP", L"TMP", L"WER"},
     {},
     {},
     "nowhere: what an entry names goes"},
};

const std::vector<PlaceRow> kPlaces = {
    {PlaceKind::Never, "Never reached",
     "another user's profile and the folder of all profiles; network folders and volumes without a drive letter; "
     "`$Recycle.Bin`, `RECYCLER`, `System Volume Information`, `Boot`, `EFI`, `Recovery`, `Config.Msi` at a drive's "
     "root; `Microsoft\\Protect`, `Crypto`, `SystemCertificates`, `Credentials`, `Vault` and the Start menu in AppData "
     "and ProgramData; a folder named as a key store anywhere (list below)",
     "Nothing, at any depth."},
    {PlaceKind::UserData, "The user's places",
     "the profile outside AppData and its dot folders, the Public profile, Documents, Desktop, Downloads, Pictures, "
     "Music, Videos and every other known folder of the user or of Public wherever moved, `Documents\\My Games`",
     "At a root: only masks for traces by extension or named in full; no RECURSE, no REMOVESELF. In a folder directly "
     "below a root (one the user may have made): the same masks, RECURSE too. Deeper (an application's own folder, "
     "`Documents\\Vendor\\App`) and in trace folders: anything the entry names. Content and media never go; text, "
     "programs, installers and settings only from trace folders."},
    {PlaceKind::Outside, "Outside the known places",
     "every folder of a drive that is none of the places above or below: a folder at a drive's root, another drive",
     "At a drive's root: only masks for traces; no RECURSE, no REMOVESELF. Below it: masks for traces, RECURSE too; "
     "in a trace folder, anything the entry names. Content and media never go; text, programs, installers and "
     "settings only from trace folders."},
    {PlaceKind::ProgramData, "Applications' data",
     "Roaming, Local and LocalLow AppData, ProgramData, the AppData of a service's profile in the Windows folder, the "
     "profile's dot folders; each one's `Microsoft` and `Microsoft\\Windows` folder and Local's `Packages` count as "
     "roots",
     "At a root: only masks for traces by extension or named in full; no RECURSE, no REMOVESELF. Below a named folder: "
     "anything the entry names, RECURSE and REMOVESELF too. Documents, e-books, source code, mail and saved games only "
     "from trace folders."},
    {PlaceKind::ProgramFiles, "Program Files",
     "both views, the user's own `Local\\Programs`, `Common Files` (each counts as a root)",
     "At a root: only masks for traces; no RECURSE, no REMOVESELF. Below a named folder: anything the entry names; "
     "programs never go (installers left behind do)."},
    {PlaceKind::Windows, "The Windows folder",
     "the Windows folder at any depth, but its trace folders and its services' AppData; what Windows installs in "
     "Program Files (`Windows Defender`, `Windows NT`, `WindowsApps`, `Common Files\\Microsoft Shared`, ...)",
     "Only masks for traces, RECURSE below its root too; no mask for every file and no REMOVESELF but in a trace "
     "folder. Programs, installers, settings and files without an extension go only from trace folders."},
    {PlaceKind::TraceFolder, "System trace folders",
     "the user's TEMP wherever it is harmless, Local (and LocalLow) `Temp`, `CrashDumps`, `D3DSCache`; the Windows "
     "folder's `Temp`, `SystemTemp`, `Logs`, `Minidump`, `LiveKernelReports`, `Prefetch`, `Panther`, `debug`, "
     "`SoftwareDistribution\\Download`",
     "Anything the entry names, RECURSE too; the folder itself stays."},
};

const std::vector<View> kTraceWords = {L"CRASHES",  L"DEBUG", L"DUMPS",      L"ERRORS",   L"INCOMPLETE",
                                       L"INSTALLER", L"INSTALLERS", L"LOG",     L"LOGFILES",   L"LOGGING",  L"LOGS",
                                       L"REPORTS",  L"THUMBNAILS", L"THUMBS",     L"TRACES",  L"UPDATER"};
const std::vector<View> kTraceStems = {L"CACHE",   L"CRASH", L"DOWNLOAD", L"DUMP",   L"INSTALL",   L"METRICS",
                                       L"REDIST",  L"SETUP", L"TEMP",   L"TELEMETRY", L"TMP",
                                       L"UPDATE"};

const std::vector<View> kNeverFolders = {L".SSH",    L".GNUPG",  L"GNUPG",    L".AWS",     L".AZURE",
                                         L".KUBE",   L".DOCKER", L".PASSWORD-STORE", L"WALLETS", L"KEYSTORE",
                                         L"1PASSWORD", L"KEEPASS", L"KEEPASSXC", L"BITWARDEN CLI"};

wchar_t Upper(wchar_t c)
{
    if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    ::CharUpperBuffW(&c, 1);
    return c;
}

bool SameUpper(View name, View upper)
{
    if (name.size() != upper.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (Upper(name[i]) != upper[i]) return false;
    return true;
}

bool StartsUpper(View name, View upper)
{
    return name.size() >= upper.size() && SameUpper(name.substr(0, upper.size()), upper);
}

bool IsWordBreak(wchar_t c)
{
    return c == L' ' || c == L'-' || c == L'_' || c == L'.' || c == L'(' || c == L')';
}

// An installer package is never the program it installs.
bool IsPackage(View extension)
{
    for (View package : {L"MSI", L"MSP", L"MSU"})
        if (SameUpper(extension, package)) return true;
    return false;
}

} // namespace

bool NamesInstaller(View upper)
{
    for (View word : {L"SETUP", L"REDIST", L"INSTALL", L"UPDATE", L"UPGRADE", L"DOTNETFX"})
        if (upper.find(word) != View::npos) return true;
    return false;
}

bool NamesLogs(View upper)
{
    for (View word : {L"LOG", L"ERROR", L"CRASH", L"DEBUG", L"DUMP", L"DMP", L"EXCEPTION"}) {
        for (std::size_t at = upper.find(word); at != View::npos; at = upper.find(word, at + 1)) {
            // "CATALOG", "DIALOG", "BLOG", "BACKLOG" and "LOGO" are no logs.
            if (word == L"LOG" && ((at >= 4 && upper.substr(at - 4, 4) == L"CATA") ||
                                   (at >= 3 && upper.substr(at - 3, 3) == L"DIA") ||
                                   (at >= 1 && upper[at - 1] == L'B') || (at >= 4 && upper.substr(at - 4, 4) == L"BACK") ||
                                   (at + 3 < upper.size() && upper[at + 3] == L'O')))
                continue;
            return true;
        }
    }
    return false;
}

const std::vector<FileKindRow>& FileKindTable()
{
    return kKinds;
}

FileKind KindOfFile(View name)
{
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == L'.' || name[end - 1] == L' ')) --end;
    name = name.substr(0, end);
    const std::size_t dot = name.rfind(L'.');
    const View extension = dot == View::npos ? View() : name.substr(dot + 1);
    // ".pia_crash.log" is a log before it is a dot file.
    if (!name.empty() && name[0] == L'.' && dot != 0 && dot != View::npos) {
        for (const FileKindRow& row : kKinds)
            for (View e : row.extensions)
                if (row.kind == FileKind::Trace && SameUpper(extension, e)) return FileKind::Trace;
    }
    for (const FileKindRow& row : kKinds) {
        for (View whole : row.names)
            if (SameUpper(name, whole)) return row.kind;
        for (View prefix : row.prefixes)
            if (StartsUpper(name, prefix)) return row.kind;
    }
    if (extension.empty()) return FileKind::Other;
    for (const FileKindRow& row : kKinds) {
        for (View e : row.extensions) {
            if (!SameUpper(extension, e)) continue;
            if (row.kind != FileKind::Text && row.kind != FileKind::Program) return row.kind;
            std::wstring stem(name.substr(0, dot));
            for (wchar_t& c : stem) c = Upper(c);
            // "error.log.txt", "crash-report.txt": a log by its name. "setup.exe",
            // "vcredist_x64.exe": an installer left behind, not the program it installs.
            if (row.kind == FileKind::Text && NamesLogs(stem)) return FileKind::Trace;
            if (row.kind == FileKind::Program && (NamesInstaller(stem) || IsPackage(extension)))
                return FileKind::Installer;
            return row.kind;
        }
    }
    return FileKind::Other;
}

const std::vector<PlaceRow>& PlaceTable()
{
    return kPlaces;
}

const PlaceRow& PlaceRowOf(PlaceKind kind)
{
    for (const PlaceRow& row : kPlaces)
        if (row.kind == kind) return row;
    return kPlaces.front();
}

const std::vector<View>& TraceFolderWords()
{
    return kTraceWords;
}

const std::vector<View>& TraceFolderStems()
{
    return kTraceStems;
}

bool IsTraceFolderName(View part)
{
    // "TEMPLATES" holds the user's own templates, not temporary files.
    if (part.find(L"TEMPLATE") != View::npos) return false;
    if (NamesLogs(part)) return true;
    for (View stem : kTraceStems)
        if (part.find(stem) != View::npos) return true;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= part.size(); ++i) {
        if (i < part.size() && !IsWordBreak(part[i])) continue;
        const View word = part.substr(start, i - start);
        for (View w : kTraceWords)
            if (word == w) return true;
        start = i + 1;
    }
    return false;
}

const std::vector<View>& NeverFolderNames()
{
    return kNeverFolders;
}

} // namespace sweepora
