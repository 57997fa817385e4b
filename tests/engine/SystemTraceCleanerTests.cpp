#include "engine/ShellFolders.h"
#include "engine/SystemTraceCleaners.h"
#include "storage/Paths.h"
#include "storage/UniqueHandle.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <future>
#include <initializer_list>
#include <thread>

using namespace sweepora;

namespace {

constexpr const char* kRecentDocsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";

std::string EnvironmentText(const char* name)
{
    char value[32768];
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// Points environment variables of this process at one value for the scope.
struct ScopedEnvironment {
    ScopedEnvironment(std::initializer_list<const char*> names, const std::string& value)
    {
        for (const char* name : names) saved.emplace_back(name, EnvironmentText(name));
        for (const char* name : names) ::SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnvironment()
    {
        for (const auto& [name, old] : saved) ::SetEnvironmentVariableA(name, old.empty() ? nullptr : old.c_str());
    }
    std::vector<std::pair<const char*, std::string>> saved;
};

struct SystemTraceFixture : ::testing::Test {
    RegistrySettingsStore store{"Software\\SweeporaTests\\SystemTraceStore"};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};

    const LogLine& LastLine() const { return session.log.Lines().back(); }
    // The last line names the task and, for a finished one, carries the timestamp.
    void ExpectDone(const std::string& task) const
    {
        EXPECT_EQ(LastLine().task, task);
        EXPECT_NE(LastLine().status.find(" @ "), std::string::npos) << LastLine().status;
    }
};

// Wine's Recycle Bin is the freedesktop trash that tools/wine-sandbox puts in the sandbox;
// its Windows path, or empty outside the sandbox.
std::string SandboxTrashFolder()
{
    const std::string data = EnvironmentText("XDG_DATA_HOME");
    using ToDos = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    WCHAR* wide = data.empty() || toDos == nullptr ? nullptr : toDos((data + "/Trash").c_str());
    char path[MAX_PATH * 2] = {};
    if (wide != nullptr) ::WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, nullptr, nullptr);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return path;
}

} // namespace

TEST_F(SystemTraceFixture, RecycleBinIsEmptiedOnlyInLiveMode)
{
    const std::pair<const char*, const char*> roots[] = {{"", ""}, {"D", "D:\\"}, {"D:\\", "D:\\"},
                                                         {"d:\\Recycled", "d:\\Recycled"}, {"Drive", "D:\\"}};
    for (const auto& [root, path] : roots) EXPECT_EQ(RecycleBinRootPath(root), path) << root;

    const std::string trash = SandboxTrashFolder(), files = trash + "\\files", info = trash + "\\info";
    if (!trash.empty()) {
        ::SHCreateDirectoryExA(nullptr, files.c_str(), nullptr);
        ::SHCreateDirectoryExA(nullptr, info.c_str(), nullptr);
        test::WriteFileBytes(files + "\\letter.txt", "deleted words");
        test::WriteFileBytes(info + "\\letter.txt.trashinfo",
                             "[Trash Info]\nPath=/tmp/letter.txt\nDeletionDate=2026-12-04T17:28:43\n");
    }
    EmptyRecycleBin(session, "", true, true, true);
    ExpectDone("Testing : Recycle Bin Cleared ");
    EXPECT_TRUE(trash.empty() || FileExists(files + "\\letter.txt"));

    session.run.live = true;
    EmptyRecycleBin(session, "C", true, true, true);
    EmptyRecycleBin(session, "", true, true, true); // already empty: logged all the same
    ASSERT_EQ(session.log.Lines().size(), 3u);
    EXPECT_EQ(LastLine().task, "Recycle Bin Cleared ");
    if (trash.empty()) GTEST_SKIP() << "the sandbox's trash is not visible: its emptying was not checked";
    EXPECT_FALSE(FileExists(files + "\\letter.txt") || FileExists(info + "\\letter.txt.trashinfo"));
}

