#include "engine/SystemInfo.h"

#include <winnetwk.h>

namespace sweepora {

std::string OSNameFromVersion(const OSVERSIONINFOA& v)
{
    switch (v.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        return "Microsoft Win32s";
    case VER_PLATFORM_WIN32_WINDOWS:
        if (v.dwMajorVersion < 5 && (v.dwMajorVersion != 4 || v.dwMinorVersion == 0))
            return "Microsoft Windows 95";
        return "Microsoft Windows 98";
    case VER_PLATFORM_WIN32_NT:
        if (v.dwMajorVersion < 5) return "Microsoft Windows NT";
        if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return "Microsoft Windows 2000";
        if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1)
            return "Microsoft Windows XP Build " + std::to_string(v.dwBuildNumber);
        return {};
    default:
        return {};
    }
}

std::string GetOSName()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&version)) return {};
#pragma GCC diagnostic pop
    return OSNameFromVersion(version);
}

std::string GetNetUserName()
{
    char buffer[256] = {};
    DWORD length = sizeof buffer;
    if (::WNetGetUserA(nullptr, buffer, &length) != NO_ERROR) return "None";
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

} // namespace sweepora
