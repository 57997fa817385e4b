#include "erasure/ProtectedPlaces.h"

#include "platform/ComPtr.h"
#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace sweepora {

namespace {

// Only a full path names a place: a relative one would be resolved against whatever the
// current folder happens to be.
std::wstring Canonical(const std::wstring& path)
{
    if (path.empty() || !IsAbsolutePath(path)) return {};
    return CanonicalFolder(path);
}

std::wstring KnownFolderPath(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    // Moved or not yet made, the folder is still the user's.
    const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::wstring text = SUCCEEDED(result) && path ? path : L"";
    ::CoTaskMemFree(path);
    return text;
}

// The first of the answers that names a folder, canonical.
std::wstring FirstOf(std::initializer_list<std::wstring> answers)
{
    for (const std::wstring& answer : answers) {
        std::wstring canonical = Canonical(answer);
        if (!canonical.empty()) return canonical;
    }
    return {};
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

// "\\?\C:\USERS\ANNA\" -> "\\?\C:\USERS\"; empty for a root.
std::wstring Parent(const std::wstring& canonical)
{
    if (canonical.size() < 2 || IsVolumeRoot(canonical)) return {};
    const std::size_t slash = canonical.find_last_of(L'\\', canonical.size() - 2);
    return slash == std::wstring::npos ? std::wstring() : canonical.substr(0, slash + 1);
}

bool StrictlyInside(const std::wstring& inner, const std::wstring& outer)
{
    return !outer.empty() && inner.size() > outer.size() && IsSameOrInside(inner, outer);
}

void AddOnce(std::vector<std::wstring>& list, const std::wstring& folder)
{
    if (folder.empty()) return;
    for (const std::wstring& known : list)
        if (known == folder) return;
    list.push_back(folder);
}

// The user's and Public's own folders, wherever the user moved them.
const KNOWNFOLDERID* const kUserFolderIds[] = {
    &FOLDERID_Desktop,        &FOLDERID_Documents,      &FOLDERID_Downloads,     &FOLDERID_Pictures,
    &FOLDERID_Music,          &FOLDERID_Videos,         &FOLDERID_Favorites,     &FOLDERID_Contacts,
    &FOLDERID_Links,          &FOLDERID_SavedGames,     &FOLDERID_SavedSearches, &FOLDERID_SkyDrive,
    &FOLDERID_CameraRoll,     &FOLDERID_SavedPictures,  &FOLDERID_Screenshots,   &FOLDERID_Objects3D,
    &FOLDERID_Playlists,      &FOLDERID_PublicDesktop,  &FOLDERID_PublicDocuments,
    &FOLDERID_PublicDownloads, &FOLDERID_PublicMusic,   &FOLDERID_PublicPictures, &FOLDERID_PublicVideos};

// Every folder the shell knows, per user or common: the caller keeps those inside a profile.
std::vector<std::wstring> AllKnownFolders()
{
    std::vector<std::wstring> folders;
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ComPtr<IKnownFolderManager> manager;
        if (SUCCEEDED(::CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IKnownFolderManager, reinterpret_cast<void**>(manager.put())))) {
            KNOWNFOLDERID* ids = nullptr;
            UINT count = 0;
            if (SUCCEEDED(manager.get()->GetFolderIds(&ids, &count)) && ids) {
                for (UINT i = 0; i < count; ++i) {
                    ComPtr<IKnownFolder> folder;
                    KF_CATEGORY category = KF_CATEGORY_VIRTUAL;
                    if (FAILED(manager.get()->GetFolder(ids[i], folder.put())) ||
                        FAILED(folder.get()->GetCategory(&category)) ||
                        (category != KF_CATEGORY_PERUSER && category != KF_CATEGORY_COMMON))
                        continue;
                    folders.push_back(KnownFolderPath(ids[i]));
                }
                ::CoTaskMemFree(ids);
            }
        }
    }
    // Another apartment model already set up here still serves the calls above.
    if (SUCCEEDED(init)) ::CoUninitialize();
    return folders;
}

