#include "engine/ShellFolders.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

namespace sweepora {

namespace {

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const { ::CoTaskMemFree(pidl); }
};

} // namespace

std::string GetSpecialFolderPath(int csidl)
{
    ITEMIDLIST* raw = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &raw)) || raw == nullptr) return {};
    const std::unique_ptr<ITEMIDLIST, PidlFree> pidl(raw);
    char path[512] = {};
    // The buffer is larger than MAX_PATH, which is all SHGetPathFromIDListA writes.
    if (!::SHGetPathFromIDListA(pidl.get(), path)) return {};
    return path;
}

std::string GetWindowsFolder()
{
    char path[MAX_PATH + 1] = {};
    const UINT n = ::GetWindowsDirectoryA(path, sizeof path);
    if (n == 0 || n >= sizeof path) return {};
    return std::string(path, n);
}

} // namespace sweepora
