#include "engine/ShellFolders.h"
#include "engine/SystemTraceCleaners.h"
#include "engine/Win32Desktop.h"
#include "erasure/RecentDocsList.h"
#include "platform/ErrorText.h"
#include "platform/HostPlatform.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <shlobj.h>

#include <cstring>

using namespace sweepora;

namespace {

using SystemTraceFixture = test::SessionFixture;

// Wine's Recycle Bin is the freedesktop trash that tools/wine-sandbox puts in the sandbox;
// its Windows path, or empty outside the sandbox.
std::string SandboxTrashFolder()
{
    const std::string data = test::EnvironmentText("XDG_DATA_HOME");
    using ToDos = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    WCHAR* wide = data.empty() || toDos == nullptr ? nullptr : toDos((data + "/Trash").c_str());
    const std::string path = wide != nullptr ? Utf8FromWide(wide) : "";
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return path;
}

void PutTextOnClipboard(const std::string& text)
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    EXPECT_NE(::SetClipboardData(CF_TEXT, memory), nullptr); // owns the memory from here on
    ::CloseClipboard();
}

} // namespace

TEST_F(SystemTraceFixture, RecycleBinAndRecentDocsAreEmptiedOnlyInLiveMode)
{
    const std::pair<const char*, const char*> roots[] = {{"", ""}, {"D", "D:\\"}, {"D:\\", "D:\\"},
                                                         {"d:\\Recycled", "d:\\Recycled"}, {"Drive", "D:\\"}};
    for (const auto& [root, path] : roots) EXPECT_EQ(RecycleBinRootPath(root), path) << root;

    const std::string trash = SandboxTrashFolder(), deleted = trash + "\\files\\letter.txt",
                      info = trash + "\\info\\letter.txt.trashinfo";
    if (!trash.empty()) {
        ::SHCreateDirectoryExA(nullptr, FolderOf(deleted).c_str(), nullptr);
        ::SHCreateDirectoryExA(nullptr, FolderOf(info).c_str(), nullptr);
        test::WriteFileBytes(deleted, "deleted words");
        test::WriteFileBytes(info, "[Trash Info]\nPath=/tmp/letter.txt\nDeletionDate=2026-12-04T17:28:43\n");
    }
    const char* recent = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
    test::ScratchKey recentKey{recent};
    test::WriteRaw(HKEY_CURRENT_USER, recent, "0", REG_BINARY, std::string("r\0e\0p\0\0\0", 8));
    test::WriteRaw(HKEY_CURRENT_USER, recent, "MRUListEx", REG_BINARY, std::string(8, '\xff'));
    EmptyRecycleBin(session, "", true, true, true);
    CleanRecentDocs(session);
    // The recent-items stores have their own lines between the two.
    const test::Texts preview = Tasks();
    ASSERT_GE(preview.size(), 3u);
    EXPECT_EQ(preview.front(), trash.empty() ? "Testing : Recycle Bin " : "Testing : Recycle Bin Cleared ");
    EXPECT_EQ(preview.back(), "Testing : Recent Docs List cleared");
    EXPECT_NE(std::find(preview.begin(), preview.end(), "Testing : Recent documents (RecentDocs)"), preview.end());
    EXPECT_TRUE(trash.empty() || FileExists(deleted));
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, recent).size(), 2u);

    session.run.live = true;
    CleanRecentDocs(session);
    // Wine deletes the key, Windows empties it: either way no entry is left.
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, recent).empty());
    EXPECT_EQ(Last(), "Recent Docs List cleared|@");
    EmptyRecycleBin(session, "C", true, true, true);
    EXPECT_EQ(Last(), trash.empty() ? "Recycle Bin |Nothing to clear: it is empty" : "Recycle Bin Cleared |@");
    // Already empty: the shell is not asked, and the line does not claim a clearing.
    EmptyRecycleBin(session, "", true, true, true);
    EXPECT_EQ(Last(), "Recycle Bin |Nothing to clear: it is empty");
    EXPECT_EQ(session.log.Lines().size(), 2 * preview.size() + 1);
    if (trash.empty()) GTEST_SKIP() << "the sandbox's trash is not visible: its emptying was not checked";
    EXPECT_FALSE(FileExists(deleted) || FileExists(info));

    // What the shell's clearing leaves is counted, never taken as cleared: Wine's shell
    // cannot delete the list's key while it has a subkey, and leaves its value.
    const std::string other = std::string(recent) + "\\.odd";
    test::WriteRaw(HKEY_CURRENT_USER, other, "0", REG_BINARY, std::string("x\0\0\0", 4));
    EXPECT_EQ(ClearRecentDocsList(session.Erasure(), recent), RunningUnderWine() ? 1 : 0);
}

