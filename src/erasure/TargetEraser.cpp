#include "erasure/TargetEraser.h"

#include "erasure/MatchingFiles.h"
#include "erasure/RegistryDelete.h"
#include "erasure/RegistryGuard.h"
#include "erasure/RegistryOpen.h"
#include "erasure/RegistryWalk.h"
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

using Parts = std::vector<std::string>;

// The key's tree without what the exclusions keep: whatever holds a kept key or value stays.
void DeleteKeyExcept(EraseContext& c, HKEY root, const std::string& key, Parts& parts,
                     const std::vector<Exclusion>& exclusions)
{
    if (KeptByExclusion(key, {}, exclusions) || c.run.abort) return;
    if (!HoldsExclusion(key, exclusions)) {
        LogRegistryFailures(c, key, DeleteRegistryKey(root, parts, c.run.abort));
        return;
    }
    OpenedKey opened = OpenKeyWithoutLinks(root, parts, KEY_READ);
    if (opened.state != OpenedKey::State::Opened) return;
    const std::vector<std::wstring> values = Names(opened.handle, false), subkeys = Names(opened.handle, true);
    opened.owner.reset();
    for (const std::wstring& value : values) {
        const std::string name = Utf8FromWide(value);
        if (!KeptByExclusion(key, name, exclusions)) LogRegistryFailures(c, key, DeleteRegistryValue(root, parts, name));
    }
    for (const std::wstring& subkey : subkeys) {
        parts.push_back(Utf8FromWide(subkey));
        DeleteKeyExcept(c, root, key + "\\" + parts.back(), parts, exclusions);
        parts.pop_back();
    }
}

