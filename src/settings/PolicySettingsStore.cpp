#include "settings/PolicySettingsStore.h"

#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"
#include "settings/AppSettings.h"

#include <windows.h>

namespace sweepora {

namespace {

std::string MapKey(const std::string& section, const std::string& key)
{
    return UpperCaseUtf8(section) + "\\" + UpperCaseUtf8(key);
}

// Every REG_SZ value of one policy section, each read at its own length (a folder list can be
// long); one over the bound is left out with a line in `refusals` naming it.
std::vector<std::pair<std::string, std::string>> ReadPolicySection(HKEY hive, const std::string& root,
                                                                   const std::string& section,
                                                                   std::vector<std::string>& refusals)
{
    std::vector<std::pair<std::string, std::string>> values;
    const std::string where = std::string(hive == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
                              root + "\\" + section;
    UniqueKey k;
    if (::RegOpenKeyExW(hive, WideFromUtf8(root + "\\" + section).c_str(), 0, KEY_QUERY_VALUE, k.put()) !=
        ERROR_SUCCESS)
        return values;
    std::wstring name(16384, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = 0;
        const LONG listed = ::RegEnumValueW(k.get(), index, &name[0], &nameLength, nullptr, &type, nullptr, &size);
        if (listed == ERROR_MORE_DATA) continue; // a name past the registry's own limit
        if (listed != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        const std::wstring valueName = name.substr(0, nameLength);
        if (size / sizeof(wchar_t) > kMaxPolicyCharacters + 1) {
            refusals.push_back("the policy " + where + "\\" + Utf8FromWide(valueName) + " is longer than " +
                               std::to_string(kMaxPolicyCharacters) + " characters and was not applied");
            continue;
        }
        // Bytes, rounded up to whole characters; asked again if the value grew in between.
        std::wstring data;
        LONG read = ERROR_MORE_DATA;
        while (read == ERROR_MORE_DATA && size / sizeof(wchar_t) <= kMaxPolicyCharacters + 1) {
            data.assign((size + 1) / sizeof(wchar_t) + 1, L'\0');
            size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            read = ::RegQueryValueExW(k.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                                      &size);
        }
        if (read != ERROR_SUCCESS || type != REG_SZ) continue;
        data.resize(size / sizeof(wchar_t));
        values.emplace_back(Utf8FromWide(valueName), Utf8FromWide(data.substr(0, data.find(L'\0'))));
    }
    return values;
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
            for (const auto& [key, value] : ReadPolicySection(hive, policyRoot, section, refusals_))
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
