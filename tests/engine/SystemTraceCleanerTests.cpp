#include "engine/ShellFolders.h"
#include "engine/SystemTraceCleaners.h"
#include "storage/Paths.h"
#include "storage/UniqueHandle.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

using namespace sweepora;

namespace {

constexpr const char* kStoreRoot = "Software\\SweeporaTests\\SystemTraceStore";
constexpr const char* kRecentDocsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";

// Sets an environment variable of this process for the scope, then puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name)
    {
        char old[32768];
        const DWORD n = ::GetEnvironmentVariableA(name, old, sizeof old);
        if (n > 0 && n < sizeof old) old_ = std::string(old, n);
        ::SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { ::SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// GetTempPathA reads TMP first, then TEMP: both point at the folder.
struct TempFolderIs {
    explicit TempFolderIs(const std::string& folder) : tmp("TMP", folder), temp("TEMP", folder) {}
    ScopedVariable tmp, temp;
};

std::string EnvironmentText(const char* name)
{
    char value[32768];
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

struct SystemTraceFixture : ::testing::Test {
    RegistrySettingsStore store{kStoreRoot};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};

    const LogLine& LastLine() const { return session.log.Lines().back(); }
    bool Logged(const std::string& task) const
    {
        for (const LogLine& line : session.log.Lines())
            if (line.task == task) return true;
        return false;
    }
};


// Wine's Recycle Bin is the freedesktop trash of the sandbox; its Windows path, or empty
// where that trash cannot be told apart from a real user's (Wine does not pass HOME on).
std::string SandboxTrashFolder()
{
    const std::string data = EnvironmentText("XDG_DATA_HOME");
    const std::string prefix = EnvironmentText("WINEPREFIX");
    // tools/wine-sandbox keeps both in one folder: DIR/prefix and DIR/home/.local/share.
    const std::string sandbox = prefix.substr(0, prefix.find_last_of('/') + 1);
    if (data.empty() || sandbox.size() < 2 || data.compare(0, sandbox.size(), sandbox) != 0) return {};
    using ToDos = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos == nullptr) return {};
    WCHAR* wide = toDos((data + "/Trash").c_str());
    if (wide == nullptr) return {};
    char path[MAX_PATH * 2] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, nullptr, nullptr);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return path;
}

} // namespace

TEST(RecycleBinRoot, DriveLettersGetTheirRoot)
{
    EXPECT_EQ(RecycleBinRootPath(""), "");
    EXPECT_EQ(RecycleBinRootPath("D"), "D:\\");
    EXPECT_EQ(RecycleBinRootPath("D:\\"), "D:\\");
    EXPECT_EQ(RecycleBinRootPath("d:\\Recycled"), "d:\\Recycled");
    EXPECT_EQ(RecycleBinRootPath("Drive"), "D:\\");
}

TEST_F(SystemTraceFixture, RecycleBinIsEmptiedOnlyInLiveMode)
{
    const std::string trash = SandboxTrashFolder();
    const std::string files = trash + "\\files", info = trash + "\\info";
    if (!trash.empty()) {
        ::SHCreateDirectoryExA(nullptr, files.c_str(), nullptr);
        ::SHCreateDirectoryExA(nullptr, info.c_str(), nullptr);
        test::WriteFileBytes(files + "\\letter.txt", "deleted words");
        test::WriteFileBytes(info + "\\letter.txt.trashinfo",
                             "[Trash Info]\nPath=/tmp/letter.txt\nDeletionDate=2026-12-04T17:28:43\n");
    }

    EmptyRecycleBin(session, "", true, true, true);
    EXPECT_EQ(LastLine().task, "Testing : Recycle Bin Cleared ");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);
    if (!trash.empty()) {
        EXPECT_TRUE(FileExists(files + "\\letter.txt"));
    }

    session.run.live = true;
    EmptyRecycleBin(session, "C", true, true, true);
    EmptyRecycleBin(session, "", true, true, true); // already empty: logged all the same
    ASSERT_EQ(session.log.Lines().size(), 3u);
    EXPECT_EQ(LastLine().task, "Recycle Bin Cleared ");
    if (trash.empty()) GTEST_SKIP() << "the sandbox's trash is not visible: its emptying was not checked";
    EXPECT_FALSE(FileExists(files + "\\letter.txt"));
    EXPECT_FALSE(FileExists(info + "\\letter.txt.trashinfo"));
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
    EXPECT_EQ(LastLine().task, "Recent Docs List cleared");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);
}


