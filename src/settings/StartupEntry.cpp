#include "settings/StartupEntry.h"

#include "platform/Paths.h"
#include "platform/RegistryAccess.h"
#include "platform/WideText.h"

namespace sweepora {

std::string StartupEntryName()
{
    return std::string(kAppTitle) + " - " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
}

std::string StartupEntryCommand(const std::string& exePath)
{
    return "\"" + AddBackslash(FolderOf(exePath)) + BaseNameWithoutExtension(exePath) + ".exe\" m";
}

void UpdateStartupEntry(const AppSettings& settings, const std::string& exePath)
{
    if (settings.LoadStartup == "1") {
        DWORD disposition = 0;
        // The registry text is in the code page; the path comes as UTF-8.
        SetRegString(HKEY_CURRENT_USER, kRunKeyPath, StartupEntryName(), AnsiFromUtf8(StartupEntryCommand(exePath)), REG_SZ,
                     disposition);
    } else {
        DeleteOwnSettingValue(HKEY_CURRENT_USER, kRunKeyPath, StartupEntryName());
    }
}

} // namespace sweepora