TEST_F(SystemTraceFixture, RecentDocsListIsEmptiedOnlyInLiveMode)
{
    test::ScratchKey recent{kRecentDocsKey};
    test::WriteRaw(HKEY_CURRENT_USER, kRecentDocsKey, "0", REG_BINARY, std::string("r\0e\0p\0\0\0", 8));
    test::WriteRaw(HKEY_CURRENT_USER, kRecentDocsKey, "MRUListEx", REG_BINARY, std::string(8, '\xff'));
    CleanRecentDocs(session);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kRecentDocsKey).size(), 2u);
    EXPECT_EQ(LastLine().task, "Testing : Recent Docs List cleared");

    session.run.live = true;
    CleanRecentDocs(session);
    // Wine deletes the key, Windows empties it: either way no entry is left.
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kRecentDocsKey).empty());
    ExpectDone("Recent Docs List cleared");
}

TEST_F(SystemTraceFixture, TemporaryFolderIsEmptiedButKeptAndSystemFoldersRefused)
{
    const std::string windows = GetWindowsFolder(), profile = GetSpecialFolderPath(kProfileFolder);
    ASSERT_FALSE(windows.empty() || profile.empty());
    for (const std::string& refused : {std::string("  c:\\winnt\\  "), std::string("C:\\WINDOWS"), std::string("d:\\"),
                                       std::string("\\\\server\\share\\"), std::string(), windows + "\\", profile})
        EXPECT_TRUE(IsRefusedTempFolder(refused)) << refused;
    for (const std::string& allowed : {std::string("\\\\server\\share\\temp\\"), windows + "\\Temp\\", folder.Path()})
        EXPECT_FALSE(IsRefusedTempFolder(allowed)) << allowed;

    const std::string a = folder.File("a.tmp"), sub = folder.File("sub"), b = sub + "\\b.tmp";
    const auto seed = [&] {
        ::CreateDirectoryA(sub.c_str(), nullptr);
        test::WriteFileBytes(a, "first");
        test::WriteFileBytes(b, "second");
    };
    seed();
    {
        // A profile folder of our own as the temporary folder: refused even live, its files kept.
        ScopedEnvironment env({"USERPROFILE", "TMP", "TEMP"}, folder.Path());
        session.run.live = true;
        CleanWindowsTemp(session);
        EXPECT_EQ(LastLine().task + "|" + LastLine().status, "Windows Tempoprary Files|Terminated");
        EXPECT_TRUE(FileExists(a) && FileExists(b));
    }
    ScopedEnvironment temp({"TMP", "TEMP"}, folder.Path()); // GetTempPathA reads TMP first
    EXPECT_EQ(AddBackslash(GetWindowsTempPath()), AddBackslash(folder.Path()));
    CleanWindowsTemp(session);
    EXPECT_FALSE(FileExists(a) || FileExists(sub));
    EXPECT_TRUE(FileExists(folder.Path()));
    EXPECT_EQ(session.run.files, 2);
    ExpectDone("Windows Tempoprary Files");

    // Abort on the first yield: the walk stops and says so.
    seed();
    host.onYield = [this] { session.run.abort = true; };
    CleanWindowsTemp(session);
    ExpectDone("Windows Tempoprary Files **** aborted by user");
    EXPECT_TRUE(FileExists(a) || FileExists(b));
}

namespace {

void PutTextOnClipboard(const std::string& text)
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    ASSERT_NE(memory, nullptr);
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    EXPECT_NE(::SetClipboardData(CF_TEXT, memory), nullptr); // owns the memory from here on
    ::CloseClipboard();
}

bool ClipboardHasText() { return ::IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

} // namespace

TEST_F(SystemTraceFixture, ClipboardIsEmptiedOnlyInLiveMode)
{
    PutTextOnClipboard("account 1234");
    CleanClipboard(session);
    EXPECT_TRUE(ClipboardHasText());
    EXPECT_EQ(LastLine().task, "Testing : Clipboard Cleared");
    session.run.live = true;
    CleanClipboard(session);
    EXPECT_FALSE(ClipboardHasText());
    ExpectDone("Clipboard Cleared");

    // Held open by another thread, as another program would: refused, contents kept.
    PutTextOnClipboard("still here");
    std::promise<bool> opened;
    std::promise<void> release;
    std::thread holder([&] {
        // Wine lets two openers without a window share the clipboard: this one has a window.
        HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        const bool held = window != nullptr && ::OpenClipboard(window);
        opened.set_value(held);
        release.get_future().wait();
        if (held) ::CloseClipboard();
        if (window != nullptr) ::DestroyWindow(window);
    });
    const bool held = opened.get_future().get();
    if (held) CleanClipboard(session);
    release.set_value();
    holder.join();
    ASSERT_TRUE(held) << "a second thread could not open the clipboard";
    EXPECT_EQ(LastLine().task + "|" + LastLine().status, "Clipboard |Terminated");
    EXPECT_TRUE(ClipboardHasText());
}