bool HasValue(HKEY key, const std::string& name)
{
    return ::RegQueryValueExW(key, WideFromUtf8(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// How much of what the target would remove of one key is there: the key with its values
// and subkeys, its subkeys, its values, or its named values. 0 for a missing key, -1 for
// one that cannot be read, so that a target is counted only when something of it really went.
std::int64_t PresentOf(HKEY root, const WalkedKey& k, const RegistryTarget& t, const std::vector<Exclusion>& exclusions)
{
    const OpenedKey key = OpenKeyWithoutLinks(root, k.parts, KEY_READ);
    if (key.state == OpenedKey::State::Missing) return 0;
    DWORD subkeys = 0, values = 0;
    if (key.state != OpenedKey::State::Opened ||
        ::RegQueryInfoKeyW(key.handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    switch (t.action) {
    case RegistryAction::DeleteKey:
        return KeptByExclusion(k.text, {}, exclusions) ? 0 : 1 + std::int64_t{subkeys} + values;
    case RegistryAction::DeleteSubkeys:
        return subkeys;
    case RegistryAction::DeleteAllValues:
        return values;
    case RegistryAction::DeleteValue:
        return !KeptByExclusion(k.text, t.value, exclusions) && HasValue(key.handle, t.value) ? 1 : 0;
    case RegistryAction::DeleteNumberedValue: {
        std::int64_t present = 0;
        for (int n = 0; n <= kNumberedCompanions; ++n)
            present += HasValue(key.handle, t.value + (n == 0 ? std::string() : std::to_string(n))) ? 1 : 0;
        return present;
    }
    }
    return 0;
}

// Carries out the target on one key the walk allowed; counted when something of it went.
void EraseWalkedKey(EraseContext& c, HKEY root, const WalkedKey& k, const RegistryTarget& t,
                    const std::vector<Exclusion>& exclusions)
{
    // A target without wildcards logs under its own text, as it always has.
    const std::string& shown = k.text == t.key ? t.text : k.text;
    // Counted when something of it went (in a test run: is there to go), never before.
    const std::int64_t before = PresentOf(root, k, t, exclusions);
    if (before == 0) return;
    if (!c.run.live) {
        if (before > 0) ++c.run.registryKeys;
        return;
    }
    Parts parts = k.parts;
    switch (t.action) {
    case RegistryAction::DeleteKey:
        DeleteKeyExcept(c, root, k.text, parts, exclusions);
        break;
    case RegistryAction::DeleteSubkeys:
        LogRegistryFailures(c, shown, DeleteRegistrySubkeys(root, parts, c.run.abort));
        break;
    case RegistryAction::DeleteAllValues:
        LogRegistryFailures(c, shown, DeleteRegistryValues(root, parts, c.run.abort));
        break;
    case RegistryAction::DeleteValue:
        if (!KeptByExclusion(k.text, t.value, exclusions))
            LogRegistryFailures(c, k.text, DeleteRegistryValue(root, parts, t.value));
        break;
    case RegistryAction::DeleteNumberedValue: {
        RegistryFailures failures;
        for (int n = 0; n <= kNumberedCompanions && !c.run.abort; ++n) {
            const std::string name = t.value + (n == 0 ? std::string() : std::to_string(n));
            const RegistryFailures failed = DeleteRegistryValue(root, parts, name);
            failures.insert(failures.end(), failed.begin(), failed.end());
            // A key that cannot be opened refuses every companion alike: one line is enough.
            if (!failed.empty() && failed.front().kind != RegistryFailure::Kind::Value) break;
        }
        LogRegistryFailures(c, shown, failures);
        break;
    }
    }
    const std::int64_t after = PresentOf(root, k, t, exclusions);
    if (before > 0 && after >= 0 && after < before) ++c.run.registryKeys;
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
        t.folder, [&guard](const std::wstring& parent, bool namedFollows) { return guard.WildcardRefusal(parent, namedFollows); },
        refusals);
    for (const std::string& why : refusals) c.log.AddLogEntry(t.text, Refused(why));
    int refusedFolders = 0, allowedFolders = 0;
    std::int64_t filesAllowed = 0, filesRefused = 0;
    bool judged = false, masksAllowed = false;
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
        judged = judged || outcome.judged;
        masksAllowed = masksAllowed || outcome.masksAllowed;
    }
    // Folders that were allowed but whose every file was kept, or where no mask was, took
    // nothing either.
    const bool noMask = judged && !masksAllowed;
    const bool somethingRefused = !refusals.empty() || refusedFolders > 0 || filesRefused > 0 || noMask;
    total.refused = somethingRefused && filesAllowed == 0 && (allowedFolders == 0 || filesRefused > 0 || noMask);
    total.filesAllowed = filesAllowed;
    total.filesRefused = filesRefused;
    return total;
}

TargetEnd EraseRegistryTarget(EraseContext& c, const RegistryTarget& t, const std::vector<Exclusion>& exclusions,
                              const TargetGuard& guard)
{
    const std::string rootText = RootName(t.key);
    if (HasWildcard(std::string_view(rootText))) {
        c.log.AddLogEntry(t.text, Refused("a wildcard may not stand for a registry root"));
        return TargetEnd::Refused;
    }
    const HKEY root = RootKeyFromPath(rootText + "\\");
    if (root == nullptr) {
        c.log.AddLogEntry(t.text, "Not done: \"" + rootText +
                                      "\" is not a registry root; write it in full, as HKEY_CURRENT_USER is");
        return TargetEnd::NotDone;
    }
    // The pattern as written first: a wildcard standing for another user's hive, say, is
    // refused whole before any key is opened.
    const std::string why = guard.RegistryRefusal(t);
    if (!why.empty()) {
        c.log.AddLogEntry(t.text, Refused(why));
        return TargetEnd::Refused;
    }
    std::size_t allowed = 0, refused = 0;
    RegistryWalkRequest walk;
    walk.root = root;
    walk.rootText = rootText;
    walk.parts = RegistryKeyParts(KeyPath(t.key));
    walk.namesValue = t.action == RegistryAction::DeleteValue || t.action == RegistryAction::DeleteNumberedValue;
    walk.judge = [&](const std::string& key) {
        RegistryTarget found = t;
        found.key = key;
        return guard.RegistryRefusal(found);
    };
    walk.visit = [&](const WalkedKey& k) {
        ++allowed;
        EraseWalkedKey(c, root, k, t, exclusions);
    };
    walk.refuse = [&](const std::string& reason) {
        ++refused;
        c.log.AddLogEntry(t.text, Refused(reason));
    };
    WalkRegistryPattern(walk, c.run.abort);
    return refused > 0 && allowed == 0 ? TargetEnd::Refused : TargetEnd::Done;
}

} // namespace sweepora
