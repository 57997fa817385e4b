// definitions\windows.ini as shipped, run over this user's real places in the test prefix:
// every store Windows writes goes, what users keep stays, within the same guards.
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "plugins/DefinitionSources.h"
#include "plugins/PluginSession.h"

#include <shlobj.h>

#include <map>

using namespace sweepora;
using test::Made;
using test::Texts;

namespace {

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kLocalShell = "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell";
const std::string kConsent = "Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore";
const std::string kApplets = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets";
const std::string kOffice = "Software\\Microsoft\\Office";
const std::string kRdp = "Software\\Microsoft\\Terminal Server Client";
const std::string kMarker = "SweeporaTestKeep";

std::string Folder(int csidl)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

std::string ReadRaw(const std::string& key, const std::string& name)
{
    UniqueKey handle;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return "<no key>";
    char data[4096];
    DWORD size = sizeof data, type = 0;
    if (::RegQueryValueExA(handle.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return "<no value>";
    return std::to_string(type) + ":" + std::string(data, size);
}

struct WindowsDefinitions : test::PluginSession {
    const std::string local = Folder(CSIDL_LOCAL_APPDATA), roaming = Folder(CSIDL_APPDATA);
    // Every key below is a trace store (or holds only the test's own keepers) in this prefix.
    test::ScratchKey comdlg{kExplorer + "\\ComDlg32"}, userAssist{kExplorer + "\\UserAssist"},
        features{kExplorer + "\\FeatureUsage"}, mounts{kExplorer + "\\MountPoints2"},
        drives{kExplorer + "\\Map Network Drive MRU"}, localShell{kLocalShell},
        shell{"Software\\Microsoft\\Windows\\Shell"}, consent{kConsent}, rdp{kRdp}, office{kOffice},
        paint{kApplets + "\\Paint"}, wordpad{kApplets + "\\Wordpad"}, regedit{kApplets + "\\Regedit"},
        player{"Software\\Microsoft\\MediaPlayer"};
    test::ScratchFolder thumbs{Made(local + "\\Microsoft\\Windows\\Explorer")},
        notifications{Made(local + "\\Microsoft\\Windows\\Notifications")},
        wer{Made(local + "\\Microsoft\\Windows\\WER")}, dumps{Made(local + "\\CrashDumps")},
        cdp{Made(local + "\\ConnectedDevicesPlatform")}, rdpCache{Made(local + "\\Microsoft\\Terminal Server Client")},
        powershell{Made(roaming + "\\Microsoft\\Windows\\PowerShell")},
        notepad{Made(local + "\\Packages\\Microsoft.WindowsNotepad_8wekyb3d8bbwe")};
    const std::string startMenu = roaming + "\\Microsoft\\Windows\\Start Menu\\Programs\\Sweepora test.lnk";
    const std::string document = Folder(CSIDL_PERSONAL) + "\\Default.rdp";
    Texts gone;                                                      // files
    std::vector<std::pair<std::string, std::string>> traces;         // key, value
    std::map<std::pair<std::string, std::string>, std::string> kept; // key, value -> data

    void File(const std::string& path, bool goes)
    {
        test::WriteFileBytes(Made(path), goes ? "trace" : "kept " + path);
        if (goes) gone.push_back(path);
    }
    void Value(const std::string& key, const std::string& name, DWORD type, const std::string& data, bool keep = false)
    {
        test::WriteRaw(HKEY_CURRENT_USER, key, name, type, data);
        if (keep)
            kept[{key, name}] = ReadRaw(key, name);
        else
            traces.push_back({key, name});
    }
    void Binary(const std::string& key, const std::string& name) { Value(key, name, REG_BINARY, "\x14\x1f\x50"); }
    void Text(const std::string& key, const std::string& name, const std::string& data)
    {
        Value(key, name, REG_SZ, data + '\0');
    }

    WindowsDefinitions()
    {
        for (const char* k : {"\\OpenSavePidlMRU\\*", "\\OpenSavePidlMRU\\docx", "\\LastVisitedPidlMRU",
                              "\\LastVisitedPidlMRULegacy", "\\CIDSizeMRU", "\\FirstFolder"})
            Binary(kExplorer + "\\ComDlg32" + k, "0"), Binary(kExplorer + "\\ComDlg32" + k, "MRUListEx");
        for (const char* guid : {"{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}", "{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}"})
            Binary(kExplorer + "\\UserAssist\\" + guid + "\\Count", "HRZR_PGYFRFFVBA");
        Value(kExplorer + "\\UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}", "Version", REG_DWORD,
              std::string("\5\0\0\0", 4), true);
        for (const char* k : {"AppLaunch", "AppSwitched", "ShowJumpView", "AppBadgeUpdated", "TrayButtonClicked"})
            Value(kExplorer + "\\FeatureUsage\\" + k, "Microsoft.Windows.Explorer", REG_DWORD,
                  std::string("\7\0\0\0", 4));
        Text(kExplorer + "\\MountPoints2\\##server#share", "_LabelFromReg", "Accounts");
        Text(kExplorer + "\\Map Network Drive MRU", "a", "\\\\server\\share");
        for (const std::string& base : {kLocalShell, std::string("Software\\Microsoft\\Windows\\Shell")}) {
            Binary(base + "\\BagMRU", "0"), Binary(base + "\\BagMRU\\0", "0"), Binary(base + "\\Bags\\2\\Shell", "Vid");
            Value(base + "\\Bags\\1\\Desktop", "IconLayouts", REG_BINARY, std::string("\0\0\0\0\1\0\0\0icons", 13),
                  true);
            Value(base + "\\Bags\\AllFolders\\Shell", "Mode", REG_DWORD, std::string("\4\0\0\0", 4), true);
        }
        Text(kLocalShell + "\\MuiCache", "C:\\Tools\\secret.exe.FriendlyAppName", "Secret");
        for (const char* app :
             {"webcam\\NonPackaged\\C:#Tools#cam.exe", "microphone\\Microsoft.WindowsSoundRecorder_8wekyb3d8bbwe"}) {
            const std::string key = kConsent + "\\" + app;
            Value(key, "Value", REG_SZ, std::string("Allow", 6), true);
            Value(key, "LastUsedTimeStart", REG_QWORD, std::string("\1\2\3\4\5\6\7\x01", 8));
            Value(key, "LastUsedTimeStop", REG_QWORD, std::string("\2\2\3\4\5\6\7\x01", 8));
        }
        Value(kConsent + "\\webcam", "Value", REG_SZ, std::string("Deny", 5), true);
        Text(kRdp + "\\Default", "MRU0", "server.example"), Text(kRdp + "\\Default", "MRU9", "10.0.0.9");
        Value(kRdp + "\\Default\\AddIns\\RDPDR", "Name", REG_SZ, std::string("rdpdr", 6), true);
        Text(kRdp + "\\Servers\\server.example", "UsernameHint", "CORP\\someone");
        for (const char* k :
             {"\\16.0\\Word\\File MRU", "\\16.0\\Excel\\Place MRU", "\\15.0\\Word\\User MRU\\ADAL_1A2B\\File MRU",
              "\\16.0\\PowerPoint\\User MRU\\LiveId_9F\\Place MRU", "\\16.0\\Word\\Reading Locations\\Document 0"})
            Text(kOffice + k, "Item 1",
                 "[F00000000][T01DA0000][O00000000]*C:\\Users\\someone\\Documents\\salaries.xlsx");
        Value(kOffice + "\\16.0\\Word\\Options", "AutoSaveInterval", REG_DWORD, std::string("\x0a\0\0\0", 4), true);
        Text(kApplets + "\\Paint\\Recent File List", "File1", "C:\\pics\\me.png");
        Text(kApplets + "\\Wordpad\\Recent File List", "File1", "C:\\docs\\letter.rtf");
        Text(kApplets + "\\Regedit", "LastKey", "Computer\\HKEY_CURRENT_USER\\Software\\Secret");
        Value(kApplets + "\\Regedit\\Favorites", "Run", REG_SZ, std::string("HKLM\\Run", 9), true);
        Text("Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", "File0", "C:\\videos\\holiday.mp4");
        Text("Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", "URL0", "http://example.test/stream");
        for (const std::string& key : {kExplorer + "\\Advanced", kExplorer + "\\Shell Folders"})
            Value(key, kMarker, REG_BINARY, std::string("\0keep\xff", 6), true);

        for (const char* f : {"thumbcache_256.db", "thumbcache_idx.db", "iconcache_32.db"}) File(thumbs.File(f), true);
        File(thumbs.File("ExplorerStartupLog.etl.keep"), false);
        for (const char* f : {"wpndatabase.db", "wpndatabase.db-wal", "wpndatabase.db-shm"})
            File(notifications.File(f), true);
        File(wer.File("ReportArchive\\AppCrash_secret.exe_1a2b\\Report.wer"), true);
        File(wer.File("ReportQueue\\AppCrash_other.exe_3c4d\\memory.hdmp"), true);
        File(dumps.File("secret.exe.4242.dmp"), true);
        for (const char* f : {"ActivitiesCache.db", "ActivitiesCache.db-wal", "ActivitiesCache.db-shm"})
            File(cdp.File("L.someone\\") + f, true);
        File(cdp.File("L.someone\\CDPGlobalSettings.cdp"), false);
        File(rdpCache.File("Cache\\bcache24.bmc"), true);
        File(powershell.File("PSReadLine\\ConsoleHost_history.txt"), true);
        File(notepad.File("LocalState\\TabState\\0b6e5e8b.bin"), false);
        File(startMenu, false);
        File(document, false);
    }
    ~WindowsDefinitions() override
    {
        for (const std::string& key : {kExplorer + "\\Advanced", kExplorer + "\\Shell Folders"}) {
            UniqueKey handle;
            if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, handle.put()) == ERROR_SUCCESS)
                ::RegDeleteValueA(handle.get(), kMarker.c_str());
        }
        ::DeleteFileA(startMenu.c_str());
        ::DeleteFileA(document.c_str());
    }
};

} // namespace

