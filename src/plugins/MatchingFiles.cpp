#include "plugins/MatchingFiles.h"

#include "storage/Paths.h"
#include "storage/Text.h"
#include "storage/UniqueHandle.h"
#include "storage/WideText.h"

#include <windows.h>

#include <algorithm>

namespace sweepora {

namespace {

constexpr DWORD kNeverMatches = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM;

// Absolute, with "." and ".." resolved and long names, upper-cased, one trailing backslash;
// empty when the folder cannot be resolved.
std::string CanonicalFolder(const std::string& folder)
{
    char full[MAX_PATH * 2] = {};
    DWORD n = ::GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return {};
    std::string path(full, n);
    char longPath[MAX_PATH * 2] = {};
    n = ::GetLongPathNameA(path.c_str(), longPath, sizeof longPath);
    if (n > 0 && n < sizeof longPath) path.assign(longPath, n);
    return UpperCase(AddBackslash(path));
}

bool IsRoot(std::string folder)
{
    // "\\?\C:\" and "\\?\UNC\SERVER\SHARE\" are the same roots in the long-path spelling.
    if (folder.compare(0, 4, "\\\\?\\") == 0 || folder.compare(0, 4, "\\\\.\\") == 0) {
        folder.erase(0, 4);
        if (folder.compare(0, 4, "UNC\\") == 0) folder.replace(0, 4, "\\\\");
    }
    if (folder.size() <= 3) return true; // "C:\", "\", or shorter
    // "\\SERVER\SHARE\"
    return folder.compare(0, 2, "\\\\") == 0 && std::count(folder.begin(), folder.end(), '\\') <= 4;
}

bool IsProtectedFolder(const std::string& folder)
{
    const std::string path = CanonicalFolder(folder);
    if (path.empty() || IsRoot(path)) return true;
    char windows[MAX_PATH + 1] = {};
    const UINT n = ::GetWindowsDirectoryA(windows, sizeof windows);
    // Without the Windows folder to compare with, nothing is safe to match.
    return n == 0 || n >= sizeof windows || path == CanonicalFolder(std::string(windows, n));
}

} // namespace

std::vector<std::string> MatchingFiles(const std::string& pattern)
{
    std::vector<std::string> files;
    const auto cut = pattern.find_last_of("\\/");
    if (cut == std::string::npos) return files;
    const std::string folder = pattern.substr(0, cut + 1);
    const std::string name = pattern.substr(cut + 1);
    if (name.empty() || IsProtectedFolder(folder)) return files;

    if (name.find_first_of("*?") == std::string::npos) {
        const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(pattern).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & kNeverMatches)) files.push_back(pattern);
        return files;
    }
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW(WideFromUtf8(pattern).c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &data)) {
        if (!(data.dwFileAttributes & kNeverMatches)) files.push_back(folder + Utf8FromWide(data.cFileName));
    }
    return files;
}

} // namespace sweepora
