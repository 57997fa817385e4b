#include "engine/SystemTraceCleaners.h"

#include "engine/ClipboardHistory.h"
#include "engine/Eradication.h"
#include "engine/RecentItems.h"
#include "engine/ShellFolders.h"
#include "erasure/FileGuard.h"
#include "erasure/IndexDatFile.h"
#include "erasure/RecentDocsList.h"
#include "erasure/RecycleBin.h"
#include "platform/ErrorText.h"
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

constexpr const char* kBinTask = "Recycle Bin ";
constexpr const char* kAutoCompleteTask = "IE Autocomplete forms";
// The helper clears in moments; one that hangs must not hold the run for ever.
constexpr DWORD kAutoCompleteWait = 2 * 60 * 1000;

std::string Plural(std::int64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
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
    DWORD flags = 0;
    if (noConfirmation) flags |= SHERB_NOCONFIRMATION;
    if (noProgressUI) flags |= SHERB_NOPROGRESSUI;
    if (noSound) flags |= SHERB_NOSOUND;
    const RecycleBinOutcome o = EraseRecycleBin(s.Erasure(), RecycleBinRootPath(rootPath), flags);
    if (o.counted && o.before == 0)
        s.log.AddLogEntry(kBinTask, "Nothing to clear: it is empty");
    else if (FAILED(o.result))
        s.log.AddLogEntry(kBinTask, "Not cleared: " + ErrorText(static_cast<DWORD>(o.result)));
    else if (s.run.live && o.counted && o.after > 0)
        s.log.AddLogEntry(kBinTask, "Not cleared: " + Plural(o.after, "item is", "items are") + " still there, of " +
                                        std::to_string(o.before));
    else
        s.log.AddLogEntry("Recycle Bin Cleared ", TimestampText());
}

void CleanRecentDocs(Session& s)
{
    // First, so that the lines count what the shell's own clearing would otherwise take unseen.
    const RecentScope scope = CurrentRecentScope();
    CleanRecentItems(s, scope);
    const std::int64_t left = ClearRecentDocsList(s.Erasure(), scope.recentDocsKey);
    // A test run removed nothing, so what is listed says nothing of what the live run leaves.
    if (!s.run.live || left == 0)
        s.log.AddLogEntry("Recent Docs List cleared", TimestampText());
    else if (left < 0)
        s.log.AddLogEntry("Recent Docs List ", "Not cleared: the list cannot be read to check");
    else
        s.log.AddLogEntry("Recent Docs List ",
                          "Not cleared: " + Plural(left, "entry is", "entries are") + " still listed");
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
    DWORD started = ERROR_SUCCESS, exitCode = 0;
    if (s.run.live)
        started = s.desktop.RunAndWait(AddBackslash(s.programFolder) + kAutoCompleteProgram, "1", s.programFolder,
                                       kAutoCompleteWait, [&s] { s.host.YieldToQueue(); }, exitCode);
    // The console's Ctrl+C can set the flag from another thread meanwhile.
    if (s.run.abort)
        s.log.AddLogEntry(kAutoCompleteTask, kAborted);
    else if (started == WAIT_TIMEOUT)
        s.log.AddLogEntry(kAutoCompleteTask, std::string("Not confirmed: ") + kAutoCompleteProgram +
                                                 " had not finished after two minutes");
    else if (started != ERROR_SUCCESS)
        s.log.AddLogEntry(kAutoCompleteTask, std::string("Not cleared: ") + kAutoCompleteProgram +
                                                 " could not be started (" + ErrorText(started) + ")");
    else if (exitCode != 0)
        s.log.AddLogEntry(kAutoCompleteTask, std::string("Not all cleared: ") + kAutoCompleteProgram +
                                                 " could not clear every store (exit code " +
                                                 std::to_string(exitCode) + ")");
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
    const EraseContext erasure = s.Erasure();
    int overwritten = 0, failed = 0;
    for (const std::string& file : files) {
        if (s.run.abort) break;
        const DWORD error = OverwriteIndexDat(erasure, file);
        if (error == ERROR_SUCCESS) {
            ++overwritten;
        } else if (!IsMissing(error)) {
            ++failed;
            s.log.AddLogEntry(file, "Not cleaned: " + (error == ERROR_CANNOT_MAKE
                                                           ? std::string("it is a link or has other names")
                                                           : ErrorText(error)));
        }
    }
    if (s.run.abort)
        s.log.AddLogEntry("Index.dat ", kAborted);
    else if (failed > 0)
        s.log.AddLogEntry("Index.dat ", "Not cleaned: " + std::to_string(failed) + " of " +
                                            std::to_string(failed + overwritten) + " files could not be overwritten");
    else if (overwritten == 0)
        s.log.AddLogEntry("Index.dat ", "Nothing to clean: there is no index.dat file");
    else
        s.log.AddLogEntry("Index.dat cleaned", TimestampText());
}

} // namespace sweepora
