#include "plugins/MatchingFiles.h"

#include "storage/LongPath.h"
#include "storage/ProtectedFolders.h"
#include "storage/UniqueHandle.h"
#include "storage/WideText.h"

#include <windows.h>

namespace sweepora {

namespace {

constexpr DWORD kNeverMatches = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM;

wchar_t Upper(wchar_t c)
{
    ::CharUpperBuffW(&c, 1);
    return c;
}

} // namespace

bool LongNameMatches(const std::wstring& name, const std::wstring& pattern)
{
    if (pattern == L"*" || pattern == L"*.*") return true;
    // Greedy match with one backtrack point, the usual wildcard walk.
    std::size_t n = 0, p = 0, star = std::wstring::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || Upper(pattern[p]) == Upper(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

std::vector<std::string> MatchingFiles(const std::string& pattern, std::string* refusal)
{
    std::vector<std::string> files;
    const auto cut = pattern.find_last_of("\\/");
    if (cut == std::string::npos) return files;
    const std::string folder = pattern.substr(0, cut + 1);
    const std::string name = pattern.substr(cut + 1);
    if (name.empty()) return files;
    const std::string why = PatternFolderRefusal(folder, CurrentProtectedFolders());
    if (!why.empty()) {
        if (refusal) *refusal = why;
        return files;
    }
    const std::wstring wideName = WideFromUtf8(name);
    const std::wstring longFolder = AddBackslashW(LongPath(folder));
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW((longFolder + wideName).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &data)) {
        if (data.dwFileAttributes & kNeverMatches) continue;
        if (!LongNameMatches(data.cFileName, wideName)) continue;
        files.push_back(folder + Utf8FromWide(data.cFileName));
    }
    return files;
}

} // namespace sweepora
