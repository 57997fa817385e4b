#include "plugins/Detection.h"

#include "erasure/MatchingFiles.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <vector>

namespace sweepora {

namespace {

std::string CacheKey(const std::string& text)
{
    std::string key = text;
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

} // namespace

template <typename Value, typename Compute>
const Value& Detector::Cached(std::unordered_map<std::string, Value>& cache, const std::string& key, Compute compute)
{
    const std::string cacheKey = CacheKey(key);
    {
        const std::lock_guard<std::mutex> hold(lock_);
        const auto cached = cache.find(cacheKey);
        if (cached != cache.end()) return cached->second;
    }
    Value value = compute();
    const std::lock_guard<std::mutex> hold(lock_);
    return cache.emplace(cacheKey, std::move(value)).first->second;
}

const Detector::Listing& Detector::List(const std::string& folder)
{
    return Cached(listings_, folder, [&folder] {
        Listing listing;
        ListInto(folder, listing);
        return listing;
    });
}

void Detector::ListInto(const std::string& folder, Listing& listing)
{
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW(LongPath(folder + "\\*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        const DWORD error = ::GetLastError();
        listing.state = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? Listing::State::Closed
                                                                                         : Listing::State::Missing;
        return;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        listing.names.push_back(name);
        listing.upperNames.push_back(UpperCaseWide(name));
        listing.folders.push_back((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        listing.upper.insert(listing.upperNames.back());
    } while (::FindNextFileW(find.get(), &data));
}

// Depth first, so that the first existing match ends the search. Each part is looked up in
// its folder's listing, and most entries share their first folders (the profile's, Program
// Files): an application that is not there costs no call of its own. Below a folder we may
// not list, the rest of the path goes to the system as written.
bool Detector::Exists(std::string& prefix, const std::vector<std::string_view>& parts,
                      const std::vector<std::wstring>& upperParts, std::size_t next, bool listed)
{
    if (next == parts.size()) {
        if (listed || ::GetFileAttributesW(LongPath(prefix).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        // A file the system will not describe to us is still there.
        const DWORD error = ::GetLastError();
        return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    }
    const std::size_t mark = prefix.size();
    const bool last = next + 1 == parts.size();
    const Listing& listing = List(prefix);
    if (listing.state == Listing::State::Missing) return false;
    if (!HasWildcard(parts[next])) {
        // A short 8.3 name is not in the listing: the system resolves it.
        const bool inListing = listing.upper.count(upperParts[next]) != 0;
        if (listing.state == Listing::State::Listed && !inListing && parts[next].find('~') == std::string_view::npos)
            return false;
        prefix += '\\';
        prefix.append(parts[next]);
        const bool found = Exists(prefix, parts, upperParts, next + 1, inListing);
        prefix.resize(mark);
        return found;
    }
    for (std::size_t i = 0; i < listing.names.size(); ++i) {
        if (!last && !listing.folders[i]) continue;
        // Matched against the long name alone: the system's own search takes 8.3 names too.
        if (!UpperNameMatches(listing.upperNames[i], upperParts[next])) continue;
        if (last) return true;
        prefix += '\\';
        prefix += Utf8FromWide(listing.names[i]);
        const bool found = Exists(prefix, parts, upperParts, next + 1, true);
        prefix.resize(mark);
        if (found) return true;
    }
    return false;
}

bool Detector::PathExistsUncached(const std::string& path)
{
    std::string normal = path;
    for (char& c : normal)
        if (c == '/') c = '\\';
    std::vector<std::string_view> parts = PathParts(normal);
    // The root never holds a wildcard: "C:" or "\\server\share".
    const std::size_t rootParts = normal.compare(0, 2, "\\\\") == 0 ? 2 : 1;
    if (parts.size() < rootParts) return false;
    std::string prefix = rootParts == 2 ? "\\\\" + std::string(parts[0]) + "\\" + std::string(parts[1])
                                        : std::string(parts[0]);
    parts.erase(parts.begin(), parts.begin() + rootParts);
    if (parts.empty()) prefix += '\\';
    std::vector<std::wstring> upperParts;
    for (std::string_view part : parts) upperParts.push_back(UpperCaseWide(WideFromUtf8(std::string(part))));
    return Exists(prefix, parts, upperParts, 0, false);
}

HKEY ParseRegistryKey(std::string_view text, std::string& fullName)
{
    const std::size_t slash = text.find('\\');
    std::string_view root = text.substr(0, slash);
    while (!root.empty() && root.back() == ' ') root.remove_suffix(1);
    while (!root.empty() && root.front() == ' ') root.remove_prefix(1);
    // The roots a definition may name; the performance and 9x roots hold no traces.
    const RegistryRoot* r = FindRegistryRoot(root, true);
    if (r == nullptr || r->handle == HKEY_PERFORMANCE_DATA || r->handle == HKEY_DYN_DATA) return nullptr;
    fullName = r->fullName;
    if (slash != std::string_view::npos) {
        std::string_view path = text.substr(slash + 1);
        while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
        if (!path.empty()) {
            fullName += '\\';
            fullName.append(path);
        }
    }
    return r->handle;
}

bool Detector::KeyExists(const std::string& fullName)
{
    return Cached(keys_, fullName, [&fullName] {
        std::string ignored;
        const HKEY root = ParseRegistryKey(fullName, ignored);
        if (root == nullptr) return false;
        const std::size_t slash = fullName.find('\\');
        const std::wstring path = slash == std::string::npos ? std::wstring() : WideFromUtf8(fullName.substr(slash + 1));
        // Without a view flag a 32-bit process would see only the 32-bit view of HKLM.
        const REGSAM views[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
        const std::size_t viewCount = root == HKEY_LOCAL_MACHINE ? 2 : 1;
        for (std::size_t v = 0; v < viewCount; ++v) {
            UniqueKey key;
            const REGSAM view = root == HKEY_LOCAL_MACHINE ? views[v] : 0;
            const LONG result = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, key.put());
            // A key we may not read is still installed.
            if (result == ERROR_SUCCESS || result == ERROR_ACCESS_DENIED) return true;
        }
        return false;
    });
}

bool Detector::PathExists(const std::string& path)
{
    return Cached(paths_, path, [this, &path] { return PathExistsUncached(path); });
}

} // namespace sweepora
