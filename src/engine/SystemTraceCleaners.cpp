#include "engine/SystemTraceCleaners.h"

#include "engine/ClipboardHistory.h"
#include "engine/Eradication.h"
#include "engine/RecentItems.h"
#include "engine/ShellFolders.h"
#include "erasure/FileGuard.h"
#include "platform/FolderListing.h"
#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/Timestamp.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

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

// Spaces over the file's whole length, in place, so its old clusters are what get
// overwritten. Fails without touching it when another program holds it open.
void OverwriteWithSpaces(const std::string& path)
{
    // Never through a link: the spaces belong in this file only.
    UniqueFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return;
    LARGE_INTEGER size = {};
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file.get(), &info) || info.nNumberOfLinks > 1 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !SamePath(FinalPathOf(file.get()), LongPath(path)))
        return;
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
    const std::wstring wideRoot = WideFromUtf8(root); // a mounted folder's root may have any name
    if (s.run.live) ::SHEmptyRecycleBinW(::GetActiveWindow(), wideRoot.empty() ? nullptr : wideRoot.c_str(), flags);
    s.log.AddLogEntry("Recycle Bin Cleared ", TimestampText());
}

void CleanRecentDocs(Session& s)
{
    // First, so that the lines count what the shell's own clearing would otherwise take unseen.
    CleanRecentItems(s, CurrentRecentScope());
    if (s.run.live) ::SHAddToRecentDocs(0, nullptr);
    s.log.AddLogEntry("Recent Docs List cleared", TimestampText());
}

std::string GetWindowsTempPath()
{
    wchar_t path[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 2, path);
    return n > 0 && n < MAX_PATH + 2 ? Utf8FromWide(path, n) : std::string();
}

std::string TempFolderRefusal(const std::string& folder)
{
    const std::string trimmed = UpperCase(AddBackslash(TrimBlanks(folder)));
    if (trimmed == "C:\\WINDOWS\\" || trimmed == "C:\\WINNT\\") return "it is the Windows folder";
    if (TempSettingIsRelative()) return "the temporary folder is a relative path";
    return TempFolderRefusal(folder, CurrentProtectedPlaces());
}

void CleanWindowsTemp(Session& s)
{
    std::string folder = GetWindowsTempPath();
    const std::string refusal = TempFolderRefusal(folder);
    if (!refusal.empty()) {
        if (!folder.empty()) s.log.AddLogEntry(folder, "Not cleaned: " + refusal);
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
    // Emptying takes only the current item; Windows 10 and 11 keep the earlier ones apart.
    const ClipboardHistoryOutcome history = ClearClipboardHistory(s.run.live);
    if (!history.kept)
        s.log.AddLogEntry("Clipboard history", "not kept by this system");
    else if (history.cleared)
        s.log.AddLogEntry("Clipboard history cleared (pinned clips kept)", TimestampText());
    else
        s.log.AddLogEntry("Clipboard history", "not cleared: " + history.problem);
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
    // The helper has no test mode of its own: a test run must not start it.
    if (s.run.live)
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
