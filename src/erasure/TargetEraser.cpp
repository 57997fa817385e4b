#include "erasure/TargetEraser.h"

#include "erasure/MatchingFiles.h"
#include "erasure/RegistryGuard.h"
#include "platform/ErrorText.h"
#include "platform/LongPath.h"
#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

namespace sweepora {

namespace {

// Value names tried after the named one: name1 to name49.
constexpr int kNumberedCompanions = 49;

std::string Refused(const std::string& why)
{
    return "Refused: " + why;
}

// An exclusion's folder by its final path: the part before the first wildcard is resolved
// as the walk resolves its folders, the parts after it are kept as patterns.
std::wstring CanonicalPattern(const std::wstring& folder)
{
    const std::size_t wild = FirstWildcard(folder);
    if (wild == std::wstring::npos) return CanonicalFolder(folder);
    const std::size_t cut = folder.find_last_of(L"\\/", wild);
    if (cut == std::wstring::npos) return {};
    std::wstring rest = folder.substr(cut + 1);
    for (wchar_t& c : rest)
        if (c == L'/') c = L'\\';
    return CanonicalFolder(folder.substr(0, cut + 1)) + UpperCaseWide(rest);
}

std::vector<KeptPlace> KeptPlaces(const std::vector<Exclusion>& exclusions)
{
    std::vector<KeptPlace> kept;
    for (const Exclusion& e : exclusions) {
        if (e.kind == Exclusion::Kind::Registry || e.folder.empty()) continue;
        KeptPlace k;
        k.folder = CanonicalPattern(e.folder);
        k.orBelow = e.kind == Exclusion::Kind::Path;
        k.mask = UpperCaseWide(e.mask);
        if (!k.folder.empty()) kept.push_back(std::move(k));
    }
    return kept;
}

// One line per failure, named as the user wrote the key: a subkey below it after a
// backslash, a value after a comma as in a DelRegValue entry.
void LogFailures(EraseContext& c, const std::string& key, const RegistryFailures& failures)
{
    for (const RegistryFailure& f : failures) {
        std::string task = key;
        if (f.kind == RegistryFailure::Kind::Subkey)
            task = (!key.empty() && key.back() == '\\' ? key : key + "\\") + f.name;
        else if (f.kind == RegistryFailure::Kind::Value)
            task = key + "," + f.name;
        c.log.AddLogEntry(task, ErrorText(static_cast<DWORD>(f.error)));
    }
}

std::string KeyPath(const std::string& key)
{
    const std::size_t slash = key.find('\\');
    return slash == std::string::npos ? std::string() : key.substr(slash + 1);
}

bool SameText(const std::string& a, const std::string& b)
{
    return UpperCaseUtf8(TrimBlanks(a)) == UpperCaseUtf8(TrimBlanks(b));
}

// Keys compare by their canonical forms, so "HKCR\x" keeps "HKCU\Software\Classes\x" and
// a Wow6432Node spelling keeps the key without it.
bool KeyMatches(const std::string& key, const std::string& pattern, bool orBelow)
{
    for (const std::string& k : CanonicalRegistryKeys(key))
        for (const std::string& p : CanonicalRegistryKeys(pattern))
            if (FolderMatches(k, p, orBelow)) return true;
    return FolderMatches(key, pattern, orBelow);
}

// A key (or, with `value`, one value of it) that an exclusion keeps.
bool KeptByExclusion(const std::string& key, const std::string& value, const std::vector<Exclusion>& exclusions)
{
    for (const Exclusion& e : exclusions) {
        if (e.kind != Exclusion::Kind::Registry) continue;
        if (e.value.empty() ? KeyMatches(key, e.key, true)
                            : (!value.empty() && KeyMatches(key, e.key, false) && SameText(value, e.value)))
            return true;
    }
    return false;
}

// An exclusion somewhere inside the key: the key cannot go as a whole.
bool HoldsExclusion(const std::string& key, const std::vector<Exclusion>& exclusions)
{
    for (const Exclusion& e : exclusions)
        if (e.kind == Exclusion::Kind::Registry && KeyMatches(e.key, key, true)) return true;
    return false;
}

std::vector<std::wstring> Names(HKEY key, bool subkeys)
{
    std::vector<std::wstring> names;
    std::wstring name(32768, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG result = subkeys ? ::RegEnumKeyExW(key, index, &name[0], &length, nullptr, nullptr, nullptr, nullptr)
                                    : ::RegEnumValueW(key, index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

// The key's tree without what the exclusions keep: whatever holds a kept key or value stays.
void DeleteKeyExcept(EraseContext& c, HKEY root, const std::string& key, const std::vector<Exclusion>& exclusions)
{
    if (KeptByExclusion(key, {}, exclusions) || c.run.abort) return;
    if (!HoldsExclusion(key, exclusions)) {
        LogFailures(c, key, DeleteRegKey(root, KeyPath(key), c.run.abort));
        return;
    }
    UniqueKey handle;
    if (::RegOpenKeyExW(root, WideFromUtf8(KeyPath(key)).c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return;
    const std::vector<std::wstring> values = Names(handle.get(), false), subkeys = Names(handle.get(), true);
    handle.reset();
    for (const std::wstring& value : values) {
        const std::string name = Utf8FromWide(value);
        if (!KeptByExclusion(key, name, exclusions)) LogFailures(c, key, DeleteRegValue(root, KeyPath(key), name));
    }
    for (const std::wstring& subkey : subkeys) DeleteKeyExcept(c, root, key + "\\" + Utf8FromWide(subkey), exclusions);
}

bool HasValue(HKEY key, const std::string& name)
{
    return ::RegQueryValueExW(key, WideFromUtf8(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// How much of what the target would remove is there: the key with its values and subkeys,
// its subkeys, its values, or its named values. 0 for a missing key, -1 for one that cannot
// be read, so that a target is counted only when something of it really went.
std::int64_t PresentOf(HKEY root, const RegistryTarget& t, const std::vector<Exclusion>& exclusions)
{
    UniqueKey key;
    const LONG opened = ::RegOpenKeyExW(root, WideFromUtf8(KeyPath(t.key)).c_str(), 0, KEY_READ, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return 0;
    DWORD subkeys = 0, values = 0;
    if (opened != ERROR_SUCCESS || ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                      &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    switch (t.action) {
    case RegistryAction::DeleteKey:
        return KeptByExclusion(t.key, {}, exclusions) ? 0 : 1 + std::int64_t{subkeys} + values;
    case RegistryAction::DeleteSubkeys:
        return subkeys;
    case RegistryAction::DeleteAllValues:
        return values;
    case RegistryAction::DeleteValue:
        return !KeptByExclusion(t.key, t.value, exclusions) && HasValue(key.get(), t.value) ? 1 : 0;
    case RegistryAction::DeleteNumberedValue: {
        std::int64_t present = 0;
        for (int k = 0; k <= kNumberedCompanions; ++k)
            present += HasValue(key.get(), t.value + (k == 0 ? std::string() : std::to_string(k))) ? 1 : 0;
        return present;
    }
    }
    return 0;
}

// The text before the first backslash, as the entry wrote it.
std::string RootName(const std::string& key)
{
    return TrimBlanks(key.substr(0, key.find('\\')));
}

} // namespace

WalkOutcome EraseFileTarget(EraseContext& c, const FileTarget& t, const std::vector<Exclusion>& exclusions,
                            const TargetGuard& guard)
{
    WalkOutcome total;
    if (t.folder.empty() || t.masks.empty()) return total;
    if (!IsAbsolutePath(t.folder)) {
        c.log.AddLogEntry(t.text, Refused("the folder is not a full path"));
        total.refused = true;
        return total;
    }
    std::vector<std::string> refusals;
    const std::vector<ExpandedFolder> folders = ExpandFolderPattern(
        t.folder, [&guard](const std::wstring& parent, bool fixedFollows) { return guard.WildcardRefusal(parent, fixedFollows); },
        refusals);
    for (const std::string& why : refusals) c.log.AddLogEntry(t.text, Refused(why));
    int refusedFolders = 0, allowedFolders = 0;
    std::int64_t filesAllowed = 0, filesRefused = 0;
    WalkRequest request;
    for (const std::wstring& mask : t.masks) request.masks.push_back(UpperCaseWide(mask));
    request.recurse = t.recurse || t.removeSelf;
    request.removeSubfolders = t.removeSelf;
    request.removeFolder = t.removeSelf;
    request.hiddenFiles = true;
    request.kept = KeptPlaces(exclusions);
    request.guard = &guard;
    request.refusalTask = t.text;
    for (const ExpandedFolder& folder : folders) {
        if (c.run.abort) break;
        request.folder = LongPath(folder.path);
        // The system names a folder without the trailing backslash.
        while (request.folder.size() > 7 && request.folder.back() == L'\\') request.folder.pop_back();
        request.display = Utf8FromWide(folder.path);
        const WalkOutcome outcome = WalkFolder(c, request);
        total.inUse = total.inUse || outcome.inUse;
        (outcome.refused ? refusedFolders : allowedFolders) += 1;
        filesAllowed += outcome.filesAllowed;
        filesRefused += outcome.filesRefused;
    }
    // Folders that were allowed but whose every file was kept took nothing either.
    const bool somethingRefused = !refusals.empty() || refusedFolders > 0 || filesRefused > 0;
    total.refused = somethingRefused && filesAllowed == 0 && (allowedFolders == 0 || filesRefused > 0);
    total.filesAllowed = filesAllowed;
    total.filesRefused = filesRefused;
    return total;
}

TargetEnd EraseRegistryTarget(EraseContext& c, const RegistryTarget& t, const std::vector<Exclusion>& exclusions,
                              const TargetGuard& guard)
{
    const HKEY root = RootKeyFromPath(t.key.find('\\') == std::string::npos ? t.key + "\\" : t.key);
    if (root == nullptr) {
        c.log.AddLogEntry(t.text, "Not done: \"" + RootName(t.key) +
                                      "\" is not a registry root; write it in full, as HKEY_CURRENT_USER is");
        return TargetEnd::NotDone;
    }
    const std::string why = guard.RegistryRefusal(t);
    if (!why.empty()) {
        c.log.AddLogEntry(t.text, Refused(why));
        return TargetEnd::Refused;
    }
    // Counted when something of it went (in a test run: is there to go), never before.
    const std::int64_t before = PresentOf(root, t, exclusions);
    if (before == 0) return TargetEnd::Done;
    if (!c.run.live) {
        if (before > 0) ++c.run.registryKeys;
        return TargetEnd::Done;
    }
    const std::string path = KeyPath(t.key);
    switch (t.action) {
    case RegistryAction::DeleteKey:
        DeleteKeyExcept(c, root, t.key, exclusions);
        break;
    case RegistryAction::DeleteSubkeys:
        LogFailures(c, t.text, DeleteSubKeys(root, path, true, c.run.abort));
        break;
    case RegistryAction::DeleteAllValues:
        LogFailures(c, t.text, DeleteAllRegValues(root, path, c.run.abort));
        break;
    case RegistryAction::DeleteValue:
        if (!KeptByExclusion(t.key, t.value, exclusions)) LogFailures(c, t.key, DeleteRegValue(root, path, t.value));
        break;
    case RegistryAction::DeleteNumberedValue: {
        RegistryFailures failures;
        for (int k = 0; k <= kNumberedCompanions && !c.run.abort; ++k) {
            const std::string name = t.value + (k == 0 ? std::string() : std::to_string(k));
            const RegistryFailures failed = DeleteRegValue(root, path, name);
            failures.insert(failures.end(), failed.begin(), failed.end());
            // A key that cannot be opened refuses every companion alike: one line is enough.
            if (!failed.empty() && failed.front().kind == RegistryFailure::Kind::Key) break;
        }
        LogFailures(c, t.text, failures);
        break;
    }
    }
    const std::int64_t after = PresentOf(root, t, exclusions);
    if (before > 0 && after >= 0 && after < before) ++c.run.registryKeys;
    return TargetEnd::Done;
}

} // namespace sweepora
