#include "engine/SystemInfo.h"

#include "platform/HostPlatform.h"

#include "platform/WideText.h"

#include <winnetwk.h>

namespace sweepora {

namespace {

// The NT releases after XP: the workstation and the server names of one version.
std::string NtName(const OSVERSIONINFOA& v, bool server)
{
    const DWORD version = v.dwMajorVersion * 100 + v.dwMinorVersion;
    const DWORD build = v.dwBuildNumber;
    const char* name = nullptr;
    switch (version) {
    case 502: name = server ? "Server 2003" : "XP x64"; break;
    case 600: name = server ? "Server 2008" : "Vista"; break;
    case 601: name = server ? "Server 2008 R2" : "7"; break;
    case 602: name = server ? "Server 2012" : "8"; break;
    case 603: name = server ? "Server 2012 R2" : "8.1"; break;
    case 1000:
        // Windows 11 and the later servers kept version 10.0; only the build tells them apart.
        if (server)
            name = build >= 26100 ? "Server 2025" : build >= 20348 ? "Server 2022" : build >= 17763 ? "Server 2019"
                                                                                                  : "Server 2016";
        else
            name = build >= 22000 ? "11" : "10";
        break;
    default:
        return {};
    }
    return std::string("Microsoft Windows ") + name + " Build " + std::to_string(build);
}

} // namespace

std::string OSNameFromVersion(const OSVERSIONINFOA& v, bool server)
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
        return NtName(v, server);
    default:
        return {};
    }
}

std::string GetOSName()
{
    OSVERSIONINFOEXW real;
    if (RealWindowsVersion(real)) {
        OSVERSIONINFOA v = {};
        v.dwOSVersionInfoSize = sizeof v;
        v.dwMajorVersion = real.dwMajorVersion;
        v.dwMinorVersion = real.dwMinorVersion;
        v.dwBuildNumber = real.dwBuildNumber;
        v.dwPlatformId = real.dwPlatformId;
        return OSNameFromVersion(v, real.wProductType != VER_NT_WORKSTATION);
    }
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
    // Wide, so that a name outside the code page reaches the report and the plugins whole.
    wchar_t buffer[256] = {};
    DWORD length = 256;
    if (::WNetGetUserW(nullptr, buffer, &length) != NO_ERROR) return "None";
    buffer[255] = L'\0';
    return Utf8FromWide(buffer, static_cast<std::size_t>(::lstrlenW(buffer)));
}

} // namespace sweepora
