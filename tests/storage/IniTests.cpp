#include "storage/Ini.h"
#include "storage/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

TEST(Ini, ReadsWritesAndCutsValues)
{
    test::TempFolder folder;
    clsIni ini;
    ini.IniPath(folder.File("Viewer.plg")); // the extension matters to DeleteIni only
    EXPECT_EQ(ini.GetIniSetting("Info", "Description"), ""); // no file yet

    ini.SaveIniSetting("Info", "Description", "Viewer history");
    ini.SaveIniSetting("Info", "Empty", "");
    EXPECT_EQ(ini.GetIniSetting("Info", "Description"), "Viewer history");
    EXPECT_EQ(ini.GetIniSetting("info", "DESCRIPTION"), "Viewer history");
    EXPECT_EQ(ini.GetIniSetting("Info", "Empty"), "");
    EXPECT_EQ(ini.GetIniSetting("Info", "Missing"), "");
    EXPECT_EQ(ini.GetIniSetting("Other", "Description"), "");

    test::WriteFileBytes(ini.IniPath(), "[Info]\r\nLong=" + std::string(800, 'x') + "\r\n");
    EXPECT_EQ(ini.GetIniSetting("Info", "Long"), std::string(749, 'x'));

    ini.ClearAllValues();
    EXPECT_EQ(ini.IniPath(), "");
}

TEST(Ini, DeletesOnlyLowerCaseIniFiles)
{
    test::TempFolder folder;
    std::vector<std::string> told;
    const MessageFn tell = [&told](const std::string& text, const std::string& caption, UINT flags) {
        told.push_back(caption + ": " + text);
        EXPECT_EQ(flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    };
    clsIni ini;
    ini.IniPath(folder.File("kept.INI"));
    test::WriteFileBytes(ini.IniPath(), "[a]\r\n");
    ini.DeleteIni(tell);
    EXPECT_TRUE(FileExists(ini.IniPath()));

    ini.IniPath(folder.File("gone.ini"));
    test::WriteFileBytes(ini.IniPath(), "[a]\r\n");
    ini.DeleteIni(tell);
    EXPECT_FALSE(FileExists(ini.IniPath()));
    ini.DeleteIni(tell);
    EXPECT_EQ(told, (std::vector<std::string>{
                        "Error: The file in the IniPath property is not an ini file or doesn't exist!",
                        "Error: The file in the IniPath property was not found!"}));
}
