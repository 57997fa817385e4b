#include "shell/OptionBoxes.h"

namespace sweepora {

const char* const kCustomDirsTip =
    "This option is to clear contents of specified directories selected in Selected Directories listr below(Use "
    "with due care because it will delete all the files in the directory and its subdirectories and will remove "
    "directories also)";

const OptionBox* CleaningBoxes()
{
    static const OptionBox boxes[kCleaningBoxCount] = {
        {"Clear Browser History", &AppSettings::NetHistory, nullptr},
        {"Clear Cache (Temporary Internet Files)", &AppSettings::IETempFiles, nullptr},
        {"Clear Cookies", &AppSettings::NetCookies, nullptr},
        {"Clear Visited URL History", &AppSettings::NetVisitedUrls, nullptr},
        {"Clear Typed URL History", &AppSettings::NetTypedUrls, nullptr},
        {"Clear Locked Index.dat Files (All)", &AppSettings::IndexDatFiles, nullptr},
        {"Clear AutoComplete Forms Data", &AppSettings::IEAutoComplete, nullptr},
        {"Clear AutoComplete Passwords", &AppSettings::IEAutoPass, nullptr},
        {"Clear Recent Run Documents from Start menu", &AppSettings::RecentDocs, nullptr},
        {"Clear Recycle Bin", &AppSettings::RecBin, nullptr},
        {"Clear Windows Clipboard", &AppSettings::Clipboard, nullptr},
        {"Clear Email Histories (MS Outlook / Netscape)", &AppSettings::EmailHistory, nullptr},
        {"Clear Specified Directories", &AppSettings::CustomDirs, kCustomDirsTip},
        {"Clear Start Menu > Run History", &AppSettings::RunHistory, nullptr},
        {"Clear Start Menu > Find Files/Folders", &AppSettings::FileFind, nullptr},
        {"Clear Windows Temporary Files", &AppSettings::TempFiles, nullptr},
    };
    return boxes;
}

const OptionBox* StartupBoxes()
{
    static const OptionBox boxes[kStartupBoxCount] = {
        {"Load Sweepora on Windows Startup.", &AppSettings::LoadStartup, "Load Sweepora on Winodws startup"},
        {"Load Sweepora minimized with a small icon in system tray.", &AppSettings::LoadMin,
         "Load Sweepora minimized to systemtray"},
        {"Run Cleaning operations  on Windows Shutdown", &AppSettings::SchedulingShutdown,
         "This option is to perform Cleaning on Windows Shutdown"},
        {"Perform cleaning on Sweepora's Startup ", &AppSettings::Startup, "Perform cleaning when it is load"},
        {"Run  Sweepora in Stealth Mode", &AppSettings::Stealth,
         "Sweepora will run in stealth mode, and  not be visible in system tray and taskbar. It can be accessed by "
         "hotkey (CTRL+ALT+U). "},
    };
    return boxes;
}

const OptionBox* HotkeyBoxes()
{
    static const OptionBox boxes[kHotkeyBoxCount] = {
        {"Hide Sweepora (press hotkey CTRL+ALT+U  to unhide)", &AppSettings::Hide, nullptr},
        {"Run Cleaning Operations", &AppSettings::PerformCleaning, nullptr},
        {"Minimize all Windows", &AppSettings::MinimizeWindows, nullptr},
        {"Logoff current user", &AppSettings::Logoff, nullptr},
        {"Shutdown Windows", &AppSettings::HotKeyShutdown, nullptr},
    };
    return boxes;
}

std::string BoxValueText(int checkState) { return std::to_string(checkState); }

} // namespace sweepora
