#include "browsers/ChromiumWebStorage.h"

#include "erasure/FileEraser.h"
#include "erasure/FolderSwap.h"
#include "erasure/StoreRewrite.h"
#include "formats/LevelDb.h"
#include "formats/ProtoBuffer.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sweepora {

namespace {

// index.txt of a Cache Storage folder is a few kilobytes; script cache headers a few bytes.
constexpr DWORD kSmallFileLimit = 1u << 20;
// How many keys of an unknown layout the log names.
constexpr std::size_t kNamedUnknown = 3;

enum class Verdict { Keep, Remove, Unknown };

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Storage keys are origins, a partitioned one followed by "^0<top-level site>" and more
// "^" parts: the origin the data belongs to is the first part.
std::string OriginOf(const std::string& storageKey) { return storageKey.substr(0, storageKey.find('^')); }

// The printable form of a key for the log.
std::string Printable(const std::string& key)
{
    std::string out;
    for (const char c : key.substr(0, 60)) out += (c >= 0x20 && c < 0x7f) ? c : '?';
    return key.size() > 60 ? out + "..." : out;
}

// What goes of one database: the entries' fates and the origins they belong to.
struct Plan {
    std::vector<bool> gone;
    std::set<std::string> goneOrigins;
    std::set<std::string> unknownKeys;
    std::set<std::string> unknownOrigins;
    std::set<std::string> goneResources; // service worker scripts, by resource id

    std::size_t GoneCount() const { return static_cast<std::size_t>(std::count(gone.begin(), gone.end(), true)); }

    std::string Unknown() const
    {
        std::string text;
        if (!unknownKeys.empty()) {
            text = "left alone: " + std::to_string(unknownKeys.size()) + " key(s) of a layout this does not know (";
            std::size_t named = 0;
            for (const std::string& key : unknownKeys) {
                if (named == kNamedUnknown) {
                    text += ", ...";
                    break;
                }
                text += (named++ ? ", \"" : "\"") + Printable(key) + "\"";
            }
            text += ")";
        }
        if (!unknownOrigins.empty()) {
            text += text.empty() ? "left alone: " : "; ";
            text += "the storage of origins that are not sites (";
            std::size_t named = 0;
            for (const std::string& origin : unknownOrigins) {
                if (named == kNamedUnknown) {
                    text += ", ...";
                    break;
                }
                text += (named++ ? ", " : "") + Printable(origin);
            }
            text += ")";
        }
        return text;
    }
};

class Judge {
public:
    explicit Judge(const KeptSite& kept) : kept_(kept) {}

    // Whether the data of `storageKey` stays; one that is not a web site stays, and is
    // named in the log unless it belongs to an extension.
    Verdict Of(const std::string& storageKey, Plan& plan) const
    {
        const std::string origin = OriginOf(storageKey);
        const std::string scheme = Lower(origin.substr(0, origin.find("://")));
        if (scheme == "chrome-extension") return Verdict::Keep;
        const std::string host = SiteHost(origin);
        if ((scheme != "http" && scheme != "https") || host.empty() || origin.find("://") == std::string::npos) {
            plan.unknownOrigins.insert(origin);
            return Verdict::Unknown;
        }
        return kept_ && kept_(host) ? Verdict::Keep : Verdict::Remove;
    }