TEST_F(SystemTraceFixture, AutoCompleteProgramIsStartedHiddenFromTheProgramFolder)
{
    CleanAutoCompleteForms(session); // test mode starts it all the same
    desktop.launchResult = 2;        // not found: not looked at
    session.run.live = true;
    CleanAutoCompleteForms(session);
    session.run.abort = true;
    CleanAutoCompleteForms(session);
    ASSERT_EQ(desktop.launched.size(), 2u);
    for (const test::FakeDesktop::Launch& l : desktop.launched)
        EXPECT_EQ(l.operation + "|" + l.file + "|" + l.parameters + "|" + l.directory + "|" + std::to_string(l.showCommand),
                  "open|" + folder.File("iea.exe") + "|1|" + folder.Path() + "|" + std::to_string(SW_HIDE));
    ASSERT_EQ(session.log.Lines().size(), 2u);
    EXPECT_EQ(session.log.Lines()[0].task, "Testing : IE Autocomplete forms Cleared");
    ExpectDone("IE Autocomplete forms Cleared");

    // A program at a drive's root: no doubled backslash.
    test::FakeDesktop rootDesktop;
    Session atRoot{store, host, rootDesktop, "C:\\sweepora.exe"};
    CleanAutoCompleteForms(atRoot);
    ASSERT_EQ(rootDesktop.launched.size(), 1u);
    EXPECT_EQ(rootDesktop.launched[0].file + "|" + rootDesktop.launched[0].directory, "C:\\iea.exe|C:\\");
}

TEST_F(SystemTraceFixture, IndexDatFilesAreOverwrittenWithSpacesAndKept)
{
    const std::string cookies = GetSpecialFolderPath(kCookiesFolder), history = GetSpecialFolderPath(kHistoryFolder);
    ASSERT_FALSE(cookies.empty() || history.empty());
    // Seeded for good: the sandbox is thrown away. Whole blocks and a bit, and a single byte.
    const auto seed = [](const std::string& path, std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 251);
        ::SHCreateDirectoryExA(nullptr, FolderOf(path).c_str(), nullptr);
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        test::WriteFileBytes(path, bytes);
        return std::make_pair(path, bytes);
    };
    const auto [cookieIndex, cookieBytes] = seed(cookies + "\\index.dat", 32768);
    const auto [historyIndex, historyBytes] = seed(history + "\\index.dat", 200001);
    const std::string ie5Index = seed(history + "\\history.ie5\\index.dat", 1).first;
    // Such files are often hidden and system files; they are written all the same.
    ::SetFileAttributesA(cookieIndex.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    CleanIndexDat(session);
    EXPECT_EQ(LastLine().task, "Testing : Index.dat cleaned");
    EXPECT_EQ(test::ReadFileBytes(cookieIndex), cookieBytes);

    session.run.live = true;
    session.run.abort = true;
    CleanIndexDat(session);
    EXPECT_EQ(LastLine().task + "|" + LastLine().status, "Index.dat |**Aborted**");
    EXPECT_EQ(test::ReadFileBytes(historyIndex), historyBytes);

    session.run.abort = false;
    {
        // Held open by another program: left as it is, silently; the others go on.
        UniqueFile holder(::CreateFileA(historyIndex.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        CleanIndexDat(session);
    }
    EXPECT_EQ(LastLine().task, "Index.dat cleaned");
    EXPECT_EQ(test::ReadFileBytes(cookieIndex), std::string(32768, ' '));
    EXPECT_EQ(test::ReadFileBytes(ie5Index), " ");
    EXPECT_EQ(test::ReadFileBytes(historyIndex), historyBytes);

    CleanIndexDat(session);
    EXPECT_EQ(test::ReadFileBytes(historyIndex), std::string(200001, ' '));
    EXPECT_EQ(session.run.files, 0); // kept, not counted as erased
}
