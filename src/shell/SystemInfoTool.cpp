#include "shell/SystemInfoTool.h"

#include "platform/Paths.h"
#include "platform/UniqueHandle.h"

#include <cstdio>

namespace sweepora {

bool GetKeyValue(HKEY root, const std::string& keyName, const std::string& valueName, std::string& value)
{
    value.clear();
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, keyName.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return false;
    UniqueKey key(opened);
    char buffer[1024];
    DWORD type = 0, size = sizeof buffer;
    if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    std::string raw(buffer, size);
    if (!raw.empty() && raw.back() == '\0') raw.pop_back();
    if (type == REG_DWORD) {
        value = "&h";
        for (auto at = raw.rbegin(); at != raw.rend(); ++at) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned char>(*at));
            value += digits;
        }
    } else {
        value = raw;
    }
    return true;
}

void StartSysInfo(Desktop& desktop, HKEY root)
{
    std::string path;
    if (GetKeyValue(root, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
        if (desktop.ShellExecuteFile("open", path, "", "", SW_SHOWNORMAL) > 32) return;
    } else if (GetKeyValue(root, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path) &&
               FileExists(path + "\\MSINFO32.EXE")) {
        if (desktop.ShellExecuteFile("open", path + "\\MSINFO32.EXE", "", "", SW_SHOWNORMAL) > 32) return;
    }
    desktop.MessageBox(kSysInfoUnavailable, "Sweepora", MB_OK);
}

} // namespace sweepora