bool InsideAppData(const ProtectedPlaces& p, const std::wstring& folder)
{
    for (const std::wstring* appData : {&p.roamingAppData, &p.localAppData, &p.localLowAppData})
        if (IsSameOrInside(folder, *appData)) return true;
    return false;
}

} // namespace

ProtectedPlaces CurrentProtectedPlaces()
{
    ProtectedPlaces p;
    p.windows = FirstOf({KnownFolderPath(FOLDERID_Windows), ShellFolderPath(CSIDL_WINDOWS),
                         EnvironmentVariable(L"SystemRoot"), EnvironmentVariable(L"windir")});
    p.programFiles = ProgramFilesFolders();
    for (const std::wstring& programs :
         {KnownFolderPath(FOLDERID_ProgramFiles), KnownFolderPath(FOLDERID_ProgramFilesX86),
          EnvironmentVariable(L"ProgramFiles"), EnvironmentVariable(L"ProgramFiles(x86)")})
        AddOnce(p.programFiles, Canonical(programs));
    p.programData = FirstOf({KnownFolderPath(FOLDERID_ProgramData), ShellFolderPath(CSIDL_COMMON_APPDATA),
                             EnvironmentVariable(L"ProgramData"), EnvironmentVariable(L"ALLUSERSPROFILE")});
    p.profile = FirstOf({KnownFolderPath(FOLDERID_Profile), ShellFolderPath(CSIDL_PROFILE),
                         EnvironmentVariable(L"USERPROFILE")});
    p.profilesRoot = FirstOf({ProfilesDirectory(), KnownFolderPath(FOLDERID_UserProfiles)});
    if (p.profilesRoot.empty()) p.profilesRoot = Parent(p.profile);
    p.publicProfile = FirstOf({KnownFolderPath(FOLDERID_Public), EnvironmentVariable(L"PUBLIC")});
    if (p.publicProfile.empty() && !p.profilesRoot.empty()) p.publicProfile = p.profilesRoot + L"PUBLIC\\";
    p.roamingAppData = FirstOf({KnownFolderPath(FOLDERID_RoamingAppData), ShellFolderPath(CSIDL_APPDATA),
                                EnvironmentVariable(L"APPDATA")});
    p.localAppData = FirstOf({KnownFolderPath(FOLDERID_LocalAppData), ShellFolderPath(CSIDL_LOCAL_APPDATA),
                              EnvironmentVariable(L"LOCALAPPDATA")});
    p.localLowAppData = Canonical(KnownFolderPath(FOLDERID_LocalAppDataLow));
    // Wine has no LocalLow of its own; Windows keeps it beside Local.
    if (p.localLowAppData.empty() && !Parent(p.localAppData).empty())
        p.localLowAppData = Parent(p.localAppData) + L"LOCALLOW\\";
    AddOnce(p.programFiles, Canonical(KnownFolderPath(FOLDERID_UserProgramFiles)));
    if (!p.localAppData.empty()) AddOnce(p.programFiles, p.localAppData + L"PROGRAMS\\");

    const auto isPlace = [&](const std::wstring& folder) {
        return folder == p.profile || folder == p.publicProfile || folder == p.profilesRoot || IsVolumeRoot(folder) ||
               InsideAppData(p, folder);
    };
    for (const KNOWNFOLDERID* id : kUserFolderIds) {
        const std::wstring folder = Canonical(KnownFolderPath(*id));
        if (!folder.empty() && !isPlace(folder)) AddOnce(p.userFolders, folder);
    }
    for (const wchar_t* variable : {L"OneDrive", L"OneDriveConsumer", L"OneDriveCommercial"}) {
        const std::wstring folder = Canonical(EnvironmentVariable(variable));
        if (!folder.empty() && !isPlace(folder)) AddOnce(p.userFolders, folder);
    }
    for (const std::wstring& known : AllKnownFolders()) {
        const std::wstring folder = Canonical(known);
        if (folder.empty() || isPlace(folder)) continue;
        if (StrictlyInside(folder, p.profile) || StrictlyInside(folder, p.publicProfile)) AddOnce(p.userFolders, folder);
    }
    wchar_t temp[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 2, temp);
    if (n > 0 && n < MAX_PATH + 2) p.temp = Canonical(temp);
    return p;
}

} // namespace sweepora