TEST_F(WindowsDefinitions, LoadsCleanlyEveryStoreGoesTheKeepersStayAndThePreviewIsTheRun)
{
    const DefinitionsLoad load = ReadDefinitions(AddBackslash(FolderOf(ExecutablePath())) + "definitions\\windows.ini",
                                                 "definitions\\windows.ini", CurrentDefinitionEnvironment());
    ASSERT_EQ(load.error, "");
    const DefinitionsReport& r = load.report;
    EXPECT_EQ(r.badKeys + r.unknownVariableKeys + r.ignoredKeys + r.unusable, 0);
    EXPECT_EQ(r.offered, r.entries);
    EXPECT_GE(r.entries, 18);
    std::vector<CleaningEntry> entries;
    for (const LoadedDefinition& d : load.definitions) {
        EXPECT_EQ(d.entry.group, "Windows") << d.entry.name;
        entries.push_back(d.entry);
    }
    session.plugins.SetDefinitions(entries, std::vector<bool>(entries.size(), true));
    RunPlugins(session);
    Texts preview = Lines();
    for (std::string& line : preview) line.erase(0, std::string(kTestingPrefix).size());
    for (const std::string& f : gone) EXPECT_EQ(test::ReadFileBytes(f), "trace") << f;
    EXPECT_EQ(desktop.shellNotices, 0);
    for (const auto& [key, name] : traces) EXPECT_NE(ReadRaw(key, name)[0], '<') << key << "," << name;

    session.run.live = true;
    session.log.Clear();
    RunPlugins(session);
    EXPECT_EQ(Lines(), preview);
    EXPECT_EQ(desktop.shellNotices, 1); // once, after every entry
    EXPECT_EQ(preview.back(), "Windows shell|Told to read its settings again");
    for (const std::string& line : Lines())
        EXPECT_TRUE(line.find("Refused") == std::string::npos && line.find("|Error") == std::string::npos) << line;
    for (const std::string& f : gone) EXPECT_FALSE(FileExists(f)) << f;
    EXPECT_FALSE(FileExists(wer.File("ReportArchive\\AppCrash_secret.exe_1a2b")));
    EXPECT_TRUE(FileExists(wer.File("ReportArchive")));
    for (const auto& [place, data] : kept)
        EXPECT_EQ(ReadRaw(place.first, place.second), data) << place.first << "," << place.second;
    for (const std::string& f :
         {thumbs.File("ExplorerStartupLog.etl.keep"), cdp.File("L.someone\\CDPGlobalSettings.cdp"),
          notepad.File("LocalState\\TabState\\0b6e5e8b.bin"), startMenu, document})
        EXPECT_EQ(test::ReadFileBytes(f), "kept " + f);

    // Every trace value is gone, and so is every key whose name is a trace itself.
    for (const auto& [key, name] : traces) EXPECT_EQ(ReadRaw(key, name)[0], '<') << key << "," << name;
    for (const std::string& key : {kExplorer + "\\MountPoints2", kRdp + "\\Servers",
                                   kOffice + "\\15.0\\Word\\User MRU\\ADAL_1A2B\\File MRU",
                                   kOffice + "\\16.0\\PowerPoint\\User MRU\\LiveId_9F\\Place MRU"})
        EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, key)) << key;
}

// The wildcard keys the file relies on: one refused shape, and nothing outside the pattern.
TEST_F(WindowsDefinitions, WildcardKeysStayInsideTheirPattern)
{
    const DefinitionsLoad load =
        ParseDefinitions("[Wild *]\r\nRegKey1=HKCU\\" + kOffice + "\\*\r\nRegKey2=HKCU\\" + kOffice +
                             "\\*\\Word\\File MRU\r\nRegKey3=HK*\\Software\\x\\y\r\n",
                         "sample.ini", CurrentDefinitionEnvironment());
    session.plugins.SetDefinitions({load.definitions[0].entry}, {true});
    session.run.live = true;
    RunPlugins(session);
    EXPECT_EQ(Lines(), (Texts{"HKCU\\" + kOffice +
                                  "\\*|Refused: a wildcard in the last part of a key would choose what goes whole",
                              "Plugin : Wild|Completed"})); // HK* is no root: skipped when read
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kOffice + "\\16.0\\Word\\File MRU"));
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kOffice + "\\16.0\\Excel\\Place MRU"));
    EXPECT_EQ(session.run.registryKeys, 1); // 16.0's Word; 15.0 has no such key to count
}
