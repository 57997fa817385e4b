#include "storage/Ini.h"

namespace sweepora {

void clsIni::DeleteIni(const MessageFn& tell) const
{
    const auto say = [&tell](const char* text) {
        if (tell) tell(text, "Error", MB_OK | MB_ICONEXCLAMATION);
    };
    if (path_.size() < 4 || path_.compare(path_.size() - 4, 4, ".ini") != 0) {
        say("The file in the IniPath property is not an ini file or doesn't exist!");
        return;
    }
    if (::DeleteFileA(path_.c_str())) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        say("The file in the IniPath property was not found!");
}

std::string clsIni::GetIniSetting(const std::string& section, const std::string& key) const
{
    char buffer[kValueBuffer] = {};
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, kValueBuffer, path_.c_str());
    return std::string(buffer, n < kValueBuffer ? n : kValueBuffer - 1);
}

void clsIni::SaveIniSetting(const std::string& section, const std::string& key, const std::string& setting) const
{
    ::WritePrivateProfileStringA(section.c_str(), key.c_str(), setting.c_str(), path_.c_str());
}

} // namespace sweepora
