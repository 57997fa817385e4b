#include "erasure/MatchingFiles.h"

#include "erasure/RefusalText.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>

namespace sweepora {

namespace {

wchar_t Upper(wchar_t c)
{
    ::CharUpperBuffW(&c, 1);
    return c;
}

// The subfolders of `base` whose names match `part`; links and system folders are never entered.
std::vector<std::wstring> MatchingSubfolders(const std::wstring& base, const std::wstring& part)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW((AddBackslashW(LongPath(Utf8FromWide(base))) + L"*").c_str(), FindExInfoBasic,
                                       &data, FindExSearchLimitToDirectories, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &data)) {
        const DWORD a = data.dwFileAttributes;
        if (!(a & FILE_ATTRIBUTE_DIRECTORY) || (a & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if ((a & FILE_ATTRIBUTE_SYSTEM) && (a & FILE_ATTRIBUTE_HIDDEN)) continue;
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (LongNameMatches(name, part)) names.push_back(name);
    }
    return names;
}

// A wildcard part names its folders when it carries text of its own ("Chrome*"), or when a
// part after it does ("*\Cache").
bool NamedFrom(const std::vector<std::wstring>& parts, std::size_t wildcard)
{
    for (std::size_t i = wildcard; i < parts.size(); ++i)
        if (parts[i].find_first_not_of(L"*?") != std::wstring::npos) return true;
    return false;
}

struct Expansion {
    const WildcardRefusal& refusal;
    std::vector<std::string>& refusals;
    std::vector<ExpandedFolder>& out;

    void Expand(const std::wstring& base, const std::vector<std::wstring>& parts, std::size_t next, bool wild)
    {
        std::wstring path = base;
        for (; next < parts.size() && !HasWildcard(parts[next]); ++next) path += parts[next] + L"\\";
        if (next == parts.size()) {
            out.push_back({path, wild});
            return;
        }
        if (refusal) {
            const std::wstring canonical = CanonicalFolder(Utf8FromWide(path));
            const std::string why = refusal(canonical, NamedFrom(parts, next));
            if (!why.empty()) {
                refusals.push_back(SpelledRefusal(why, canonical, Utf8FromWide(path)));
                return;
            }
        }
        for (const std::wstring& name : MatchingSubfolders(path, parts[next]))
            Expand(path + name + L"\\", parts, next + 1, true);
    }
};

} // namespace

namespace {

// Greedy match with one backtrack point, the usual wildcard walk.
template <typename Same>
bool WildcardMatches(const std::wstring& name, const std::wstring& pattern, Same same)
{
    std::size_t n = 0, p = 0, star = std::wstring::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || same(pattern[p], name[n]))) {
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

} // namespace

bool LongNameMatches(const std::wstring& name, const std::wstring& pattern)
{
    if (pattern == L"*" || pattern == L"*.*") return true;
    return WildcardMatches(name, pattern, [](wchar_t a, wchar_t b) { return Upper(a) == Upper(b); });
}

bool UpperNameMatches(const std::wstring& name, const std::wstring& pattern)
{
    return WildcardMatches(name, pattern, [](wchar_t a, wchar_t b) { return a == b; });
}

namespace {

template <typename Char>
std::size_t FirstWildcardIn(std::basic_string_view<Char> text)
{
    static constexpr Char kLongPrefix[] = {'\\', '\\', '?', '\\', 0};
    static constexpr Char kWildcards[] = {'*', '?', 0};
    const bool prefixed = text.substr(0, 4) == std::basic_string_view<Char>(kLongPrefix);
    return text.find_first_of(kWildcards, prefixed ? 4 : 0);
}

} // namespace

std::size_t FirstWildcard(std::wstring_view text)
{
    return FirstWildcardIn(text);
}

bool HasWildcard(std::wstring_view text)
{
    return FirstWildcardIn(text) != std::wstring_view::npos;
}

bool HasWildcard(std::string_view text)
{
    return FirstWildcardIn(text) != std::string_view::npos;
}

bool FolderMatches(const std::string& path, const std::string& pattern, bool orBelow)
{
    const std::vector<std::string_view> have = PathParts(path), want = PathParts(pattern);
    if (want.empty() || have.size() < want.size() || (!orBelow && have.size() != want.size())) return false;
    for (std::size_t i = 0; i < want.size(); ++i)
        if (!LongNameMatches(WideFromUtf8(std::string(have[i])), WideFromUtf8(std::string(want[i])))) return false;
    return true;
}

std::vector<ExpandedFolder> ExpandFolderPattern(const std::wstring& folder, const WildcardRefusal& refusal,
                                                std::vector<std::string>& refusals)
{
    std::vector<ExpandedFolder> out;
    if (!HasWildcard(folder)) {
        out.push_back({AddBackslashW(folder), false});
        return out;
    }
    // The root ("C:\", "\\server\share\", "\\?\C:\") is taken as written, never expanded.
    std::size_t rootEnd = 0;
    if (folder.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        rootEnd = 8;
    } else if (folder.rfind(L"\\\\?\\", 0) == 0) {
        rootEnd = 4;
    } else if (folder.rfind(L"\\\\", 0) == 0) {
        rootEnd = 2;
    }
    const std::size_t driveOrShare = folder.rfind(L"\\\\", 0) == 0 && rootEnd != 4 ? 2 : 1;
    std::size_t cut = rootEnd;
    for (std::size_t i = 0; i < driveOrShare && cut != std::wstring::npos; ++i) {
        cut = folder.find_first_of(L"\\/", cut);
        if (cut != std::wstring::npos) ++cut;
    }
    if (cut == std::wstring::npos) return out;
    const std::wstring root = folder.substr(0, cut);
    if (HasWildcard(root)) return out;
    std::vector<std::wstring> parts;
    for (std::wstring_view part : PathParts(std::wstring_view(folder).substr(cut))) parts.emplace_back(part);
    Expansion{refusal, refusals, out}.Expand(root, parts, 0, false);
    return out;
}

} // namespace sweepora
