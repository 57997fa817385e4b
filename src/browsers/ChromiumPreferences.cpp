#include "browsers/ChromiumPreferences.h"

#include "erasure/FileReplace.h"
#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/UniqueHandle.h"

#include <nlohmann/json.hpp>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

namespace sweepora {

namespace {

using Json = nlohmann::ordered_json;

// Real Preferences files are well under a few megabytes; the bound keeps garbage out of memory.
constexpr std::uint64_t kPreferencesLimit = 32u << 20;
constexpr std::size_t kNone = std::string::npos;

// Reads the whole file; empty when it was read, otherwise why not. `missing` says it is not there.
std::string ReadBounded(const std::wstring& path, std::string& text, bool& missing)
{
    missing = false;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return ErrorText(error);
    }
    const DWORD error = ReadOpenFile(file.get(), kPreferencesLimit, text);
    if (error == ERROR_FILE_TOO_LARGE) return "it is larger than 32 MB";
    return error == ERROR_SUCCESS ? std::string() : ErrorText(error);
}

std::vector<std::string> Parts(const std::string& path)
{
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const std::size_t dot = path.find('.', at);
        parts.push_back(path.substr(at, dot == kNone ? kNone : dot - at));
        if (dot == kNone) return parts;
        at = dot + 1;
    }
}

// True when `macs` holds a MAC for the pref at `parts` or for a pref that contains it.
bool Guarded(const Json& macs, const std::vector<std::string>& parts)
{
    const Json* node = &macs;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!node->is_object()) return false;
        if (i + 1 == parts.size()) return node->contains(parts[i]) || node->contains(parts[i] + "_encrypted_hash");
        const auto found = node->find(parts[i]);
        if (found == node->end()) return false;
        if (found->is_string()) return true;
        node = &*found;
    }
    return false;
}

bool GuardedIn(const Json& document, const std::vector<std::string>& parts)
{
    if (!document.is_object()) return false;
    const auto protection = document.find("protection");
    if (protection == document.end() || !protection->is_object()) return false;
    const auto macs = protection->find("macs");
    if (macs == protection->end()) return false;
    if (Guarded(*macs, parts)) return true;
    const auto account = macs->is_object() ? macs->find("account_values") : macs->end();
    return account != macs->end() && Guarded(*account, parts);
}

// The text of a document nlohmann has already accepted, walked by byte position so that
// entries can be cut out without rewriting anything around them.
class JsonText {
public:
    explicit JsonText(std::string& text) : t_(text) {}

    struct Member {
        std::string key;
        std::size_t begin = 0; // the key's opening quote
        std::size_t value = 0;
        std::size_t end = 0;  // just past the value
        std::size_t lead = 0; // where the blanks before the key start
    };

    std::size_t Root() const { return Space(Bom()); }

    // The position of the value at `parts` below the object at `at`; kNone when missing.
    std::size_t Find(std::size_t at, const std::vector<std::string>& parts) const
    {
        for (const std::string& part : parts) {
            std::vector<Member> members;
            std::size_t close = 0;
            if (!Members(at, members, close)) return kNone;
            const auto found = std::find_if(members.rbegin(), members.rend(),
                                            [&](const Member& m) { return m.key == part; });
            if (found == members.rend()) return kNone;
            at = found->value;
        }
        return at;
    }

    bool IsObject(std::size_t at) const { return at < t_.size() && t_[at] == '{'; }

    // Cuts the members `drop` chooses out of the object at `at`; returns how many went.
    std::size_t Drop(std::size_t at, const std::function<bool(const Member&)>& drop)
    {
        std::vector<Member> members;
        std::size_t close = 0;
        if (!Members(at, members, close)) return 0;
        std::string rebuilt = "{";
        std::size_t dropped = 0;
        bool first = true;
        for (const Member& m : members) {
            if (drop(m)) {
                ++dropped;
                continue;
            }
            if (!first) rebuilt += ',';
            rebuilt.append(t_, m.lead, m.end - m.lead);
            first = false;
        }
        if (dropped == 0) return 0;
        if (!members.empty()) rebuilt.append(t_, members.back().end, close - members.back().end);
        rebuilt += '}';
        t_.replace(at, close + 1 - at, rebuilt);
        return dropped;
    }

    // The text of a value, for the few that are read.
    std::string ValueText(const Member& m) const { return t_.substr(m.value, m.end - m.value); }

private:
    std::size_t Bom() const { return t_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; }

