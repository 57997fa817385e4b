#include "platform/Ini.h"

#include "platform/WideText.h"

#include <vector>

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
    if (::DeleteFileW(WideFromUtf8(path_).c_str())) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        say("The file in the IniPath property was not found!");
}

std::string clsIni::GetIniSetting(const std::string& section, const std::string& key) const
{
    // The wide function reads an ANSI file through the code page, and a Unicode one as it is.
    std::vector<wchar_t> buffer(kValueBuffer, L'\0');
    const DWORD n = ::GetPrivateProfileStringW(WideFromUtf8(section).c_str(), WideFromUtf8(key).c_str(), L"",
                                               buffer.data(), kValueBuffer, WideFromUtf8(path_).c_str());
    return Utf8FromWide(buffer.data(), n < kValueBuffer ? n : kValueBuffer - 1);
}

void clsIni::SaveIniSetting(const std::string& section, const std::string& key, const std::string& setting) const
{
    ::WritePrivateProfileStringW(WideFromUtf8(section).c_str(), WideFromUtf8(key).c_str(),
                                 WideFromUtf8(setting).c_str(), WideFromUtf8(path_).c_str());
}

} // namespace sweepora