    // Marks entry `i` as gone when its origin's data goes.
    void Apply(std::size_t i, const std::string& storageKey, Plan& plan) const
    {
        if (Of(storageKey, plan) == Verdict::Remove) {
            plan.gone[i] = true;
            plan.goneOrigins.insert(storageKey);
        }
    }

private:
    const KeptSite& kept_;
};

// Local Storage: "VERSION"; "META:<key>" and "METAACCESS:<key>" per storage key; and each
// value as "_<key>\0<name>".
Plan PlanLocalStorage(const std::vector<LevelDbEntry>& entries, const Judge& judge)
{
    Plan plan;
    plan.gone.assign(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& key = entries[i].key;
        if (key == "VERSION") continue;
        if (StartsWith(key, "META:")) {
            judge.Apply(i, key.substr(5), plan);
        } else if (StartsWith(key, "METAACCESS:")) {
            judge.Apply(i, key.substr(11), plan);
        } else if (StartsWith(key, "_") && key.find('\0') != std::string::npos) {
            judge.Apply(i, key.substr(1, key.find('\0') - 1), plan);
        } else {
            plan.unknownKeys.insert(key);
        }
    }
    return plan;
}

bool IsNumber(const std::string& text)
{
    return !text.empty() && text.size() < 20 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Session Storage: "version" and "next-map-id"; "namespace-<36-character id>-<key>" whose
// value is a map number; "map-<number>-<name>" holding the values. Tabs cloned from one
// another share maps, so a map goes only when every namespace entry naming it goes.
Plan PlanSessionStorage(const std::vector<LevelDbEntry>& entries, const Judge& judge)
{
    constexpr std::size_t kIdSize = 36;
    const std::string prefix = "namespace-";
    Plan plan;
    plan.gone.assign(entries.size(), false);
    std::map<std::string, bool> mapKept; // map number -> a kept namespace names it
    std::map<std::string, std::vector<std::size_t>> mapEntries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& key = entries[i].key;
        if (key == "version" || key == "next-map-id") continue;
        if (StartsWith(key, "namespace-") && key.size() >= prefix.size() + kIdSize + 1 &&
            key[prefix.size() + kIdSize] == '-') {
            const std::string storageKey = key.substr(prefix.size() + kIdSize + 1);
            if (storageKey.empty()) continue; // the namespace itself, in older versions
            const std::string& map = entries[i].value;
            if (!IsNumber(map)) {
                plan.unknownKeys.insert(key);
                continue;
            }
            const Verdict verdict = judge.Of(storageKey, plan);
            if (verdict == Verdict::Remove) {
                plan.gone[i] = true;
                plan.goneOrigins.insert(storageKey);
                mapKept.emplace(map, false);
            } else {
                mapKept[map] = true;
            }
        } else if (StartsWith(key, "map-") && key.find('-', 4) != std::string::npos &&
                   IsNumber(key.substr(4, key.find('-', 4) - 4))) {
            mapEntries[key.substr(4, key.find('-', 4) - 4)].push_back(i);
        } else {
            plan.unknownKeys.insert(key);
        }
    }
    for (const auto& [map, kept] : mapKept)
        if (!kept)
            for (const std::size_t i : mapEntries[map]) plan.gone[i] = true;
    return plan;
}

// The part of `key` after `prefix` up to the first zero byte, and the part after it.
bool SplitAtZero(const std::string& key, std::size_t prefix, std::string& first, std::string& second)
{
    const std::size_t zero = key.find('\0', prefix);
    if (zero == std::string::npos) return false;
    first = key.substr(prefix, zero - prefix);
    second = key.substr(zero + 1);
    return true;
}

// A registration's live version, field 4 of the protocol buffer its "REG:" entry holds;
// empty when the value does not read as one.
std::string VersionOfRegistration(const std::string& value)
{
    std::string version;
    const bool whole = ForEachProtoField(value, [&](const ProtoField& field) {
        if (field.wireType == 0 && field.number == 4) version = std::to_string(field.varint);
    });
    return whole ? version : std::string();
}

// Service Worker: "INITDATA_*" counters; "INITDATA_UNIQUE_ORIGIN:<key>";
// "REG:<key>\0<registration>" whose value names the live version; by registration
// "REGID_TO_ORIGIN:<id>", "REG_USER_DATA:<id>\0<name>", "REG_HAS_USER_DATA:<name>\0<id>";
// by version "RES:<version>\0<resource>"; and by resource "URES:<resource>",
// "PRES:<resource>". Version and registration numbers part ways once a worker updates, so a
// script record follows the registration whose live version it belongs to, never the
// registration that merely shares its number.
Plan PlanServiceWorker(const std::vector<LevelDbEntry>& entries, const Judge& judge)
{
    static const std::set<std::string> shared = {"INITDATA_DB_VERSION", "INITDATA_NEXT_REGISTRATION_ID",
                                                 "INITDATA_NEXT_RESOURCE_ID", "INITDATA_NEXT_VERSION_ID"};
    Plan plan;
    plan.gone.assign(entries.size(), false);
    std::map<std::string, std::string> registrationKey; // registration -> storage key
    std::map<std::string, std::string> versionKey;      // live version -> storage key
    std::map<std::string, std::string> resourceVersion; // resource -> version
    std::string a, b;
    // Registrations first: the entries naming them by number may sort before them.
    for (const LevelDbEntry& entry : entries) {
        if (StartsWith(entry.key, "REG:") && SplitAtZero(entry.key, 4, a, b)) {
            registrationKey[b] = a;
            if (const std::string version = VersionOfRegistration(entry.value); !version.empty())
                versionKey[version] = a;
        } else if (StartsWith(entry.key, "RES:") && SplitAtZero(entry.key, 4, a, b)) {
            resourceVersion[b] = a;
        }
    }
    for (const LevelDbEntry& entry : entries)
        if (StartsWith(entry.key, "REGID_TO_ORIGIN:")) registrationKey.emplace(entry.key.substr(16), entry.value);

    const auto byNumber = [&](const std::map<std::string, std::string>& owners, std::size_t i, const std::string& id) {
        const auto found = owners.find(id);
        if (found == owners.end()) return false;
        judge.Apply(i, found->second, plan);
        return true;
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& key = entries[i].key;
        bool known = true;
        if (shared.count(key)) {
            continue;
        } else if (StartsWith(key, "INITDATA_UNIQUE_ORIGIN:")) {
            judge.Apply(i, key.substr(23), plan);
        } else if (StartsWith(key, "INITDATA_FOREIGN_FETCH_ORIGIN:")) {
            judge.Apply(i, key.substr(30), plan);
        } else if (StartsWith(key, "REG:") && SplitAtZero(key, 4, a, b)) {
            judge.Apply(i, a, plan);
        } else if (StartsWith(key, "REGID_TO_ORIGIN:")) {
            known = byNumber(registrationKey, i, key.substr(16));
        } else if (StartsWith(key, "RES:") && SplitAtZero(key, 4, a, b)) {
            known = byNumber(versionKey, i, a);
            if (plan.gone[i]) plan.goneResources.insert(b);
        } else if (StartsWith(key, "REG_USER_DATA:") && SplitAtZero(key, 14, a, b)) {
            known = byNumber(registrationKey, i, a);
        } else if (StartsWith(key, "REG_HAS_USER_DATA:") && SplitAtZero(key, 18, a, b)) {
            known = byNumber(registrationKey, i, b);
        } else if (StartsWith(key, "URES:") || StartsWith(key, "PRES:")) {
            // Resources not yet or no longer in a live version carry no site: they stay.
            const auto version = resourceVersion.find(key.substr(5));
            if (version != resourceVersion.end()) byNumber(versionKey, i, version->second);
        } else {
            known = false;
        }
        if (!known) plan.unknownKeys.insert(key);
    }
    return plan;
}

using Planner = Plan (*)(const std::vector<LevelDbEntry>&, const Judge&);

std::wstring InProfile(const BrowserProfile& profile, const wchar_t* name)
{
    std::wstring path = profile.folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + name;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One database: read, planned, and in a live run rewritten in place without the entries
// that go. False when the store is not there. `plan` is what went (would go) when no
// problem is set.
bool CleanDatabase(EraseContext& context, const BrowserProfile& profile, const std::wstring& folder,
                   const char* name, const Judge& judge, Planner planner, StoreOutcome& outcome, Plan& plan)
{
    outcome.store = name;
    const bool live = context.run.live;
    std::wstring source = folder;
    if (!IsFolder(folder)) {
        // Earlier versions swapped whole folders: a live run first puts back what an
        // interrupted one left aside; a test run reads it there.
        if (!IsFolder(AsideFolderOf(folder))) return false;
        if (!live) source = AsideFolderOf(folder);
    }
    if (live) {
        if (std::string problem = RestoreFolderSwap(context, folder); !problem.empty()) {
            outcome.problem = problem;
            return true;
        }
    }
    LevelDbStore store;
    if (LevelDbOutcome read = store.Open(source, live); !read) {
        outcome.problem = read.reason;
        return true;
    }
    const std::vector<LevelDbEntry>& entries = store.Entries();
    plan = planner(entries, judge);
    outcome.unknown = plan.Unknown();
    outcome.rows = static_cast<std::int64_t>(plan.goneOrigins.size());
    if (plan.GoneCount() == 0) {
        EraseLevelDbStrays(context, store);
        return true;
    }

    std::vector<LevelDbEntry> keep;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!plan.gone[i]) keep.push_back(entries[i]);
    if (std::string problem = RewriteLevelDbStore(context, store, keep, [&] { return ProfileInUse(profile); });
        !problem.empty()) {
        outcome.problem = problem;
        outcome.rows = 0;
    }
    return true;
}

// Reads at most `limit` bytes of a small file; false when it cannot or it is larger.
bool ReadSmallFile(const std::wstring& path, DWORD limit, std::string& bytes)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(limit)) return false;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
        return false;
    return true;
}

