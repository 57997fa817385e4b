#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace sweepora {

// Per-user text values addressed by (section, key). Reading a missing entry gives the
// caller's default and creates nothing; names compare without regard to case.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string Get(const std::string& section, const std::string& key,
                            const std::string& defaultValue) const = 0;
    virtual void Set(const std::string& section, const std::string& key, const std::string& value) = 0;
    // Every text value of the section, in one read.
    virtual std::vector<std::pair<std::string, std::string>> Section(const std::string& section) const = 0;

    // True when an administrator's policy sets the entry: Get gives the policy's value and
    // Set leaves both the policy and the user's own value alone.
    virtual bool UnderPolicy(const std::string& /*section*/, const std::string& /*key*/) const { return false; }
    // The policy's own value of an entry, also of the keys only a policy has; empty when unset.
    virtual std::string PolicyValue(const std::string& /*section*/, const std::string& /*key*/) const { return {}; }
};

// Keeps the values as REG_SZ under HKEY_CURRENT_USER\<root>\<section>, through the wide
// functions: names and values are UTF-8 in memory, so no folder name is narrowed to the code page.
class RegistrySettingsStore final : public SettingsStore {
public:
    // `root` is relative to the hive, such as "Software\Sweepora"; the policy store reads the
    // same layout from HKEY_LOCAL_MACHINE as well.
    explicit RegistrySettingsStore(std::string root, HKEY hive = HKEY_CURRENT_USER);

    std::string Get(const std::string& section, const std::string& key,
                    const std::string& defaultValue) const override;
    // Write failures are dropped: the in-memory settings stay in force.
    void Set(const std::string& section, const std::string& key, const std::string& value) override;
    std::vector<std::pair<std::string, std::string>> Section(const std::string& section) const override;
    // The names of the sections that exist.
    std::vector<std::string> Sections() const;

private:
    std::string root_;
    HKEY hive_;
};

} // namespace sweepora
