#include "engine/SystemTraceCleaners.h"

#include "engine/Eradication.h"
#include "engine/ShellFolders.h"
#include "engine/Timestamp.h"
#include "storage/Paths.h"
#include "storage/Text.h"
#include "storage/UniqueHandle.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sweepora {

namespace {

constexpr const char* kTempTask = "Windows Tempoprary Files";
constexpr const char* kTerminated = "Terminated";
constexpr const char* kAborted = "**Aborted**";

// Trimmed, long-named, upper-cased and with its trailing backslash, so that two
// spellings of one folder compare equal.
std::string ComparableFolder(const std::string& folder)
{
    std::string path = TrimBlanks(folder);
    if (path.empty()) return path;
    char longPath[MAX_PATH + 1] = {};
    const DWORD n = ::GetLongPathNameA(path.c_str(), longPath, sizeof longPath);
    if (n > 0 && n < sizeof longPath) path.assign(longPath, n);
    return UpperCase(AddBackslash(path));
}

bool IsRootFolder(const std::string& folder)
{
    if (folder == "\\") return true;
    if (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\') return true;
    // "\\SERVER\SHARE\"
    return folder.size() > 2 && folder.compare(0, 2, "\\\\") == 0 &&
           std::count(folder.begin(), folder.end(), '\\') == 4;
}

std::string EnvironmentText(const char* name)
{
    char value[MAX_PATH + 1] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// Spaces over the file's whole length, in place, so its old clusters are what get
// overwritten. Fails without touching it when another program holds it open.
void OverwriteWithSpaces(const std::string& path)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size)) return;
    static constexpr DWORD kBlock = 64 * 1024;
    const std::vector<char> spaces(kBlock, ' ');
    for (std::int64_t left = size.QuadPart; left > 0;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(left, kBlock));
        DWORD written = 0;
        if (!::WriteFile(file.get(), spaces.data(), chunk, &written, nullptr) || written == 0) return;
        left -= written;
    }
}

} // namespace

std::string RecycleBinRootPath(const std::string& rootPath)
{
    if (rootPath.empty() || rootPath.compare(1, 2, ":\\") == 0) return rootPath;
    return rootPath.substr(0, 1) + ":\\";
}

void EmptyRecycleBin(Session& s, const std::string& rootPath, bool noConfirmation, bool noProgressUI,
                     bool noSound)
{
    const std::string root = RecycleBinRootPath(rootPath);
    DWORD flags = 0;
    if (noConfirmation) flags |= SHERB_NOCONFIRMATION;
    if (noProgressUI) flags |= SHERB_NOPROGRESSUI;
    if (noSound) flags |= SHERB_NOSOUND;
    // An already empty bin answers with a failure; the line is written all the same.
    if (s.run.live) ::SHEmptyRecycleBinA(::GetActiveWindow(), root.empty() ? nullptr : root.c_str(), flags);
    s.log.AddLogEntry("Recycle Bin Cleared ", TimestampText());
}

void CleanRecentDocs(Session& s)
{
    if (s.run.live) ::SHAddToRecentDocs(0, nullptr);
    s.log.AddLogEntry("Recent Docs List cleared", TimestampText());
}

std::string GetWindowsTempPath()
{
    char path[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(sizeof path, path);
    return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

bool IsRefusedTempFolder(const std::string& folder)
{
    const std::string path = ComparableFolder(folder);
    if (path.empty() || IsRootFolder(path) || path == "C:\\WINDOWS\\" || path == "C:\\WINNT\\") return true;
    const std::string system[] = {GetWindowsFolder(), EnvironmentText("USERPROFILE"),
                                  GetSpecialFolderPath(kProfileFolder)};
    for (const std::string& other : system) {
        if (!other.empty() && path == ComparableFolder(other)) return true;
    }
    return false;
}

void CleanWindowsTemp(Session& s)
{
    std::string folder = GetWindowsTempPath();
    if (folder.empty() || IsRefusedTempFolder(folder)) {
        s.log.AddLogEntry(kTempTask, kTerminated);
        return;
    }
    folder = AddBackslash(folder);
    EradicateFolder(s, folder, false, true);
    if (s.run.abort)
        s.log.AddLogEntry("Windows Tempoprary Files **** aborted by user", TimestampText());
    else
        s.log.AddLogEntry(kTempTask, TimestampText());
}

void CleanClipboard(Session& s)
{
    if (!s.run.live) {
        s.log.AddLogEntry("Clipboard Cleared", TimestampText());
        return;
    }
    // No owner window: the engine has none, and emptying needs none.
    const bool opened = ::OpenClipboard(nullptr) != FALSE;
    const bool emptied = opened && ::EmptyClipboard();
    if (opened) ::CloseClipboard();
    if (emptied)
        s.log.AddLogEntry("Clipboard Cleared", TimestampText());
    else
        s.log.AddLogEntry("Clipboard ", kTerminated);
}

void CleanAutoCompleteForms(Session& s)
{
    if (s.run.abort) return;
    // Runs in test mode too: the program has no test mode of its own.
    s.desktop.ShellExecuteFile("open", AddBackslash(s.programFolder) + kAutoCompleteProgram, "1", s.programFolder,
                               SW_HIDE);
    // The console's Ctrl+C can set the flag from another thread meanwhile.
    if (s.run.abort)
        s.log.AddLogEntry("IE Autocomplete forms", kAborted);
    else
        s.log.AddLogEntry("IE Autocomplete forms Cleared", TimestampText());
}

void CleanIndexDat(Session& s)
{
    std::vector<std::string> files;
    // An unknown folder is skipped: "\index.dat" would be some other file on the current drive.
    const std::string cookies = GetSpecialFolderPath(kCookiesFolder);
    if (!cookies.empty()) files.push_back(AddBackslash(cookies) + "index.dat");
    const std::string history = GetSpecialFolderPath(kHistoryFolder);
    if (!history.empty()) {
        files.push_back(AddBackslash(history) + "index.dat");
        files.push_back(AddBackslash(history) + "history.ie5\\index.dat");
    }
    for (const std::string& file : files) {
        if (s.run.abort || !s.run.live) break;
        OverwriteWithSpaces(file);
    }
    if (s.run.abort)
        s.log.AddLogEntry("Index.dat ", kAborted);
    else
        s.log.AddLogEntry("Index.dat cleaned", TimestampText());
}

} // namespace sweepora
