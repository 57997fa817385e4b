#include "settings/DataFolder.h"

#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>
#include <shlobj.h>

namespace sweepora {

namespace {

// A file created and gone again: the only sure answer to "may this process write here".
bool CanWriteIn(const std::string& folder)
{
    const std::wstring probe = AddBackslashW(LongPath(folder)) + L"sweepora-write-probe.tmp";
    UniqueFile file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

} // namespace

std::string PerUserFolder()
{
    wchar_t local[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                  local)) ||
        !local[0])
        return {};
    const std::string folder = Utf8FromWide(local) + "\\Sweepora";
    ::CreateDirectoryW(LongPath(folder).c_str(), nullptr);
    return folder;
}

std::string DataFolderFor(const std::string& programFolder)
{
    const std::wstring canonical = CanonicalFolder(programFolder);
    bool installed = false;
    for (const std::wstring& programs : ProgramFilesFolders())
        installed = installed || IsSameOrInside(canonical, programs);
    if (!installed && CanWriteIn(programFolder)) return programFolder;
    const std::string perUser = PerUserFolder();
    return perUser.empty() ? programFolder : perUser;
}

} // namespace sweepora
