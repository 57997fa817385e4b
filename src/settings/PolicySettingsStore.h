#pragma once
// Settings an administrator pushes as Group Policy: REG_SZ values in the same sections and
// under the same names as the user's own, below HKEY_LOCAL_MACHINE\<root> (machine policy)
// and HKEY_CURRENT_USER\<root> (user policy). Machine policy wins over user policy, and
// either wins over the user's own value.
#include "settings/SettingsStore.h"

#include <map>
#include <string>
#include <vector>

namespace sweepora {

constexpr const char* kPolicyRoot = "Software\\Policies\\Sweepora";
// The tip on every control a policy holds.
constexpr const char* kSetByAdministrator = "Set by your administrator";

// Keys only a policy has.
// EraseSettings: folders (as in CustomDirList) the custom-directories category empties
// besides the user's own; the user's list stays the user's.
constexpr const char* kPolicyCustomDirListKey = "CustomDirList";
// EraseSettings: the fewest overwrite passes; the user may choose more.
constexpr const char* kNoOverWritesMinimumKey = "NoOverWritesMinimum";
// Startup: "1" turns stealth mode and the hide hotkey off, whatever the user chose.
constexpr const char* kDisableStealthKey = "DisableStealth";
// EraseSettings: plugins and definitions that run in every run, their names joined by "|".
constexpr const char* kRequiredDefinitionsKey = "RequiredDefinitions";

// The longest policy value read, in characters; a longer one is refused, not cut.
constexpr unsigned long kMaxPolicyCharacters = 1024 * 1024;

// Every (section, key) a policy may set, the user's settings and the policy-only keys alike.
std::vector<std::pair<std::string, std::string>> PolicyKeys();

class PolicySettingsStore final : public SettingsStore {
public:
    // Reads both policy hives once: a policy changes at the next start of the program.
    explicit PolicySettingsStore(SettingsStore& own, const std::string& policyRoot = kPolicyRoot);

    std::string Get(const std::string& section, const std::string& key,
                    const std::string& defaultValue) const override;
    void Set(const std::string& section, const std::string& key, const std::string& value) override;
    std::vector<std::pair<std::string, std::string>> Section(const std::string& section) const override;
    bool UnderPolicy(const std::string& section, const std::string& key) const override;
    std::string PolicyValue(const std::string& section, const std::string& key) const override;

    // One line per policy value that was not read, naming it and why (over kMaxPolicyCharacters).
    const std::vector<std::string>& Refusals() const { return refusals_; }

private:
    const std::string* Find(const std::string& section, const std::string& key) const;

    SettingsStore& own_;
    std::map<std::string, std::string> policies_; // "SECTION\KEY" upper-cased -> value
    std::vector<std::string> refusals_;
};

} // namespace sweepora