    std::size_t Space(std::size_t at) const
    {
        while (at < t_.size() && (t_[at] == ' ' || t_[at] == '\t' || t_[at] == '\r' || t_[at] == '\n')) ++at;
        return at;
    }

    std::size_t SkipString(std::size_t at) const
    {
        for (++at; at < t_.size(); ++at) {
            if (t_[at] == '\\')
                ++at;
            else if (t_[at] == '"')
                return at + 1;
        }
        return kNone;
    }

    std::size_t SkipValue(std::size_t at) const
    {
        if (at >= t_.size()) return kNone;
        if (t_[at] == '"') return SkipString(at);
        if (t_[at] != '{' && t_[at] != '[') {
            while (at < t_.size() && !std::strchr(",}] \t\r\n", t_[at])) ++at;
            return at;
        }
        // Iterative, so that no nesting depth can exhaust the stack.
        std::size_t depth = 0;
        while (at < t_.size()) {
            const char c = t_[at];
            if (c == '"') {
                at = SkipString(at);
                if (at == kNone) return kNone;
                continue;
            }
            if (c == '{' || c == '[') ++depth;
            if ((c == '}' || c == ']') && --depth == 0) return at + 1;
            ++at;
        }
        return kNone;
    }

    bool Members(std::size_t at, std::vector<Member>& members, std::size_t& close) const
    {
        if (!IsObject(at)) return false;
        std::size_t lead = at + 1;
        std::size_t i = Space(lead);
        if (i < t_.size() && t_[i] == '}') {
            close = i;
            return true;
        }
        while (i < t_.size() && t_[i] == '"') {
            Member m;
            m.lead = lead;
            m.begin = i;
            const std::size_t keyEnd = SkipString(i);
            if (keyEnd == kNone) return false;
            const std::string raw = t_.substr(i, keyEnd - i);
            if (raw.find('\\') == kNone) {
                m.key = raw.substr(1, raw.size() - 2);
            } else {
                const Json key = Json::parse(raw, nullptr, false);
                if (!key.is_string()) return false;
                m.key = key.get<std::string>();
            }
            i = Space(keyEnd);
            if (i >= t_.size() || t_[i] != ':') return false;
            m.value = Space(i + 1);
            m.end = SkipValue(m.value);
            if (m.end == kNone) return false;
            members.push_back(m);
            i = Space(m.end);
            if (i < t_.size() && t_[i] == '}') {
                close = i;
                return true;
            }
            if (i >= t_.size() || t_[i] != ',') return false;
            lead = i + 1;
            i = Space(lead);
        }
        return false;
    }

    std::string& t_;
};

// "https://site:443" of a content-settings key ("https://[*.]site:443,*"), as an address.
std::string PatternAddress(const std::string& key)
{
    std::string primary = key.substr(0, key.find(','));
    for (std::size_t wild; (wild = primary.find("[*.]")) != kNone;) primary.erase(wild, 4);
    if (primary.find("://") == kNone) primary = "http://" + primary;
    return primary + "/";
}

struct VisitList {
    const char* path;
    bool sitePatterns;   // keyed by content-settings patterns or hosts, else by page address
    bool perPartition = false; // an object of such lists, one per storage partition
};

const std::vector<VisitList>& VisitLists()
{
    // Names as Chromium 156 writes them.
    static const std::vector<VisitList> lists = {
        {"profile.content_settings.exceptions.site_engagement", true},
        {"profile.content_settings.exceptions.media_engagement", true},
        {"zerosuggest.cachedresults", false},
        {"zerosuggest.cachedresults_with_url", false},
        {"zerosuggest.cachedresults_composebox", false},
        // The zoom the user set on each site visited: a setting, but one that names the site.
        {"partition.per_host_zoom_levels", true, true},
    };
    return lists;
}

// Removes the entries of the list at `parts` from `document` and `text` alike; returns how
// many went.
std::size_t CutList(const std::vector<std::string>& parts, const VisitList& list, const KeptAddress& kept,
                    Json& document, std::string& text)
{
    Json* parent = &document;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        if (!parent->is_object()) return 0;
        const auto found = parent->find(parts[i]);
        if (found == parent->end()) return 0;
        parent = &*found;
    }
    if (!parent->is_object()) return 0;
    const auto value = parent->find(parts.back());
    if (value == parent->end()) return 0;

    JsonText scan(text);
    const std::size_t at = scan.Find(scan.Root(), parts);
    if (at == kNone) return 0;
    if (value->is_object() && scan.IsObject(at)) {
        const auto keeps = [&](const std::string& key) {
            return kept && kept(list.sitePatterns ? PatternAddress(key) : key);
        };
        for (auto it = value->begin(); it != value->end();) it = keeps(it.key()) ? std::next(it) : value->erase(it);
        return scan.Drop(at, [&](const JsonText::Member& m) { return !keeps(m.key); });
    }
    // A whole cached answer: it stays only when empty, as it then records nothing.
    if (value->is_null() || (value->is_string() && value->get<std::string>().empty())) return 0;
    parent->erase(parts.back());
    const std::size_t owner = scan.Find(scan.Root(), std::vector<std::string>(parts.begin(), parts.end() - 1));
    return scan.Drop(owner, [&](const JsonText::Member& m) { return m.key == parts.back(); }) ? 1 : 0;
}

} // namespace

