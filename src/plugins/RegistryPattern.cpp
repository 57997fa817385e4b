#include "plugins/RegistryPattern.h"

#include "erasure/MatchingFiles.h"
#include "platform/RegistryAccess.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>

namespace sweepora {

namespace {

std::vector<std::string> SplitParts(const std::string& key)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = key.find('\\');; at = key.find('\\', start)) {
        if (at != start) parts.push_back(key.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// A key that is a registry link: the guard judged its name, not where it leads.
bool IsLink(HKEY parent, const std::wstring& name)
{
    UniqueKey key;
    if (::RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return true; // what cannot be looked at is not gone through either
    DWORD type = 0;
    return ::RegQueryValueExW(key.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

void Expand(HKEY root, const std::string& path, const std::vector<std::string>& parts, std::size_t next,
            const std::string& prefix, const RegistryTarget& target, std::vector<RegistryTarget>& found)
{
    if (next == parts.size()) {
        RegistryTarget t = target;
        t.key = prefix;
        found.push_back(std::move(t));
        return;
    }
    const std::string& part = parts[next];
    if (!HasWildcard(std::string_view(part))) {
        Expand(root, path.empty() ? part : path + "\\" + part, parts, next + 1, prefix + "\\" + part, target, found);
        return;
    }
    UniqueKey key;
    if (::RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, kReadAccess, key.put()) != ERROR_SUCCESS) return;
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    const std::wstring pattern = WideFromUtf8(part);
    for (const std::wstring& n : names) {
        if (!LongNameMatches(n, pattern) || IsLink(key.get(), n)) continue;
        const std::string text = Utf8FromWide(n);
        Expand(root, path.empty() ? text : path + "\\" + text, parts, next + 1, prefix + "\\" + text, target, found);
    }
}

} // namespace

std::vector<RegistryTarget> ExpandRegistryTarget(const RegistryTarget& target, std::vector<std::string>& refusals)
{
    const std::vector<std::string> parts = SplitParts(target.key);
    bool wild = false;
    for (const std::string& part : parts) wild = wild || HasWildcard(std::string_view(part));
    if (!wild) return {target};
    const HKEY root = parts.empty() ? nullptr : RootKeyFromPath(parts[0] + "\\");
    if (root == nullptr || HasWildcard(std::string_view(parts[0]))) {
        refusals.push_back("a wildcard may not stand for a registry root");
        return {};
    }
    const bool namesValue =
        target.action == RegistryAction::DeleteValue || target.action == RegistryAction::DeleteNumberedValue;
    if (!namesValue && HasWildcard(std::string_view(parts.back()))) {
        refusals.push_back("a wildcard in the last part of a key would choose what goes whole");
        return {};
    }
    std::vector<RegistryTarget> found;
    Expand(root, std::string(), parts, 1, parts[0], target, found);
    return found;
}

} // namespace sweepora
