#include "platform/FileIo.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"
#include "plugins/DefinitionsFile.h"
#include "support/TestSupport.h"

using namespace sweepora;
using test::Texts;

namespace {

constexpr const char* kKeys = "Software\\SweeporaTests\\Definitions";
const std::string kHkcu = std::string("HKEY_CURRENT_USER\\") + kKeys;

// A key in the 32-bit view of HKLM only, as a 32-bit installer leaves it on 64-bit Windows.
struct Key32 : test::NoCopy {
    static constexpr const wchar_t* kPath = L"Software\\SweeporaTests\\Definitions32";
    Key32()
    {
        UniqueKey key;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr,
                          key.put(), nullptr);
    }
    ~Key32() { ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kPath, KEY_WOW64_32KEY, 0); }
};

std::string Shape(const FileTarget& t)
{
    std::string masks;
    for (const std::wstring& m : t.masks) masks += (masks.empty() ? "" : ";") + Utf8FromWide(m);
    return Utf8FromWide(t.folder) + "|" + masks + (t.recurse ? "|RECURSE" : "") + (t.removeSelf ? "|REMOVESELF" : "");
}

Texts Shapes(const CleaningEntry& e)
{
    Texts shapes;
    for (const FileTarget& t : e.files) shapes.push_back(Shape(t));
    for (const RegistryTarget& r : e.registry)
        shapes.push_back((r.action == RegistryAction::DeleteKey ? "key " : "value ") + r.key + "|" + r.value);
    const char* kinds[] = {"FILE ", "PATH ", "REG "};
    for (const Exclusion& x : e.exclusions)
        shapes.push_back(kinds[static_cast<int>(x.kind)] + Utf8FromWide(x.folder) + x.key + "|" + Utf8FromWide(x.mask) + x.value);
    return shapes;
}

struct DefinitionsFixture : ::testing::Test {
    test::ScratchKey keys{kKeys};
    test::TempFolder folder;
    std::string local = folder.File("Local");
    DefinitionEnvironment environment;

    DefinitionsFixture()
    {
        environment.variables["LOCALAPPDATA"] = {local};
        environment.variables["PROGRAMFILES"] = {folder.File("Programs"), folder.File("Programs (x86)")};
        environment.windowsMajor = 6;
        environment.windowsMinor = 1;
        for (const char* sub : {"Local", "Local\\Lantern", "Programs", "Programs (x86)", "Programs (x86)\\Ferry 2",
                                "Programs (x86)\\Ferry 2\\bin"})
            ::CreateDirectoryA(folder.File(sub).c_str(), nullptr);
        WriteWholeFile(local + "\\Lantern\\lantern.exe", "MZ");
        WriteWholeFile(folder.File("Programs (x86)\\Ferry 2\\bin\\ferry.exe"), "MZ");
        test::WriteString(HKEY_CURRENT_USER, std::string(kKeys) + "\\Quill", "Version", "3");
    }
};

} // namespace

