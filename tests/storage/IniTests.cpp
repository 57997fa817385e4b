#include "storage/Ini.h"
#include "storage/Paths.h"

#include "support/TestSupport.h"

using namespace sweepora;

// Reading and writing ride on the plugin list's cases.
TEST(Ini, DeletesOnlyLowerCaseIniFiles)
{
    test::TempFolder folder;
    std::string told;
    const MessageFn tell = [&told](const std::string& text, const std::string& caption, UINT flags) {
        told += caption + (flags == (MB_OK | MB_ICONEXCLAMATION) ? ": " : " (other flags): ") + text + "\n";
    };
    clsIni ini;
    for (const char* name : {"kept.INI", "gone.ini"}) {
        ini.IniPath(folder.File(name));
        ini.SaveIniSetting("Info", "Key", "value");
        ini.DeleteIni(tell);
    }
    EXPECT_TRUE(FileExists(folder.File("kept.INI")) && !FileExists(folder.File("gone.ini")));
    ini.DeleteIni(tell);
    EXPECT_EQ(told, "Error: The file in the IniPath property is not an ini file or doesn't exist!\n"
                    "Error: The file in the IniPath property was not found!\n");
}
