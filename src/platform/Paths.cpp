#include "platform/Paths.h"

#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>

#include <algorithm>

#include <vector>

namespace sweepora {

namespace {

template <typename Char>
std::vector<std::basic_string_view<Char>> Parts(std::basic_string_view<Char> path)
{
    std::vector<std::basic_string_view<Char>> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != Char('\\') && path[i] != Char('/')) continue;
        if (i > start) parts.push_back(path.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

} // namespace

std::vector<std::string_view> PathParts(std::string_view path)
{
    return Parts(path);
}

std::vector<std::wstring_view> PathParts(std::wstring_view path)
{
    return Parts(path);
}

std::string WithoutBackslash(std::string path)
{
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

std::string AddBackslash(const std::string& path)
{
    if (!path.empty() && path.back() == '\\') return path;
    return path + "\\";
}

bool FileExists(const std::string& path)
{
    return !path.empty() && ::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ExecutablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Utf8FromWide(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return {};
    // Keep "C:\" whole: its backslash is part of the root.
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::string BaseNameWithoutExtension(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::vector<std::string> FilesWithExtension(const std::string& folder, const std::string& extension)
{
    constexpr DWORD kNotListed = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW((AddBackslashW(LongPath(folder)) + L"*" + WideFromUtf8(extension)).c_str(),
                                       FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &data)) {
        const std::string name = Utf8FromWide(data.cFileName);
        // "*.plg" also finds "x.plgold" through its short name on some volumes.
        if (!(data.dwFileAttributes & kNotListed) && name.size() > extension.size() &&
            EqualsIgnoringCase(name.substr(name.size() - extension.size()), extension))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string ua = UpperCaseUtf8(a), ub = UpperCaseUtf8(b);
        return ua != ub ? ua < ub : a < b;
    });
    return names;
}

} // namespace sweepora
