#pragma once
// Whether an application is installed, as a definition's Detect and DetectFile keys ask.
#include <windows.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace sweepora {

// "HKCU\Software\X" or "HKEY_CURRENT_USER\Software\X" (root names in any case) -> the root's
// handle, with `fullName` set to "HKEY_CURRENT_USER\Software\X". Null for an unknown root.
HKEY ParseRegistryKey(std::string_view text, std::string& fullName);

// Answers for one load: a key or path asked again (many entries share one) is looked up once.
// Several threads may ask at once: under Wine each lookup mostly waits on the server, so
// lookups side by side take far less time than one after the other.
class Detector {
public:
    // The key exists; HKEY_LOCAL_MACHINE is looked up in the 64-bit and the 32-bit view.
    bool KeyExists(const std::string& fullName);
    // A file or folder exists at the path (UTF-8, full). "*" and "?" may stand in any part;
    // each folder on the way is listed once per load (never a walk below it), and the
    // search stops at the first hit.
    bool PathExists(const std::string& path);

private:
    // A folder's names as listed once per load, upper-cased for the lookups.
    struct Listing {
        enum class State { Listed, Missing, Closed }; // Closed: there, but we may not list it
        State state = State::Listed;
        std::vector<std::wstring> names, upperNames;
        std::vector<bool> folders;
        std::unordered_set<std::wstring> upper;
    };
    // The cached answer for `key`, or what `compute` finds, computed without the lock held;
    // when two threads ask at once, the first answer stays.
    template <typename Value, typename Compute>
    const Value& Cached(std::unordered_map<std::string, Value>& cache, const std::string& key, Compute compute);
    const Listing& List(const std::string& folder);
    static void ListInto(const std::string& folder, Listing& listing);
    bool Exists(std::string& prefix, const std::vector<std::string_view>& parts,
                const std::vector<std::wstring>& upperParts, std::size_t next, bool listed);
    bool PathExistsUncached(const std::string& path);

    std::mutex lock_; // guards the three caches, never held during a lookup
    std::unordered_map<std::string, bool> keys_;
    std::unordered_map<std::string, bool> paths_;
    // Node-based: a listing stays where it is while others are added.
    std::unordered_map<std::string, Listing> listings_;
};

} // namespace sweepora
