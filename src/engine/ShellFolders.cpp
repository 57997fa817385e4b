#include "engine/ShellFolders.h"

#include "platform/WideText.h"

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
    wchar_t path[MAX_PATH + 1] = {};
    if (!::SHGetPathFromIDListW(pidl.get(), path)) return {};
    return Utf8FromWide(path);
}

std::string GetWindowsFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    const UINT n = ::GetWindowsDirectoryW(path, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    return Utf8FromWide(path, n);
}

} // namespace sweepora
