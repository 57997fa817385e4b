#pragma once
// The rules the file guards apply to entries from files of unknown origin, as one table:
// what kind a file is by its name, what kind of place a folder is, and what each kind of
// place gives up. FileGuard reads these rows and nothing else; the README's "Protected
// places" shows the same rows, and a test holds the two alike.
#include <string_view>
#include <vector>

namespace sweepora {

// What a file is, by its long name.
enum class FileKind {
    Secret,       // keys, certificates, key rings, password stores, wallets
    BrowserStore, // a browser's saved logins, keys, certificates, bookmarks, profile lists
    DiskImage,    // virtual disks and disk images
    Content,      // documents, e-books, source code, mail, saved games
    Media,        // pictures, music, videos, archives
    Text,         // plain text and pages: the user's notes in their folders, logs elsewhere
    Program,      // programs, libraries, drivers, scripts, installers
    Installer,    // a program's file whose name says it installs or updates: a leftover
    Settings,     // what the system and programs read to work, and the user's dot files
    Trace,        // logs, temporary files, backups, dumps
    Other,
};

struct FileKindRow {
    FileKind kind;
    const char* title;
    std::vector<std::wstring_view> extensions; // upper case, without the dot
    std::vector<std::wstring_view> names;      // whole names, upper case
    std::vector<std::wstring_view> prefixes;   // names that begin so, upper case
    const char* never;                         // where it never goes, for the README
};

// Every kind but Other, the first that fits a name winning.
const std::vector<FileKindRow>& FileKindTable();

// The kind of `name` (any case): its whole name first, then its extension, read the way
// the system opens a file (trailing dots and blanks dropped).
FileKind KindOfFile(std::wstring_view name);

// What kind of place a folder is. A place's own folder is its root (an "anchor"); below it
// a folder is named by the entry, which may then reach wider.
enum class PlaceKind {
    Never,        // nothing at any depth: another user's, the system's start, key stores, ...
    UserData,     // the user's own folders, the profile, the Public profile
    Outside,      // other drives and folders at a drive's root: no cleaner knows what they hold
    ProgramData,  // AppData, ProgramData, a service's AppData, the profile's dot folders
    ProgramFiles, // Program Files in both views, the user's own Programs, Common Files
    Windows,      // the Windows folder
    TraceFolder,  // a trace folder the system keeps: TEMP, Windows' Temp, Logs, Prefetch, ...
};

struct PlaceRow {
    PlaceKind kind;
    const char* title;
    const char* covers; // what folders it is, for the README
    const char* rule;   // what an entry may take there, for the README
};

const std::vector<PlaceRow>& PlaceTable();
const PlaceRow& PlaceRowOf(PlaceKind kind);

// Folder names that hold nothing but traces wherever they are: below an application's
// own folder, what an entry names there goes as written (upper case; a part matches when
// it is one of these words, or, for the stems, holds one).
const std::vector<std::wstring_view>& TraceFolderWords();
const std::vector<std::wstring_view>& TraceFolderStems();
bool IsTraceFolderName(std::wstring_view upperPart);

// The name (upper case) says log, error, crash, debug or dump; or setup, redist, install,
// update or upgrade.
bool NamesLogs(std::wstring_view upper);
bool NamesInstaller(std::wstring_view upper);

// Folder names that are never entered, at any depth, wherever they are (upper case).
const std::vector<std::wstring_view>& NeverFolderNames();

} // namespace sweepora