// The storage key (or, in older versions, the origin) an index.txt of Cache Storage names:
// top-level fields 3 and 2 of its protocol buffer.
std::string CacheStorageOrigin(const std::string& index)
{
    std::string origin, storageKey;
    const bool whole = ForEachProtoField(index, [&](const ProtoField& field) {
        if (field.wireType == 2 && field.number == 2) origin = field.bytes;
        if (field.wireType == 2 && field.number == 3) storageKey = field.bytes;
    });
    if (!whole) return {};
    return storageKey.empty() ? origin : storageKey;
}

// Each origin's Cache Storage is a folder named by a hash, its index.txt naming the origin.
bool CleanCacheStorage(EraseContext& context, const std::wstring& folder, const Judge& judge, StoreOutcome& outcome)
{
    outcome.store = "Cache Storage";
    if (!IsFolder(folder)) return false;
    const FolderListing listing = ListFolder(folder);
    if (listing.error != ERROR_SUCCESS || listing.isLink) {
        outcome.problem = "its folder cannot be listed";
        return true;
    }
    Plan plan;
    for (const ListedEntry& entry : listing.entries) {
        if (context.run.abort) break;
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::wstring cache = folder + L"\\" + entry.name;
        std::string index;
        const std::string origin =
            ReadSmallFile(cache + L"\\index.txt", kSmallFileLimit, index) ? CacheStorageOrigin(index) : std::string();
        if (origin.empty()) {
            plan.unknownKeys.insert(DisplayPath(cache));
            continue;
        }
        if (judge.Of(origin, plan) != Verdict::Remove) continue;
        plan.goneOrigins.insert(origin);
        EraseWholeFolder(context, cache);
    }
    outcome.rows = static_cast<std::int64_t>(plan.goneOrigins.size());
    outcome.unknown = plan.Unknown();
    return true;
}