TEST_F(DefinitionsFixture, EveryKeyFormReadsIntoTheModelEveryEntryIsCountedOnceAndAnsiReadsToo)
{
    Key32 onlyIn32BitView;
    const std::string sample = std::string("\xEF\xBB\xBF; a sample of our own\r\n") +
        "[Quill Notes *]\r\nLangSecRef=3024\r\nDetect=HKCU\\Software\\SweeporaTests\\Definitions\\NoSuch\r\n"
        "Detect2=HKCU\\Software\\SweeporaTests\\Definitions\\Quill\r\n"
        "FileKey2=%LocalAppData%\\Quill\\Cache\\|*.tmp; *.log|recurse\r\n"
        "FileKey1=%LOCALAPPDATA%\\Quill\\Thumbs|*.db\r\n"
        "FileKey12=%localappdata%\\Quill\\Old|*|REMOVESELF\r\n"
        "FileKey3=%LocalAppData%\\Quill\\Profiles\\*\\Cache|*\r\n"
        "RegKey1=HKCU\\Software\\SweeporaTests\\Definitions\\Quill\\Recent\r\n"
        "RegKey2=HKEY_CURRENT_USER\\Software\\SweeporaTests\\Definitions\\Quill|LastFile\r\n"
        "ExcludeKey1=FILE|%LocalAppData%\\Quill\\Cache\\|keep.log\r\n"
        "ExcludeKey2=PATH|%LocalAppData%\\Quill\\Cache\\Pinned\\\r\n"
        "ExcludeKey3=path|%LocalAppData%\\Quill\\Cache\\|*.pin;*.star\r\n"
        "ExcludeKey4=REG|HKCU\\Software\\SweeporaTests\\Definitions\\Quill|Keep\r\n"
        "Warning=Closes every open note.\r\nSpecialDetect=DET_QUILL\r\nnot a key\r\n"
        "FileKey4=%LocalAppData%\\Quill|*.tmp|RECURSIVE\r\nFileKey5=%LocalAppData%\\Quill\r\n"
        "FileKey6=|*.tmp\r\nFileKey7=%LocalAppData%\\Quill|*.tmp;;*.log\r\n"
        "FileKey8=%LocalAppData%\\Quill|sub\\*.tmp\r\nFileKey9=Quill\\Relative|*.tmp\r\n"
        "RegKey3=HKXX\\Software\\Quill\r\nExcludeKey5=DIR|%LocalAppData%\\Quill\\|*.x\r\n"
        "FileKey11=%Nowhere%\\Quill|*.tmp\r\n"
        "[Lantern Caf\xC3\xA9 *]\nSection=Media Tools\nDetectFile1=%LocalAppData%\\Lantern\\missing.exe\n"
        "DetectFile2=%LocalAppData%\\Lant?rn\\*.exe\nDetectFile3=Lantern\\lantern.exe\nDefault=False\n"
        "RegKey=HKLM\\Software\\Lantern\n"
        "[Ferry Mail *]\nLangSecRef=9999\nDetectFile=%ProgramFiles%\\Ferry*\\bin\\ferry.exe\n"
        "FileKey1=%ProgramFiles%\\Ferry 2\\logs|*.log\n"
        "[Ferry Mail *]\nFileKey1=%LocalAppData%\\Other|*.log\n"
        "[Old Viewer *]\nDetectOS=|5.2\nRegKey1=HKCU\\Software\\OldViewer\n"
        "[New Viewer *]\nDetectOS=6.2|\nRegKey1=HKCU\\Software\\NewViewer\n"
        "[Ranged Tool]\nDetectOS=6.0|6.1\nDetectFile=%LocalAppData%\\Lantern\\lantern.exe\n"
        "RegKey1=HKCU\\Software\\Ranged\n"
        "[Wow Tool *]\nDetect=HKLM\\Software\\SweeporaTests\\Definitions32\nRegKey1=HKCU\\Software\\Wow\n"
        "[Missing App *]\nDetect=HKLM\\Software\\SweeporaTests\\NoSuch\nDetectFile=%LocalAppData%\\NoSuch\\*.exe\n"
        "RegKey1=HKCU\\Software\\Missing\n"
        "[Empty Shell *]\nDetect=HKCU\\Software\\SweeporaTests\\Definitions\\Quill\nFileKey1=%Nowhere%\\x|*.x\n";
    const std::string path = folder.File("sample.ini");
    WriteWholeFile(path, sample);
    const DefinitionsLoad load = ReadDefinitions(path, "sample.ini", environment);
    ASSERT_EQ(load.error, "");

    Texts summary;
    for (const LoadedDefinition& d : load.definitions)
        summary.push_back(d.entry.name + "|" + d.entry.group + "|" +
                          (d.offered ? "offered" : d.unusable ? "unusable" : d.notOfferedReason));
    EXPECT_EQ(summary, (Texts{"Quill Notes|Utilities|offered", "Lantern Caf\xC3\xA9|Media Tools|offered",
                              "Ferry Mail|Other|offered", "Ferry Mail|Other|another entry has this name",
                              "Old Viewer|Other|needs Windows 5.2 or earlier",
                              "New Viewer|Other|needs Windows 6.2 or later", "Ranged Tool|Other|offered",
                              "Wow Tool|Other|offered", "Missing App|Other|not installed",
                              "Empty Shell|Other|unusable"}));

    const CleaningEntry& quill = load.definitions[0].entry;
    EXPECT_EQ(Shapes(quill),
              (Texts{local + "\\Quill\\Thumbs|*.db", local + "\\Quill\\Cache|*.tmp;*.log|RECURSE",
                     local + "\\Quill\\Profiles\\*\\Cache|*", local + "\\Quill\\Old|*|REMOVESELF",
                     "key " + kHkcu + "\\Quill\\Recent|", "value " + kHkcu + "\\Quill|LastFile",
                     "FILE " + local + "\\Quill\\Cache|keep.log", "PATH " + local + "\\Quill\\Cache\\Pinned|",
                     "PATH " + local + "\\Quill\\Cache|*.pin", "PATH " + local + "\\Quill\\Cache|*.star",
                     "REG " + kHkcu + "\\Quill|Keep"}));
    EXPECT_EQ(quill.files[1].text, "%LocalAppData%\\Quill\\Cache\\|*.tmp; *.log|recurse");
    EXPECT_EQ(quill.warning, "Closes every open note.");
    EXPECT_EQ(quill.source, "sample.ini");
    EXPECT_EQ(Shapes(load.definitions[2].entry), (Texts{folder.File("Programs\\Ferry 2\\logs|*.log"),
                                                        folder.File("Programs (x86)\\Ferry 2\\logs|*.log")}));

    // entries, offered, not offered, unusable, bad keys, unknown variables, ignored keys
    const DefinitionsReport& r = load.report;
    EXPECT_EQ((std::vector<int>{r.entries, r.offered, r.notOffered, r.unusable, r.badKeys, r.unknownVariableKeys,
                                r.ignoredKeys}),
              (std::vector<int>{10, 5, 4, 1, 10, 2, 2}));
    EXPECT_EQ(r.notOfferedReasons, (std::map<std::string, int>{{"another entry has this name", 1},
                                                                {"needs Windows 5.2 or earlier", 1},
                                                                {"needs Windows 6.2 or later", 1},
                                                                {"not installed", 1}}));

    // A file in the code page reads as the same characters; a missing file is refused cleanly.
    WriteWholeFile(path, "[Caf\xE9 *]\r\nRegKey1=HKCU\\Software\\Cafe\r\n");
    const DefinitionsLoad ansi = ReadDefinitions(path, "sample.ini", environment);
    ASSERT_EQ(ansi.definitions.size(), 1u);
    EXPECT_EQ(ansi.definitions[0].entry.name, Utf8FromAnsi("Caf\xE9"));
    EXPECT_TRUE(ansi.definitions[0].offered);
    const DefinitionsLoad missing = ReadDefinitions(folder.File("none.ini"), "none.ini", environment);
    EXPECT_NE(missing.error.find("none.ini"), std::string::npos);
    EXPECT_TRUE(missing.definitions.empty() && missing.report.entries == 0);
}

