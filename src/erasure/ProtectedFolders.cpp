#include "erasure/ProtectedFolders.h"

#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>
#include <shlobj.h>

namespace sweepora {

namespace {

std::wstring Canonical(const std::wstring& folder)
{
    return folder.empty() ? std::wstring() : CanonicalFolder(Utf8FromWide(folder));
}

std::wstring ProfilesDirectory()
{
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                        KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t raw[MAX_PATH] = {};
    DWORD size = sizeof raw - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), L"ProfilesDirectory", nullptr, &type, reinterpret_cast<BYTE*>(raw), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    wchar_t expanded[MAX_PATH] = {};
    const DWORD n = ::ExpandEnvironmentStringsW(raw, expanded, MAX_PATH);
    return n > 0 && n <= MAX_PATH ? expanded : raw;
}

std::wstring Parent(const std::wstring& canonical)
{
    if (canonical.size() < 2) return {};
    const std::size_t slash = canonical.find_last_of(L'\\', canonical.size() - 2);
    return slash == std::wstring::npos ? std::wstring() : canonical.substr(0, slash + 1);
}

// Why `folder` may not be emptied when it holds (or is) one of the named folders.
std::string Holds(const std::wstring& folder, const ProtectedFolders& p)
{
    if (IsSameOrInside(p.profile, folder)) return "it holds the profile folder";
    if (IsSameOrInside(p.windows, folder)) return "it holds the Windows folder";
    for (const std::wstring& programs : p.programFiles)
        if (IsSameOrInside(programs, folder)) return "it holds a Program Files folder";
    if (IsSameOrInside(p.programData, folder)) return "it holds the ProgramData folder";
    if (IsSameOrInside(p.profilesRoot, folder)) return "it holds every user's profile";
    return {};
}

} // namespace

bool TempSettingIsRelative()
{
    // The variables in the order the system reads them; the first one set decides.
    for (const wchar_t* name : {L"TMP", L"TEMP", L"USERPROFILE"}) {
        const std::wstring value = EnvironmentVariable(name);
        if (!value.empty()) return !IsAbsolutePath(Utf8FromWide(value));
    }
    return false;
}

ProtectedFolders CurrentProtectedFolders()
{
    ProtectedFolders p;
    p.windows = Canonical(ShellFolderPath(CSIDL_WINDOWS));
    p.programFiles = ProgramFilesFolders();
    p.programData = Canonical(ShellFolderPath(CSIDL_COMMON_APPDATA));
    p.profile = Canonical(ShellFolderPath(CSIDL_PROFILE));
    if (p.profile.empty()) p.profile = Canonical(EnvironmentVariable(L"USERPROFILE"));
    p.profilesRoot = Canonical(ProfilesDirectory());
    if (p.profilesRoot.empty()) p.profilesRoot = Parent(p.profile);
    return p;
}

std::string TempFolderRefusal(const std::string& folder, const ProtectedFolders& p)
{
    if (folder.find_first_not_of(' ') == std::string::npos) return "no temporary folder is set";
    if (!IsAbsolutePath(folder)) return "the temporary folder is a relative path";
    const std::wstring canonical = CanonicalFolder(folder);
    if (IsVolumeRoot(canonical)) return "it is the root of a drive";
    std::string why = Holds(canonical, p);
    if (!why.empty()) return why;
    if (!p.profilesRoot.empty() && IsSameOrInside(canonical, p.profilesRoot) && !IsSameOrInside(canonical, p.profile))
        return "it lies in another user's profile";
    return {};
}

std::string CustomDirRefusal(const std::string& folder, const ProtectedFolders& p)
{
    if (folder.find_first_not_of(' ') == std::string::npos) return "no folder is named";
    if (!IsAbsolutePath(folder)) return "it is not a full path";
    const std::wstring canonical = CanonicalFolder(folder);
    if (IsVolumeRoot(canonical)) return "it is the root of a drive";
    if (canonical == p.windows) return "it is the Windows folder";
    for (const std::wstring& programs : p.programFiles)
        if (canonical == programs) return "it is a Program Files folder";
    if (canonical == p.programData) return "it is the ProgramData folder";
    if (IsSameOrInside(p.profile, canonical)) return "it is the profile folder or holds it";
    return Holds(canonical, p);
}

std::string CustomDirRefusal(const std::string& folder)
{
    return CustomDirRefusal(folder, CurrentProtectedFolders());
}

std::string ProtectedFolderReason(const std::wstring& canonical, const ProtectedFolders& p)
{
    if (canonical.empty() || IsVolumeRoot(canonical)) return "it is the root of a drive";
    return Holds(canonical, p);
}

std::string PatternFolderRefusal(const std::string& folder, const ProtectedFolders& p)
{
    if (!IsAbsolutePath(folder)) return "the pattern is not a full path";
    const std::wstring canonical = CanonicalFolder(folder);
    if (canonical.empty() || IsVolumeRoot(canonical)) return "it names the root of a drive";
    if (p.windows.empty()) return "the Windows folder is unknown";
    if (canonical == p.windows) return "it names the Windows folder";
    return {};
}

} // namespace sweepora
