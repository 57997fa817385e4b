#include "erasure/RegistryKeyCleaning.h"

#include "erasure/RegistryOpen.h"
#include "platform/WideText.h"

#include <vector>

namespace sweepora {

namespace {

using Parts = std::vector<std::string>;

// Opened as a deletion will open it, so that a preview counts what a run could take.
constexpr REGSAM kCleanAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_SET_VALUE;

struct Counts {
    DWORD subkeys = 0;
    DWORD values = 0;
};

Counts CountsOf(HKEY key)
{
    Counts n;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &n.subkeys, nullptr, nullptr, &n.values, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return n;
}

// The values `keep` does not name.
std::int64_t Unkept(HKEY key, const std::function<bool(const std::string&)>& keep)
{
    if (!keep) return CountsOf(key).values;
    std::int64_t count = 0;
    std::wstring name(16384, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumValueW(key, index, &name[0], &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!keep(Utf8FromWide(std::wstring(name.data(), length)))) ++count;
    }
    return count;
}


std::string Shown(const Parts& parts)
{
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "\\") + part;
    return text;
}

// One key's values; true when it counts as cleaned.
bool CleanValues(EraseContext& c, HKEY root, const Parts& parts, const KeyCleaning& request, KeyCleaned& result)
{
    OpenedKey key = OpenKeyWithoutLinks(root, parts, kCleanAccess);
    RegistryFailures failures;
    if (key.state == OpenedKey::State::Missing) return false;
    if (key.state == OpenedKey::State::Link) failures.push_back({RegistryFailure::Kind::Link, {}, ERROR_ACCESS_DENIED});
    if (key.state == OpenedKey::State::Failed) failures.push_back({RegistryFailure::Kind::Key, {}, key.error});
    if (failures.empty()) {
        if (!c.run.live) {
            result.removed += Unkept(key.handle, request.keep);
            return true;
        }
        // Kept values stay, so what went is the difference; `keep` is asked once per value.
        const std::int64_t before = CountsOf(key.handle).values;
        failures = DeleteRegistryValues(root, parts, c.run.abort, request.keep);
        result.removed += before - CountsOf(key.handle).values;
    }
    LogRegistryFailures(c, Shown(parts), failures);
    result.failures.insert(result.failures.end(), failures.begin(), failures.end());
    return failures.empty();
}

} // namespace

KeyCleaned CleanRegistryKey(EraseContext& c, const KeyCleaning& request)
{
    KeyCleaned result;
    const Parts parts = RegistryKeyParts(request.path);
    if (request.kind == KeyCleaning::Kind::Values) {
        if (!CleanValues(c, request.root, parts, request, result)) return result;
        ++result.keys;
        if (!request.subkeysToo) return result;
        const OpenedKey key = OpenKeyWithoutLinks(request.root, parts, KEY_ENUMERATE_SUB_KEYS);
        if (key.state != OpenedKey::State::Opened) return result;
        for (const std::wstring& wide : SubkeyNames(key.handle)) {
            const std::string name = Utf8FromWide(wide);
            if (c.run.abort) break;
            Parts sub = parts;
            sub.push_back(name);
            if (CleanValues(c, request.root, sub, request, result)) ++result.keys;
        }
        return result;
    }
    const OpenedKey key = OpenKeyWithoutLinks(request.root, parts, kCleanAccess);
    RegistryFailures failures;
    if (key.state == OpenedKey::State::Missing) return result;
    if (key.state == OpenedKey::State::Link) failures.push_back({RegistryFailure::Kind::Link, {}, ERROR_ACCESS_DENIED});
    if (key.state == OpenedKey::State::Failed) failures.push_back({RegistryFailure::Kind::Key, {}, key.error});
    if (failures.empty()) {
        const std::int64_t before = CountsOf(key.handle).subkeys;
        if (c.run.live) {
            failures = DeleteRegistrySubkeys(request.root, parts, c.run.abort);
            result.removed = before - CountsOf(key.handle).subkeys;
        } else {
            result.removed = before;
        }
    }
    LogRegistryFailures(c, Shown(parts), failures);
    result.failures = failures;
    if (failures.empty()) ++result.keys;
    return result;
}

} // namespace sweepora