TEST_F(SystemTraceFixture, TemporaryFolderIsEmptiedButKeptAndSystemFoldersRefused)
{
    const std::string windows = GetWindowsFolder(), profile = GetSpecialFolderPath(kProfileFolder);
    ASSERT_FALSE(windows.empty() || profile.empty());
    const std::string users = profile.substr(0, profile.find_last_of('\\'));
    // This cleaner's own names of the Windows folder; then this machine's places, through the
    // guard whose rules (roots, shares, spellings) the guard tests cover.
    for (const std::string& refused : {std::string("  c:\\winnt\\  "), std::string("C:\\WINDOWS"), windows + "\\",
                                       profile, users, users + "\\someone-else\\Temp",
                                       "\\\\localhost\\C$\\" + users.substr(3)})
        EXPECT_NE(TempFolderRefusal(refused), "") << refused;
    for (const std::string& allowed : {windows + "\\Temp\\", folder.Path()})
        EXPECT_EQ(TempFolderRefusal(allowed), "") << allowed;

    const std::string a = folder.File("a.tmp"), sub = folder.File("sub"), b = sub + "\\b.tmp";
    const auto seed = [&] {
        ::CreateDirectoryA(sub.c_str(), nullptr);
        test::WriteFileBytes(a, "first");
        test::WriteFileBytes(b, "second");
    };
    seed();
    session.run.live = true;
    {
        // The folder of profiles, and a relative TEMP: refused even live, nothing erased.
        test::ScopedEnvironment tmp{"TMP", users};
        CleanWindowsTemp(session);
        EXPECT_EQ(Tasks(), (test::Texts{users + "\\", "Windows Tempoprary Files"}));
        EXPECT_EQ(Last(), "Windows Tempoprary Files|Terminated");
        test::ScopedEnvironment relative{"TMP", "temp"};
        CleanWindowsTemp(session);
        EXPECT_EQ(session.log.Lines()[2].status, "Not cleaned: the temporary folder is a relative path");
        EXPECT_TRUE(FileExists(a) && FileExists(b));
    }
    test::ScopedEnvironment tmp{"TMP", folder.Path()}; // read first for the temporary folder
    CleanWindowsTemp(session);
    EXPECT_FALSE(FileExists(a) || FileExists(sub));
    EXPECT_TRUE(FileExists(folder.Path()));
    EXPECT_EQ(session.run.files, 2);
    EXPECT_EQ(Last(), "Windows Tempoprary Files|@");

    seed();
    host.onYield = [this] { session.run.abort = true; };
    CleanWindowsTemp(session);
    EXPECT_EQ(Last(), "Windows Tempoprary Files **** aborted by user|@");
    EXPECT_TRUE(FileExists(a) || FileExists(b));
}

TEST_F(SystemTraceFixture, ClipboardIsEmptiedOnlyInLiveModeAndWhenFree)
{
    const auto hasText = [] { return ::IsClipboardFormatAvailable(CF_TEXT) != FALSE; };
    PutTextOnClipboard("account 1234");
    CleanClipboard(session);
    EXPECT_TRUE(hasText());
    EXPECT_EQ(Last(), "Testing : Clipboard Cleared|@");
    session.run.live = true;
    CleanClipboard(session);
    EXPECT_FALSE(hasText());
    EXPECT_EQ(Last(), "Clipboard Cleared|@");

    // Held open with a window, as another program would: refused, contents kept.
    PutTextOnClipboard("still here");
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::OpenClipboard(window));
    CleanClipboard(session);
    ::CloseClipboard();
    ::DestroyWindow(window);
    EXPECT_EQ(Last(), "Clipboard |Terminated");
    EXPECT_TRUE(hasText());
}

