#include "platform/ProgramVersion.h"

#include <winver.h>

#include <vector>

namespace sweepora {

namespace {

std::vector<char> VersionBlock(HMODULE module)
{
    char path[MAX_PATH] = {};
    if (::GetModuleFileNameA(module, path, MAX_PATH) == 0) return {};
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    std::vector<char> block(size);
    if (size == 0 || !::GetFileVersionInfoA(path, 0, size, block.data())) return {};
    return block;
}

} // namespace

std::string ProgramVersionText(HMODULE module)
{
    std::vector<char> block = VersionBlock(module);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (block.empty() || !::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) ||
        length < sizeof *info)
        return {};
    return "Version " + std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." + std::to_string(HIWORD(info->dwFileVersionLS));
}

std::string ProgramProductName(HMODULE module)
{
    std::vector<char> block = VersionBlock(module);
    char* name = nullptr;
    UINT length = 0;
    if (block.empty() ||
        !::VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName", reinterpret_cast<void**>(&name),
                          &length) || length == 0)
        return {};
    return std::string(name, ::strnlen(name, length));
}

} // namespace sweepora
