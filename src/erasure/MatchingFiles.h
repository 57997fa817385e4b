#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sweepora {

// True when the whole name matches the pattern, ignoring case: "*" any run of characters,
// "?" any one; "*.*" matches every name, as it always has on this system. Long names
// only: the system's own search also matches short 8.3 names, so "*.tmp" would take
// "notes.tmpl".
bool LongNameMatches(const std::wstring& name, const std::wstring& pattern);
// The same for a name and a pattern both upper-cased already, where thousands of names
// are compared: no case mapping per character. "*.*" is taken literally here.
bool UpperNameMatches(const std::wstring& name, const std::wstring& pattern);

// Where the first "*" or "?" of the text stands; the "?" of a "\\?\" prefix is none.
std::size_t FirstWildcard(std::wstring_view text);
bool HasWildcard(std::wstring_view text);
bool HasWildcard(std::string_view text);

// True when `path` is the folder `pattern` names (its parts may hold wildcards), or, with
// `orBelow`, lies below it. Both UTF-8, compared part by part ignoring case.
bool FolderMatches(const std::string& path, const std::string& pattern, bool orBelow);

// One folder a folder pattern names on this machine, with a trailing backslash.
struct ExpandedFolder {
    std::wstring path;
    bool fromWildcard = false; // a part of it was chosen by a wildcard
};

// Why a wildcard part may not stand for the subfolders of `canonicalParent`; empty when
// it may. `namedFollows`: the part, or one after it, carries text of its own.
using WildcardRefusal = std::function<std::string(const std::wstring& canonicalParent, bool namedFollows)>;

// Expands every part of `folder` that holds "*" or "?" over the subfolders that exist,
// one listing per part, never into a link or a hidden system folder, and never where
// `refusal` says no: its reasons are added to `refusals`. A folder without wildcards
// comes back as it is, whether it exists or not.
std::vector<ExpandedFolder> ExpandFolderPattern(const std::wstring& folder, const WildcardRefusal& refusal,
                                                std::vector<std::string>& refusals);

} // namespace sweepora