TEST_F(SystemTraceFixture, AutoCompleteHelperIsRunFromTheProgramFolderAndItsAnswerLogged)
{
    CleanAutoCompleteForms(session); // a test run starts nothing: the helper would erase
    EXPECT_TRUE(desktop.launched.empty());
    session.run.live = true;
    CleanAutoCompleteForms(session);
    EXPECT_EQ(Last(), "IE Autocomplete forms Cleared|@");
    ASSERT_EQ(desktop.launched.size(), 1u);
    const test::FakeDesktop::Launch& l = desktop.launched[0];
    EXPECT_EQ(l.operation + "|" + l.file + "|" + l.parameters + "|" + l.directory,
              "run|" + folder.File("iea.exe") + "|1|" + folder.Path());

    // Every way the helper can fail is said as such, never as "Cleared".
    desktop.runExitCode = 1;
    CleanAutoCompleteForms(session);
    EXPECT_EQ(Last(), "IE Autocomplete forms|Not all cleared: iea.exe could not clear every store (exit code 1)");
    desktop.runResult = WAIT_TIMEOUT;
    CleanAutoCompleteForms(session);
    EXPECT_EQ(Last(), "IE Autocomplete forms|Not confirmed: iea.exe had not finished after two minutes");
    desktop.runResult = ERROR_FILE_NOT_FOUND;
    CleanAutoCompleteForms(session);
    EXPECT_EQ(Last(), "IE Autocomplete forms|Not cleared: iea.exe could not be started (" +
                          ErrorText(ERROR_FILE_NOT_FOUND) + ")");
    session.run.abort = true;
    CleanAutoCompleteForms(session);
    EXPECT_EQ(session.log.Lines().size(), 5u);

    // The real desktop runs a program to its end and hands back its exit code.
    Win32Desktop real;
    DWORD code = 0;
    EXPECT_EQ(real.RunAndWait("C:\\windows\\system32\\cmd.exe", "/c exit 3", folder.Path(), 30000, nullptr, code),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(real.RunAndWait(folder.File("none.exe"), "", folder.Path(), 1000, nullptr, code),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SystemTraceFixture, IndexDatFilesAreOverwrittenWithSpacesAndKept)
{
    const std::string cookies = GetSpecialFolderPath(kCookiesFolder), history = GetSpecialFolderPath(kHistoryFolder);
    ASSERT_FALSE(cookies.empty() || history.empty());
    // Seeded for good: the sandbox is thrown away.
    const auto seed = [](const std::string& path, std::size_t size) {
        ::SHCreateDirectoryExA(nullptr, FolderOf(path).c_str(), nullptr);
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        test::WriteFileBytes(path, std::string(size, 'x'));
        return path;
    };
    // Whole blocks and a bit, whole blocks, and a single byte.
    const std::string big = seed(history + "\\index.dat", 200001), held = seed(cookies + "\\index.dat", 32768),
                      ie5 = seed(history + "\\history.ie5\\index.dat", 1);
    // Such files are often hidden and system files; they are written all the same.
    ::SetFileAttributesA(big.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    CleanIndexDat(session);
    EXPECT_EQ(Last(), "Testing : Index.dat cleaned|@");
    session.run.live = true;
    session.run.abort = true;
    CleanIndexDat(session);
    EXPECT_EQ(Last(), "Index.dat |**Aborted**");
    EXPECT_EQ(test::ReadFileBytes(big), std::string(200001, 'x'));

    session.run.abort = false;
    {
        // Held open by another program: left as it is, with the system's reason; the others go on.
        UniqueFile holder(::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        CleanIndexDat(session);
    }
    const std::vector<LogLine>& lines = session.log.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].task + "|" + lines[lines.size() - 2].status,
              held + "|Not cleaned: " + ErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Last(), "Index.dat |Not cleaned: 1 of 3 files could not be overwritten");
    EXPECT_EQ(test::ReadFileBytes(big), std::string(200001, ' '));
    EXPECT_EQ(test::ReadFileBytes(ie5), " ");
    EXPECT_EQ(test::ReadFileBytes(held), std::string(32768, 'x'));
    // Kept as they were: still hidden and system files.
    const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(::GetFileAttributesA(big.c_str()) & hiddenSystem, hiddenSystem);

    CleanIndexDat(session);
    EXPECT_EQ(Last(), "Index.dat cleaned|@");
    EXPECT_EQ(test::ReadFileBytes(held), std::string(32768, ' '));
    for (const std::string& file : {big, held, ie5}) {
        ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(file.c_str());
    }
    CleanIndexDat(session);
    EXPECT_EQ(Last(), "Index.dat |Nothing to clean: there is no index.dat file");
}
