#include "plugins/PluginRunner.h"

#include "erasure/MatchingFiles.h"
#include "erasure/TargetGuards.h"
#include "platform/ErrorText.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <exception>
#include <optional>

namespace sweepora {

namespace {

// Value names tried after the named one: name1 to name49.
constexpr int kNumberedCompanions = 49;

constexpr DWORD kNeverMatches = FILE_ATTRIBUTE_SYSTEM;

std::string RefusedText(const std::string& why)
{
    return "Refused: " + why;
}

// One line per failure, named as the user wrote the key: a subkey below it after a
// backslash, a value after a comma as in a DelRegValue entry.
void LogFailures(const std::string& key, const RegistryFailures& failures, PluginRunHost& host)
{
    for (const RegistryFailure& f : failures) {
        std::string task = key;
        if (f.kind == RegistryFailure::Kind::Subkey)
            task = (!key.empty() && key.back() == '\\' ? key : key + "\\") + f.name;
        else if (f.kind == RegistryFailure::Kind::Value)
            task = key + "," + f.name;
        host.AddLogEntry(task, ErrorText(static_cast<DWORD>(f.error)));
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

// A key (or, with `value`, one value of it) that an exclusion keeps.
bool KeptByExclusion(const std::string& key, const std::string& value, const std::vector<Exclusion>& exclusions)
{
    for (const Exclusion& e : exclusions) {
        if (e.kind != Exclusion::Kind::Registry) continue;
        if (e.value.empty() ? FolderMatches(key, e.key, true) : (!value.empty() && SameText(key, e.key) && SameText(value, e.value)))
            return true;
    }
    return false;
}

// An exclusion somewhere inside the key: the key cannot go as a whole.
bool HoldsExclusion(const std::string& key, const std::vector<Exclusion>& exclusions)
{
    for (const Exclusion& e : exclusions)
        if (e.kind == Exclusion::Kind::Registry && FolderMatches(e.key, key, true)) return true;
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
void DeleteKeyExcept(HKEY root, const std::string& key, const std::vector<Exclusion>& exclusions,
                     PluginRunHost& host)
{
    const std::atomic<bool>& abort = host.AbortFlag();
    if (KeptByExclusion(key, {}, exclusions) || abort) return;
    if (!HoldsExclusion(key, exclusions)) {
        LogFailures(key, DeleteRegKey(root, KeyPath(key), abort), host);
        return;
    }
    UniqueKey handle;
    if (::RegOpenKeyExW(root, WideFromUtf8(KeyPath(key)).c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return;
    const std::vector<std::wstring> values = Names(handle.get(), false), subkeys = Names(handle.get(), true);
    handle.reset();
    for (const std::wstring& value : values) {
        const std::string name = Utf8FromWide(value);
        if (!KeptByExclusion(key, name, exclusions)) LogFailures(key, DeleteRegValue(root, KeyPath(key), name), host);
    }
    for (const std::wstring& subkey : subkeys) DeleteKeyExcept(root, key + "\\" + Utf8FromWide(subkey), exclusions, host);
}

void RunRegistryTarget(const RegistryTarget& t, const std::vector<Exclusion>& exclusions, PluginRunHost& host)
{
    const std::atomic<bool>& abort = host.AbortFlag();
    host.CountRegistryEntry();
    // An unknown root deletes nothing, as a registry call with no key would.
    const HKEY root = RootKeyFromPath(t.key.find('\\') == std::string::npos ? t.key + "\\" : t.key);
    if (root == nullptr) return;
    const std::string why = RegistryKeyRefusal(t.key);
    if (!why.empty()) {
        host.AddLogEntry(t.text, RefusedText(why));
        return;
    }
    if (!host.Live()) return;
    const std::string path = KeyPath(t.key);
    switch (t.action) {
    case RegistryAction::DeleteKey:
        DeleteKeyExcept(root, t.key, exclusions, host);
        break;
    case RegistryAction::DeleteSubkeys:
        LogFailures(t.text, DeleteSubKeys(root, path, true, abort), host);
        break;
    case RegistryAction::DeleteAllValues:
        LogFailures(t.text, DeleteAllRegValues(root, path, abort), host);
        break;
    case RegistryAction::DeleteValue:
        if (!KeptByExclusion(t.key, t.value, exclusions)) LogFailures(t.key, DeleteRegValue(root, path, t.value), host);
        break;
    case RegistryAction::DeleteNumberedValue: {
        RegistryFailures failures;
        for (int k = 0; k <= kNumberedCompanions && !abort; ++k) {
            const std::string name = t.value + (k == 0 ? std::string() : std::to_string(k));
            const RegistryFailures failed = DeleteRegValue(root, path, name);
            failures.insert(failures.end(), failed.begin(), failed.end());
            // A key that cannot be opened refuses every companion alike: one line is enough.
            if (!failed.empty() && failed.front().kind == RegistryFailure::Kind::Key) break;
        }
        LogFailures(t.text, failures, host);
        break;
    }
    }
}

// One file target on one concrete folder.
class FolderWalk {
public:
    FolderWalk(const FileTarget& target, const std::vector<std::string>& masks,
               const std::vector<Exclusion>& exclusions, PluginRunHost& host)
        : target_(target), exclusions_(exclusions), host_(host)
    {
        for (const std::string& mask : masks) masks_.push_back(WideFromUtf8(mask));
    }

    // True when everything below the folder is gone (or, in a test run, would be).
    bool Walk(const std::string& folder, bool top)
    {
        std::wstring longPath = LongPath(folder);
        // The system names a folder without the trailing backslash.
        while (longPath.size() > 7 && longPath.back() == L'\\') longPath.pop_back();
        FolderListing listing = ListFolder(longPath);
        if (listing.error == ERROR_FILE_NOT_FOUND || listing.error == ERROR_PATH_NOT_FOUND) return top;
        if (listing.isLink) {
            host_.AddLogEntry(folder, "Not cleaned: the folder is a link, which is never followed");
            return false;
        }
        if (!top && !listing.finalPath.empty() && !SamePath(listing.finalPath, longPath)) {
            host_.AddLogEntry(folder, "Not cleaned: reached through a link to " + DisplayPath(listing.finalPath));
            return false;
        }
        if (listing.error != ERROR_SUCCESS) {
            host_.AddLogEntry(folder, ErrorText(listing.error));
            return false;
        }
        const std::vector<std::wstring> kept = KeptHere(folder);
        bool emptied = true;
        for (const ListedEntry& entry : listing.entries) {
            if (host_.AbortFlag()) return false;
            const std::string name = Utf8FromWide(entry.name);
            const bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder && !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (target_.recurse || target_.removeSelf)) {
                emptied = Walk(folder + name + "\\", false) && emptied;
            } else if (!isFolder && !(entry.attributes & kNeverMatches) && Wanted(entry.name, kept)) {
                if (host_.AbortFlag()) return false;
                const DWORD error = host_.EradicateFile(folder + name);
                if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) inUse_ = true;
                emptied = error == ERROR_SUCCESS && emptied;
                host_.YieldToQueue();
            } else {
                emptied = false;
            }
        }
        listing.handle.reset();
        if (target_.removeSelf && !host_.AbortFlag()) return host_.RemoveFolder(folder, emptied);
        return emptied;
    }

    bool FilesInUse() const { return inUse_; }

private:
    // The masks of the file exclusions that apply in this folder; an empty one keeps every file.
    std::vector<std::wstring> KeptHere(const std::string& folder) const
    {
        std::vector<std::wstring> kept;
        for (const Exclusion& e : exclusions_)
            if (e.kind != Exclusion::Kind::Registry && FolderMatches(folder, e.folder, e.kind == Exclusion::Kind::Path))
                kept.push_back(WideFromUtf8(e.mask));
        return kept;
    }

    bool Wanted(const std::wstring& name, const std::vector<std::wstring>& kept) const
    {
        bool match = false;
        for (const std::wstring& mask : masks_) match = match || LongNameMatches(name, mask);
        if (!match) return false;
        for (const std::wstring& mask : kept)
            if (mask.empty() || LongNameMatches(name, mask)) return false;
        return true;
    }

    const FileTarget& target_;
    std::vector<std::wstring> masks_;
    const std::vector<Exclusion>& exclusions_;
    PluginRunHost& host_;
    bool inUse_ = false;
};

// Returns true when a file stayed because something held it open.
bool RunFileTarget(const FileTarget& t, const std::vector<Exclusion>& exclusions, const ProtectedFolders& p,
                   PluginRunHost& host)
{
    if (t.folder.empty() || t.masks.empty()) return false;
    if (!IsAbsolutePath(t.folder)) {
        host.AddLogEntry(t.text, RefusedText("the folder is not a full path"));
        return false;
    }
    bool inUse = false;
    for (const ExpandedFolder& folder : ExpandFolderPattern(t.folder)) {
        if (host.AbortFlag()) break;
        const std::string why = ProtectedFolderReason(CanonicalFolder(folder.path), p);
        std::vector<std::string> masks = t.masks;
        if (!why.empty()) {
            if (folder.fromWildcard) {
                host.AddLogEntry(t.text, RefusedText(folder.path + ": a wildcard may not reach this folder, " + why));
                continue;
            }
            if (t.recurse || t.removeSelf) {
                host.AddLogEntry(t.text, RefusedText(folder.path + ": only files named by a fixed mask may go here, "
                                                                   "not the folders below, " + why));
                continue;
            }
            std::vector<std::string> fixed;
            for (const std::string& mask : masks) {
                if (MaskMatchesEverything(mask))
                    host.AddLogEntry(t.text, RefusedText(folder.path + mask + ": a mask for every file, " + why));
                else
                    fixed.push_back(mask);
            }
            masks.swap(fixed);
            if (masks.empty()) continue;
        }
        FolderWalk walk(t, masks, exclusions, host);
        walk.Walk(folder.path, true);
        inUse = inUse || walk.FilesInUse();
    }
    return inUse;
}

// "Google Chrome - Cache" is Google Chrome's.
std::string ApplicationOf(const std::string& entryName)
{
    const std::size_t dash = entryName.find(" - ");
    return dash == std::string::npos ? entryName : entryName.substr(0, dash);
}

} // namespace

void RunEntry(const CleaningEntry& entry, const ProtectedFolders& p, PluginRunHost& host)
{
    const std::atomic<bool>& abort = host.AbortFlag();
    bool inUse = false;
    // A failing target is passed over; the next one still runs.
    for (const RegistryTarget& t : entry.registry) {
        if (abort) return;
        try {
            RunRegistryTarget(t, entry.exclusions, host);
        } catch (const std::exception&) {
        }
    }
    for (const FileTarget& t : entry.files) {
        if (abort) break;
        try {
            inUse = RunFileTarget(t, entry.exclusions, p, host) || inUse;
        } catch (const std::exception&) {
        }
    }
    if (inUse) {
        const std::string application = ApplicationOf(entry.name);
        host.AddLogEntry(application, "Some files are in use: close " + application + " first, then clean again");
    }
}

void RunPlugins(const PluginList& list, const std::string& pluginFolder, const PluginVariables& variables,
                PluginRunHost& host)
{
    const std::atomic<bool>& abort = host.AbortFlag();
    if (abort) return;
    const auto run = [&](const CleaningEntry& entry, const ProtectedFolders& p) {
        try {
            RunEntry(entry, p, host);
        } catch (const std::exception&) {
        }
        host.AddLogEntry("Plugin : " + entry.name, abort ? "**aborted**" : "Completed : " + host.TimestampText());
    };
    // Read once per run: the shell's answers do not change within one.
    std::optional<ProtectedFolders> protectedFolders;
    const auto folders = [&]() -> const ProtectedFolders& {
        if (!protectedFolders) protectedFolders = CurrentProtectedFolders();
        return *protectedFolders;
    };
    for (const PluginLine& line : list.Lines()) {
        if (!line.ticked || line.definition >= 0) continue;
        // Each run reads the file afresh, so an edit takes effect at the next run.
        CleaningEntry entry;
        try {
            entry = ReadPluginEntry(pluginFolder, line.name, variables);
        } catch (const std::exception&) {
            entry.name = TrimBlanks(line.name);
        }
        run(entry, folders());
        if (abort) return;
    }
    for (const PluginLine& line : list.Lines()) {
        if (!line.ticked || line.definition < 0) continue;
        run(list.Definitions()[static_cast<std::size_t>(line.definition)], folders());
        if (abort) return;
    }
}

} // namespace sweepora