const std::vector<std::string>& PreferencesVisitLists()
{
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> all;
        for (const VisitList& list : VisitLists()) all.push_back(list.path);
        return all;
    }();
    return paths;
}

StoreOutcome CleanChromiumPreferences(EraseContext& context, const BrowserProfile& profile, const KeptAddress& kept)
{
    StoreOutcome outcome;
    outcome.store = "Preferences";
    const std::wstring path = InProfile(profile.folder, L"Preferences");
    if (context.run.live) {
        if (std::string problem = RecoverReplace(context, path); !problem.empty()) {
            outcome.problem = problem;
            return outcome;
        }
    }
    std::string original;
    bool missing = false;
    if (std::string why = ReadBounded(path, original, missing); !why.empty()) {
        if (!missing) outcome.problem = "Preferences cannot be read (" + why + ")";
        return outcome;
    }
    Json document = Json::parse(original, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        outcome.problem = "Preferences is not valid JSON";
        return outcome;
    }
    // On Windows the MACs live in Secure Preferences; elsewhere in Preferences itself.
    Json guards;
    {
        std::string text;
        bool none = false;
        if (std::string why = ReadBounded(InProfile(profile.folder, L"Secure Preferences"), text, none); !why.empty()) {
            if (!none) {
                outcome.problem = "Secure Preferences cannot be read (" + why +
                                  "), so the keys it guards cannot be told apart";
                return outcome;
            }
        } else {
            guards = Json::parse(text, nullptr, false);
            if (guards.is_discarded() || !guards.is_object()) {
                outcome.problem = "Secure Preferences is not valid JSON, so the keys it guards cannot be told apart";
                return outcome;
            }
        }
    }

    std::string text = original;
    Json expected = document;
    for (const VisitList& list : VisitLists()) {
        const std::vector<std::string> parts = Parts(list.path);
        if (GuardedIn(document, parts) || GuardedIn(guards, parts)) {
            outcome.unknown += (outcome.unknown.empty() ? "left alone (guarded by a MAC): " : ", ") +
                               std::string(list.path);
            continue;
        }
        if (!list.perPartition) {
            outcome.rows += static_cast<std::int64_t>(CutList(parts, list, kept, expected, text));
            continue;
        }
        // Partition keys may hold dots: each list's path is taken apart here, not from text.
        const Json* partitions = &expected;
        for (const std::string& part : parts)
            partitions = partitions && partitions->is_object() && partitions->contains(part) ? &(*partitions)[part]
                                                                                             : nullptr;
        if (!partitions || !partitions->is_object()) continue;
        std::vector<std::string> keys;
        for (const auto& item : partitions->items())
            if (item.value().is_object()) keys.push_back(item.key());
        for (const std::string& key : keys) {
            std::vector<std::string> inner = parts;
            inner.push_back(key);
            outcome.rows += static_cast<std::int64_t>(CutList(inner, list, kept, expected, text));
        }
    }
    if (outcome.rows == 0) return outcome;
    // The cut text must be the document less exactly those entries, or nothing is written.
    const Json result = Json::parse(text, nullptr, false);
    if (result.is_discarded() || result != expected) {
        outcome.problem = "Preferences has a layout that cannot be edited safely";
        outcome.rows = 0;
        return outcome;
    }
    if (!context.run.live) return outcome;
    const ReplaceOutcome replaced = ReplaceFileBytes(context, path, original, text);
    if (!replaced.replaced) {
        outcome.problem = "Preferences stayed as it was: " + replaced.problem;
        outcome.rows = 0;
    } else if (!replaced.problem.empty()) {
        outcome.problem = "Preferences was cleaned, but " + replaced.problem;
        outcome.edited = true;
    }
    return outcome;
}

} // namespace sweepora