TEST_F(SystemTraceFixture, SystemFoldersAreRefusedAsTemporaryFolder)
{
    const std::string windows = GetWindowsFolder();
    const std::string profile = GetSpecialFolderPath(kProfileFolder);
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(profile.empty());
    for (const std::string& refused : {std::string("  c:\\winnt\\  "), std::string("C:\\WINDOWS"), std::string("d:\\"),
                                       std::string("\\\\server\\share\\"), std::string(), windows + "\\", profile})
        EXPECT_TRUE(IsRefusedTempFolder(refused)) << refused;
    for (const std::string& allowed : {std::string("\\\\server\\share\\temp\\"), windows + "\\Temp\\", folder.Path()})
        EXPECT_FALSE(IsRefusedTempFolder(allowed)) << allowed;

    // Live, with a profile folder of our own as the temporary folder: its files survive.
    test::TempFolder fakeProfile;
    test::WriteFileBytes(fakeProfile.File("ntuser.dat"), "hive");
    session.run.live = true;
    {
        ScopedVariable userProfile("USERPROFILE", fakeProfile.Path());
        TempFolderIs temp(fakeProfile.Path());
        CleanWindowsTemp(session);
    }
    ASSERT_EQ(session.log.Lines().size(), 1u);
    EXPECT_EQ(LastLine().task, "Windows Tempoprary Files");
    EXPECT_EQ(LastLine().status, "Terminated");
    EXPECT_EQ(session.run.files, 0);
    EXPECT_EQ(test::ReadFileBytes(fakeProfile.File("ntuser.dat")), "hive");
}

TEST_F(SystemTraceFixture, TemporaryFolderIsEmptiedButKept)
{
    const std::string sub = folder.File("sub");
    const auto seed = [&] {
        ::CreateDirectoryA(sub.c_str(), nullptr);
        test::WriteFileBytes(folder.File("a.tmp"), "first");
        test::WriteFileBytes(sub + "\\b.tmp", "second");
    };
    seed();
    TempFolderIs temp(folder.Path());
    EXPECT_EQ(AddBackslash(GetWindowsTempPath()), AddBackslash(folder.Path()));

    CleanWindowsTemp(session);
    EXPECT_TRUE(Logged("Testing : " + folder.File("a.tmp") + " eradicated"));
    EXPECT_TRUE(Logged("Testing : " + sub + "\\b.tmp eradicated"));
    EXPECT_EQ(LastLine().task, "Testing : Windows Tempoprary Files");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);
    EXPECT_TRUE(FileExists(folder.File("a.tmp")));
    EXPECT_TRUE(FileExists(sub + "\\b.tmp"));

    session.log.Clear();
    session.run.files = 0;
    session.run.live = true;
    CleanWindowsTemp(session);
    EXPECT_FALSE(FileExists(folder.File("a.tmp")));
    EXPECT_FALSE(FileExists(sub));
    EXPECT_TRUE(FileExists(folder.Path()));
    EXPECT_EQ(session.run.files, 2);
    EXPECT_EQ(LastLine().task, "Windows Tempoprary Files");

    // Abort on the first yield: the walk stops and says so.
    seed();
    host.onYield = [this] { session.run.abort = true; };
    CleanWindowsTemp(session);
    EXPECT_EQ(LastLine().task, "Windows Tempoprary Files **** aborted by user");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);
    EXPECT_TRUE(FileExists(folder.File("a.tmp")) || FileExists(sub + "\\b.tmp"));
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
    // The clipboard owns the memory from here on.
    ASSERT_NE(::SetClipboardData(CF_TEXT, memory), nullptr);
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
    EXPECT_EQ(LastLine().task, "Clipboard Cleared");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);

    // Held open by another thread, as another program would: refused, contents kept.
    PutTextOnClipboard("still here");
    std::mutex m;
    std::condition_variable changed;
    bool held = false, done = false;
    std::thread holder([&] {
        // Wine lets two openers without a window share the clipboard: this one has a window.
        HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        const bool opened = window != nullptr && ::OpenClipboard(window);
        std::unique_lock<std::mutex> lock(m);
        held = opened;
        done = !opened;
        changed.notify_all();
        changed.wait(lock, [&] { return done; });
        if (opened) ::CloseClipboard();
        if (window != nullptr) ::DestroyWindow(window);
    });
    {
        std::unique_lock<std::mutex> lock(m);
        changed.wait(lock, [&] { return held || done; });
    }
    if (held) CleanClipboard(session);
    {
        std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    changed.notify_all();
    holder.join();
    ASSERT_TRUE(held) << "a second thread could not open the clipboard";
    EXPECT_EQ(LastLine().task, "Clipboard ");
    EXPECT_EQ(LastLine().status, "Terminated");
    EXPECT_TRUE(ClipboardHasText());
}