TEST_F(DefinitionsFixture, FourThousandGeneratedEntriesAreEachCountedOnce)
{
    // Five kinds in turn: installed, not installed, too old a Windows, unusable, no detect
    // key; every tenth of the last kind repeats the name of an installed entry.
    std::string text;
    for (int i = 0; i < 4000; ++i) {
        const int kind = i % 5;
        const int named = kind == 4 && i % 50 == 4 ? i - 4 : i;
        text += "[App " + std::to_string(named) + " *]\nLangSecRef=302" + std::to_string(i % 6) + "\n";
        if (kind == 0) text += "Detect=HKCU\\Software\\SweeporaTests\\Definitions\\Quill\n";
        if (kind == 1) text += "DetectFile=%LocalAppData%\\Gone" + std::to_string(i) + "\\*\\app.exe\n";
        if (kind == 2) text += "DetectOS=10.0|\n";
        text += kind == 3 ? "FileKey1=%LocalAppData%\\App|\n"
                          : "FileKey1=%LocalAppData%\\App" + std::to_string(i) + "|*.log|RECURSE\n";
        text += "RegKey1=HKCU\\Software\\App" + std::to_string(i) + "\nSpecialDetect=DET_APP\n";
        if (kind == 3) text.erase(text.rfind("RegKey1"), std::string::npos);
    }
    const DefinitionsLoad load = ParseDefinitions(text, "generated.ini", environment);
    const DefinitionsReport& r = load.report;
    EXPECT_EQ(load.definitions.size(), 4000u);
    EXPECT_EQ((std::vector<int>{r.entries, r.offered, r.notOffered, r.unusable, r.badKeys, r.ignoredKeys}),
              (std::vector<int>{4000, 800 + 800 - 80, 800 + 800 + 80, 800, 800, 3200}));
    EXPECT_EQ(r.notOfferedReasons, (std::map<std::string, int>{{"another entry has this name", 80},
                                                                {"needs Windows 10.0 or later", 800},
                                                                {"not installed", 800}}));
}

TEST(DefinitionEnvironment, EveryVariableStandsForAFullPathOrAName)
{
    const DefinitionEnvironment here = CurrentDefinitionEnvironment();
    for (const char* name : {"LOCALAPPDATA", "APPDATA", "LOCALLOWAPPDATA", "PROGRAMFILES", "COMMONPROGRAMFILES",
                             "PROGRAMDATA", "USERPROFILE", "WINDIR", "SYSTEMDRIVE", "PUBLIC", "TEMP", "USERNAME",
                             "DOCUMENTS"}) {
        const auto found = here.variables.find(name);
        ASSERT_NE(found, here.variables.end()) << name;
        for (const std::string& value : found->second) {
            EXPECT_FALSE(value.empty()) << name;
            if (std::string(name) == "USERNAME") continue;
            EXPECT_EQ(value.substr(1, 1), ":") << name << " " << value;
            EXPECT_NE(value.back(), '\\') << name << " " << value;
        }
    }
    // Both Program Files folders where a 64-bit Windows has two, each once.
    const auto& programs = here.variables.at("PROGRAMFILES");
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    EXPECT_EQ(programs.size(), sizeof(void*) == 8 || wow64 ? 2u : 1u);
    EXPECT_GE(here.windowsMajor, 5);
}
