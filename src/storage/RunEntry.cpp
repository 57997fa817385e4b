#include "storage/RunEntry.h"

#include "storage/Paths.h"
#include "storage/RegistryAccess.h"
#include "storage/WideText.h"

namespace sweepora {

std::string RunEntryName()
{
    return std::string(kAppTitle) + " - " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
}

std::string RunEntryCommand(const std::string& exePath)
{
    return "\"" + AddBackslash(FolderOf(exePath)) + BaseNameWithoutExtension(exePath) + ".exe\" m";
}

void UpdateRunEntry(const AppSettings& settings, const std::string& exePath)
{
    if (settings.LoadStartup == "1") {
        DWORD disposition = 0;
        // The registry text is in the code page; the path comes as UTF-8.
        SetRegString(HKEY_CURRENT_USER, kRunKeyPath, RunEntryName(), AnsiFromUtf8(RunEntryCommand(exePath)), REG_SZ,
                     disposition);
    } else {
        DeleteRegValue(HKEY_CURRENT_USER, kRunKeyPath, RunEntryName());
    }
}

} // namespace sweepora
