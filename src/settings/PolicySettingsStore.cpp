#include "settings/PolicySettingsStore.h"

#include "platform/Text.h"
#include "settings/AppSettings.h"

#include <windows.h>

namespace sweepora {

namespace {

std::string MapKey(const std::string& section, const std::string& key)
{
    return UpperCaseUtf8(section) + "\\" + UpperCaseUtf8(key);
}

} // namespace

std::vector<std::pair<std::string, std::string>> PolicyKeys()
{
    std::vector<std::pair<std::string, std::string>> keys;
    for (const SettingKey& k : SettingKeys()) keys.emplace_back(k.section, k.name);
    keys.emplace_back(kSectionErase, kNoOverWritesKey);
    keys.emplace_back(kSectionErase, kPolicyCustomDirListKey);
    keys.emplace_back(kSectionErase, kNoOverWritesMinimumKey);
    keys.emplace_back(kSectionStartup, kDisableStealthKey);
    keys.emplace_back(kSectionErase, kRequiredDefinitionsKey);
    return keys;
}

PolicySettingsStore::PolicySettingsStore(SettingsStore& own, const std::string& policyRoot) : own_(own)
{
    // Machine policy first: a value already read is kept.
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const RegistrySettingsStore policies(policyRoot, hive);
        for (const std::string& section : policies.Sections())
            for (const auto& [key, value] : policies.Section(section))
                policies_.emplace(MapKey(section, key), TrimBlanks(value));
    }
    // No stealth: the two settings that hide the program are held off.
    if (const std::string* off = Find(kSectionStartup, kDisableStealthKey); off && *off == "1") {
        policies_[MapKey(kSectionStartup, "Stealth")] = "0";
        policies_[MapKey(kSectionHotKeys, "Hide")] = "0";
    }
}

const std::string* PolicySettingsStore::Find(const std::string& section, const std::string& key) const
{
    const auto found = policies_.find(MapKey(section, key));
    return found == policies_.end() ? nullptr : &found->second;
}

bool PolicySettingsStore::UnderPolicy(const std::string& section, const std::string& key) const
{
    // The administrator's folders join the user's list instead of replacing it.
    if (EqualsIgnoringCase(section, kSectionErase) && EqualsIgnoringCase(key, kPolicyCustomDirListKey)) return false;
    return Find(section, key) != nullptr;
}

std::string PolicySettingsStore::PolicyValue(const std::string& section, const std::string& key) const
{
    const std::string* value = Find(section, key);
    return value ? *value : std::string();
}

std::string PolicySettingsStore::Get(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const
{
    return UnderPolicy(section, key) ? *Find(section, key) : own_.Get(section, key, defaultValue);
}

void PolicySettingsStore::Set(const std::string& section, const std::string& key, const std::string& value)
{
    if (!UnderPolicy(section, key)) own_.Set(section, key, value);
}

std::vector<std::pair<std::string, std::string>> PolicySettingsStore::Section(const std::string& section) const
{
    std::vector<std::pair<std::string, std::string>> values;
    const std::string prefix = UpperCaseUtf8(section) + "\\";
    for (const auto& [key, value] : policies_)
        if (key.rfind(prefix, 0) == 0) values.emplace_back(key.substr(prefix.size()), value);
    for (auto& own : own_.Section(section))
        if (!UnderPolicy(section, own.first)) values.push_back(std::move(own));
    return values;
}

} // namespace sweepora
