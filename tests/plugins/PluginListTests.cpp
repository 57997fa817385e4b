#include "engine/CleaningCommands.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "plugins/PluginSession.h"

using namespace sweepora;
using test::Texts;

namespace {

using ListFixture = test::PluginSession;

} // namespace

TEST_F(ListFixture, LoadsTicksInNameOrderAndSavesThemBack)
{
    EnsureFolder(folder.File("deeper\\still"));
    EXPECT_FALSE(FileExists(folder.File("deeper")));
    Write("beta.plg", "[Info]\r\nDescription=Beta traces\r\nSelected=1\r\n");
    Write("Alpha.plg", "[Info]\r\nSelected=0\r\nDescription=Alpha traces\r\n");
    Write("gamma.plg", "[Other]\r\nSelected=1\r\n"); // no Info section
    Write("Binary.plg", std::string("\x01\x80\0[Info\0\x1b\r\nDelFile1=\x80\x81\n\0\xff", 24));
    Write("Long.plg", "[Info]\r\nDelFile1=" + std::string(2000, '*') + "\r\nDescription=" + std::string(900, 'd'));
    Write("notes.txt", "[Info]\r\n");
    ::CreateDirectoryA((plugins + "\\folder.plg").c_str(), nullptr);
    LoadPlugins(session.plugins, plugins);
    Texts shown = Shown();
    ASSERT_EQ(shown.size(), 5u);
    shown[2].resize(11); // what the garbage's description reads as is the platform's business
    EXPECT_EQ(shown, (Texts{"[x] Alpha|Alpha traces", "[ ] beta|Beta traces", "[x] Binary|", "[x] gamma|",
                            "[x] Long|" + std::string(749, 'd')}));
    RunPlugins(session); // the garbage entries match nothing
    EXPECT_EQ(Lines()[1], "Testing : Plugin : Binary|Completed");

    session.plugins.Lines()[0].ticked = false;
    session.plugins.Lines()[1].ticked = true;
    ::DeleteFileA((plugins + "\\gamma.plg").c_str());
    SaveAllSettings(session);
    LoadPlugins(session.plugins, plugins);
    EXPECT_EQ(Shown()[0] + Shown()[1] + Shown()[3], "[ ] Alpha|Alpha traces[x] beta|Beta traces[x] gamma|");
    EXPECT_EQ(test::ReadFileBytes(plugins + "\\beta.plg"), "[Info]\r\nDescription=Beta traces\r\nSelected=0\r\n");
    EXPECT_EQ(test::ReadFileBytes(plugins + "\\gamma.plg"), "[Info]\r\nSelected=0\r\n");
}

TEST_F(ListFixture, APluginNamedWithBlanksIsItsOwnFile)
{
    session.pluginVariables.appDataPath = folder.Path();
    for (const char* name : {"blank.tmp", "plain.tmp"}) test::WriteFileBytes(folder.File(name), "trace");
    Write("  a .plg", "[Info]\r\nDelFile1=%APPDATA%\\blank.tmp\r\n");
    Write("a.plg", "[Info]\r\nDelFile1=%APPDATA%\\plain.tmp\r\n");
    LoadPlugins(session.plugins, plugins);
    ASSERT_EQ(Shown(), (Texts{"[x]   a |", "[x] a|"}));
    session.plugins.Lines()[1].ticked = false;
    SaveAllSettings(session);
    EXPECT_EQ(test::ReadFileBytes(plugins + "\\  a .plg"), "[Info]\r\nDelFile1=%APPDATA%\\blank.tmp\r\nSelected=0\r\n");
    EXPECT_EQ(test::ReadFileBytes(plugins + "\\a.plg"), "[Info]\r\nDelFile1=%APPDATA%\\plain.tmp\r\nSelected=1\r\n");

    session.run.live = true;
    RunPlugins(session);
    EXPECT_FALSE(FileExists(folder.File("blank.tmp")));
    EXPECT_TRUE(FileExists(folder.File("plain.tmp")));
}

TEST_F(ListFixture, UnicodeNamesAndEntriesArriveWhole)
{
    // Notepad's "Unicode" (UTF-16 with a byte-order mark) beside an ANSI file of the code page.
    const std::wstring unicode = L"\xFEFF[Info]\r\nDescription=Дневник\r\nDelFile1=%AppData%\\отчёты\\план*.txt\r\n";
    Write("Дневник.plg", std::string(reinterpret_cast<const char*>(unicode.data()), unicode.size() * sizeof(wchar_t)));
    Write("Caf\xc3\xa9.plg", "[Info]\r\nDescription=Caf\xe9 cr\xe8me\r\n");
    // On the disk in another case than the entry writes it, which the log must not show.
    ::CreateDirectoryW(WideFromUtf8(folder.File("Отчёты")).c_str(), nullptr);
    test::WriteFileBytes(folder.File("Отчёты\\план.txt"), "trace");

    LoadPlugins(session.plugins, plugins);
    EXPECT_EQ(Shown(), (Texts{"[x] Café|Café crème", "[x] Дневник|Дневник"}));
    session.pluginVariables.appDataPath = folder.Path();
    RunPlugins(session);
    // The path as the file system spells it, byte for byte.
    EXPECT_EQ(Tasks(), (Texts{"Testing : Plugin : Café", "Testing : " + folder.Path() + "\\Отчёты\\план.txt deleted, not overwritten",
                              "Testing : Plugin : Дневник"}));
}

TEST(StarterPlugins, ShipUntickedWithADescription)
{
    PluginList starters;
    LoadPlugins(starters, PluginFolder(FolderOf(ExecutablePath()))); // copied beside the programs
    EXPECT_GE(starters.Lines().size(), 8u);
    for (const PluginLine& line : starters.Lines()) EXPECT_TRUE(!line.ticked && !line.description.empty()) << line.name;
}