// The script cache keeps each script as a disk-cache entry "<hash>_0" (with "_1" and "_s"
// beside it) whose header holds the resource's number as its key.
void CleanScriptCache(EraseContext& context, const std::wstring& folder, const std::set<std::string>& resources)
{
    if (resources.empty() || !IsFolder(folder)) return;
    const FolderListing listing = ListFolder(folder);
    if (listing.error != ERROR_SUCCESS || listing.isLink) return;
    constexpr std::uint64_t kMagic = 0xfcfb6d1ba7725c30ull;
    constexpr std::size_t kHeader = 24;
    for (const ListedEntry& entry : listing.entries) {
        if (context.run.abort) return;
        const std::wstring& name = entry.name;
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() != 18 || name.compare(16, 2, L"_0") != 0)
            continue;
        std::string bytes;
        if (!ReadSmallFile(folder + L"\\" + name, 64u << 20, bytes) || bytes.size() < kHeader) continue;
        std::uint64_t magic = 0;
        std::uint32_t keySize = 0;
        for (int i = 0; i < 8; ++i)
            magic |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        for (int i = 0; i < 4; ++i)
            keySize |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[12 + i])) << (8 * i);
        if (magic != kMagic || keySize > bytes.size() - kHeader) continue;
        if (!resources.count(bytes.substr(kHeader, keySize))) continue;
        for (const wchar_t* suffix : {L"_0", L"_1", L"_s"}) {
            const std::wstring path = folder + L"\\" + name.substr(0, 16) + suffix;
            if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
                EraseNamedFile(context, DisplayPath(path));
        }
    }
}

void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

} // namespace

std::vector<StoreOutcome> CleanChromiumWebStorage(EraseContext& context, const BrowserProfile& profile,
                                                  const KeptSite& kept)
{
    std::vector<StoreOutcome> outcomes;
    const Judge judge(kept);
    const struct {
        const wchar_t* folder;
        const char* name;
        Planner planner;
    } databases[] = {
        {L"Local Storage\\leveldb", "Local Storage", PlanLocalStorage},
        {L"Session Storage", "Session Storage", PlanSessionStorage},
        {L"Service Worker\\Database", "Service Worker", PlanServiceWorker},
    };
    for (const auto& database : databases) {
        if (context.run.abort) return outcomes;
        StoreOutcome outcome;
        Plan plan;
        if (!CleanDatabase(context, profile, InProfile(profile, database.folder), database.name, judge,
                           database.planner, outcome, plan))
            continue;
        // Scripts go with their registrations, and only once those are gone (would be).
        if (database.planner == PlanServiceWorker && outcome.problem.empty())
            CleanScriptCache(context, InProfile(profile, L"Service Worker\\ScriptCache"), plan.goneResources);
        outcomes.push_back(outcome);
        PassTurn(context);
    }
    if (context.run.abort) return outcomes;
    StoreOutcome caches;
    if (CleanCacheStorage(context, InProfile(profile, L"Service Worker\\CacheStorage"), judge, caches))
        outcomes.push_back(caches);
    return outcomes;
}

} // namespace sweepora