TEST_F(SystemTraceFixture, AutoCompleteProgramIsStartedHiddenFromTheProgramFolder)
{
    CleanAutoCompleteForms(session); // test mode starts it all the same
    desktop.launchResult = 2;        // not found: not looked at
    session.run.live = true;
    CleanAutoCompleteForms(session);

    ASSERT_EQ(desktop.launched.size(), 2u);
    for (const test::FakeDesktop::Launch& launch : desktop.launched) {
        EXPECT_EQ(launch.operation, "open");
        EXPECT_EQ(launch.file, folder.File("iea.exe"));
        EXPECT_EQ(launch.parameters, "1");
        EXPECT_EQ(launch.directory, folder.Path());
        EXPECT_EQ(launch.showCommand, SW_HIDE);
    }
    ASSERT_EQ(session.log.Lines().size(), 2u);
    EXPECT_EQ(session.log.Lines()[0].task, "Testing : IE Autocomplete forms Cleared");
    EXPECT_EQ(LastLine().task, "IE Autocomplete forms Cleared");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);

    session.run.abort = true;
    CleanAutoCompleteForms(session);
    EXPECT_EQ(desktop.launched.size(), 2u);
    EXPECT_EQ(session.log.Lines().size(), 2u);

    // A program at a drive's root: no doubled backslash.
    test::FakeDesktop rootDesktop;
    Session atRoot{store, host, rootDesktop, "C:\\sweepora.exe"};
    CleanAutoCompleteForms(atRoot);
    ASSERT_EQ(rootDesktop.launched.size(), 1u);
    EXPECT_EQ(rootDesktop.launched[0].file, "C:\\iea.exe");
    EXPECT_EQ(rootDesktop.launched[0].directory, "C:\\");
}


namespace {

// Puts an index.dat file in place; the sandbox is thrown away, so nothing is restored.
std::string Seed(const std::string& path, const std::string& bytes)
{
    ::SHCreateDirectoryExA(nullptr, FolderOf(path).c_str(), nullptr);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    test::WriteFileBytes(path, bytes);
    return path;
}

std::string Pattern(std::size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i % 251);
    return bytes;
}

} // namespace

TEST_F(SystemTraceFixture, IndexDatFilesAreOverwrittenWithSpacesAndKept)
{
    const std::string cookies = GetSpecialFolderPath(kCookiesFolder);
    const std::string history = GetSpecialFolderPath(kHistoryFolder);
    ASSERT_FALSE(cookies.empty());
    ASSERT_FALSE(history.empty());
    const std::string cookieBytes = Pattern(32768, 'a'), historyBytes = Pattern(200001, 'b'); // blocks and a bit
    const std::string cookieIndex = Seed(cookies + "\\index.dat", cookieBytes);
    const std::string historyIndex = Seed(history + "\\index.dat", historyBytes);
    const std::string ie5Index = Seed(history + "\\history.ie5\\index.dat", "c");
    // Such files are often hidden and system files; they are written all the same.
    ::SetFileAttributesA(cookieIndex.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    CleanIndexDat(session);
    EXPECT_EQ(LastLine().task, "Testing : Index.dat cleaned");
    EXPECT_EQ(test::ReadFileBytes(cookieIndex), cookieBytes);

    session.run.live = true;
    session.run.abort = true;
    CleanIndexDat(session);
    EXPECT_EQ(LastLine().task, "Index.dat ");
    EXPECT_EQ(LastLine().status, "**Aborted**");
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
