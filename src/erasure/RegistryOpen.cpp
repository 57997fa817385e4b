#include "erasure/RegistryOpen.h"

#include "platform/WideText.h"

namespace sweepora {

namespace {

// Enough to look for a link and to go on below.
constexpr REGSAM kPassAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

} // namespace

std::vector<std::string> RegistryKeyParts(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = path.find('\\');; at = path.find('\\', start)) {
        if (at != start) parts.push_back(path.substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool IsRegistryLink(HKEY key)
{
    DWORD type = REG_NONE;
    return ::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

OpenedKey OpenKeyWithoutLinks(HKEY root, const std::vector<std::string>& parts, REGSAM access)
{
    OpenedKey opened;
    opened.handle = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        UniqueKey next;
        // Asked for what the caller needs and to see a link: a key that would give one but
        // not the other is not the caller's to touch either.
        const REGSAM want = (i + 1 == parts.size() ? access : 0) | kPassAccess;
        const LONG result =
            ::RegOpenKeyExW(opened.handle, WideFromUtf8(parts[i]).c_str(), REG_OPTION_OPEN_LINK, want, next.put());
        if (result != ERROR_SUCCESS) {
            next.release(); // nothing was opened
            opened.owner.reset();
            opened.handle = nullptr;
            opened.state = result == ERROR_FILE_NOT_FOUND ? OpenedKey::State::Missing : OpenedKey::State::Failed;
            opened.error = result;
            return opened;
        }
        if (IsRegistryLink(next.get())) {
            opened.owner.reset();
            opened.handle = nullptr;
            opened.state = OpenedKey::State::Link;
            opened.linkDepth = i + 1;
            return opened;
        }
        opened.owner = std::move(next);
        opened.handle = opened.owner.get();
    }
    opened.state = OpenedKey::State::Opened;
    return opened;
}

std::vector<std::wstring> SubkeyNames(HKEY key)
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

} // namespace sweepora
