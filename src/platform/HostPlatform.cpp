#include "platform/HostPlatform.h"

#include "platform/LongPath.h"
#include "platform/WideText.h"

#include <shlobj.h>

namespace sweepora {

bool RunningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring EnvironmentVariable(const wchar_t* name)
{
    const DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    const DWORD m = ::GetEnvironmentVariableW(name, &value[0], n);
    value.resize(m < n ? m : 0);
    return value;
}

std::wstring ShellFolderPath(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0]) return {};
    return path;
}

bool RealWindowsVersion(OSVERSIONINFOEXW& version)
{
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    // Looked up at run time: the 9x family has no such export.
    const auto rtlGetVersion = ntdll == nullptr ? nullptr
                                                : reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void (*)()>(
                                                      ::GetProcAddress(ntdll, "RtlGetVersion")));
    version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return rtlGetVersion != nullptr && rtlGetVersion(&version) == 0;
}

std::vector<std::wstring> ProgramFilesFolders()
{
    std::vector<std::wstring> folders;
    for (const std::wstring& programs : {ShellFolderPath(CSIDL_PROGRAM_FILES), ShellFolderPath(CSIDL_PROGRAM_FILESX86),
                                         EnvironmentVariable(L"ProgramW6432")}) {
        if (programs.empty()) continue;
        const std::wstring canonical = CanonicalFolder(Utf8FromWide(programs));
        bool known = false;
        for (const std::wstring& f : folders) known = known || f == canonical;
        if (!known && !canonical.empty()) folders.push_back(canonical);
    }
    return folders;
}

bool TempSettingIsRelative()
{
    // The variables in the order the system reads them; the first one set decides.
    for (const wchar_t* name : {L"TMP", L"TEMP", L"USERPROFILE"}) {
        const std::wstring value = EnvironmentVariable(name);
        if (!value.empty()) return !IsAbsolutePath(value);
    }
    return false;
}

} // namespace sweepora
