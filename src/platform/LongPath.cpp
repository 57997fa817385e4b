#include "platform/LongPath.h"

#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>

#include <vector>

namespace sweepora {

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, ::lstrlenW(prefix), prefix) == 0;
}

// "a\.\b\..\c" -> "a\c"; never climbs above the root part.
std::wstring ResolveDots(const std::wstring& root, const std::wstring& rest)
{
    std::vector<std::wstring_view> kept;
    for (std::wstring_view part : PathParts(rest)) {
        if (part == L".") continue;
        if (part == L"..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::wstring result = root;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i) result += L'\\';
        result += kept[i];
    }
    // A trailing separator means a folder: keep it.
    if (!rest.empty() && rest.back() == L'\\' && !kept.empty()) result += L'\\';
    return result;
}

std::wstring CurrentFolderFull(const std::wstring& relative)
{
    const DWORD n = ::GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    if (n == 0) return relative;
    std::wstring full(n, L'\0');
    const DWORD m = ::GetFullPathNameW(relative.c_str(), n, &full[0], nullptr);
    full.resize(m < n ? m : 0);
    return full;
}

std::wstring WithBackslash(std::wstring path)
{
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

// "\\?\UNC\LOCALHOST\C$\X" -> "\\?\C:\X": an administrative share of this machine is
// the drive itself.
std::wstring LocalShareAsDrive(const std::wstring& path)
{
    if (!StartsWith(path, kUncPrefix)) return path;
    const std::wstring rest = path.substr(::lstrlenW(kUncPrefix));
    const std::size_t hostEnd = rest.find(L'\\');
    if (hostEnd == std::wstring::npos) return path;
    const std::wstring host = UpperCaseWide(rest.substr(0, hostEnd));
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    const std::wstring self = ::GetComputerNameW(computer, &size) ? UpperCaseWide(computer) : std::wstring();
    if (host != L"LOCALHOST" && host != L"127.0.0.1" && host != L"." && host != L"[::1]" && host != self)
        return path;
    const std::wstring share = rest.substr(hostEnd + 1);
    if (share.size() < 2 || share[1] != L'$' || (share.size() > 2 && share[2] != L'\\')) return path;
    wchar_t drive = share[0];
    if (drive >= L'a' && drive <= L'z') drive = static_cast<wchar_t>(drive - L'a' + L'A');
    if (drive < L'A' || drive > L'Z') return path;
    return std::wstring(kLongPrefix) + drive + L":\\" + (share.size() > 3 ? share.substr(3) : std::wstring());
}

// The final path of an existing object, long form; empty when it cannot be opened.
std::wstring FinalPath(const std::wstring& longPath)
{
    // No access to the data is needed; following links is the point here.
    UniqueFile object(::CreateFileW(longPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return object ? FinalPathOf(object.get()) : std::wstring();
}

// Where the root of a long path ends: "\\?\C:\", "\\?\UNC\SRV\SHARE\", "\\?\VOLUME{...}\".
std::size_t RootLength(const std::wstring& path)
{
    std::size_t start = ::lstrlenW(kLongPrefix);
    int separators = 1;
    if (StartsWith(path, kUncPrefix)) {
        start = ::lstrlenW(kUncPrefix);
        separators = 2;
    } else if (!StartsWith(path, kLongPrefix)) {
        return 0;
    }
    std::size_t at = start;
    for (int i = 0; i < separators; ++i) {
        const std::size_t slash = path.find(L'\\', at);
        if (slash == std::wstring::npos) return path.size();
        at = slash + 1;
    }
    return at;
}

} // namespace

std::wstring AddBackslashW(const std::wstring& path)
{
    return !path.empty() && path.back() == L'\\' ? path : path + L'\\';
}

namespace {

template <typename Text>
bool Absolute(const Text& path)
{
    const auto separator = [](auto c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && path[1] == ':' && separator(path[2])) return true;
    return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

} // namespace

bool IsAbsolutePath(const std::string& path)
{
    return Absolute(path);
}

bool IsAbsolutePath(const std::wstring& path)
{
    return Absolute(path);
}

std::wstring LongPath(const std::string& path)
{
    return LongPath(WideFromUtf8(path));
}

std::wstring LongPath(std::wstring wide)
{
    if (StartsWith(wide, kLongPrefix)) return wide; // taken literally, as the system does
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    if (!IsAbsolutePath(wide)) wide = CurrentFolderFull(wide);
    if (wide.size() >= 3 && wide[1] == L':')
        return ResolveDots(std::wstring(kLongPrefix) + wide.substr(0, 3), wide.substr(3));
    if (StartsWith(wide, L"\\\\.\\")) return ResolveDots(kLongPrefix, wide.substr(4));
    if (StartsWith(wide, L"\\\\")) {
        // Server and share form the root: ".." never climbs out of the share.
        const std::size_t server = wide.find(L'\\', 2);
        const std::size_t share = server == std::wstring::npos ? server : wide.find(L'\\', server + 1);
        if (share == std::wstring::npos) return std::wstring(kUncPrefix) + wide.substr(2);
        return ResolveDots(std::wstring(kUncPrefix) + wide.substr(2, share - 1), wide.substr(share + 1));
    }
    return wide;
}

std::string DisplayPath(const std::wstring& longPath)
{
    if (StartsWith(longPath, kUncPrefix)) return "\\\\" + Utf8FromWide(longPath.substr(::lstrlenW(kUncPrefix)));
    if (StartsWith(longPath, kLongPrefix) && longPath.size() >= 6 && longPath[5] == L':')
        return Utf8FromWide(longPath.substr(4));
    return Utf8FromWide(longPath);
}

std::wstring CanonicalFolder(const std::string& folder)
{
    return CanonicalFolder(WideFromUtf8(folder));
}

std::wstring CanonicalFolder(const std::wstring& folder)
{
    if (folder.empty()) return {};
    std::wstring path = LocalShareAsDrive(LongPath(folder));
    const std::size_t root = RootLength(path);
    while (path.size() > root && path.back() == L'\\') path.pop_back();
    // Walk up to the nearest ancestor that exists and resolve that; the rest is appended
    // as written (what does not exist cannot be a link).
    std::wstring rest;
    for (;;) {
        std::wstring final = FinalPath(path);
        if (!final.empty()) {
            final = LocalShareAsDrive(final);
            return UpperCaseWide(WithBackslash(WithBackslash(final) + rest));
        }
        if (path.size() <= root) break;
        const std::size_t slash = path.find_last_of(L'\\');
        rest = path.substr(slash + 1) + (rest.empty() ? L"" : L"\\" + rest);
        path.resize(slash + 1 > root ? slash : root);
    }
    return UpperCaseWide(WithBackslash(WithBackslash(path) + rest));
}

bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer)
{
    return !outer.empty() && inner.size() >= outer.size() && inner.compare(0, outer.size(), outer) == 0;
}

bool IsVolumeRoot(const std::wstring& canonical)
{
    std::wstring rest = canonical;
    if (StartsWith(rest, kUncPrefix)) {
        rest = rest.substr(::lstrlenW(kUncPrefix));
        // "SRV\SHARE\" and shorter
        std::size_t slashes = 0;
        for (wchar_t c : rest) slashes += c == L'\\';
        return slashes <= 2;
    }
    if (StartsWith(rest, kLongPrefix)) rest = rest.substr(4);
    std::size_t slashes = 0;
    for (wchar_t c : rest) slashes += c == L'\\';
    return slashes <= 1; // "C:\" or "VOLUME{...}\"
}

} // namespace sweepora
