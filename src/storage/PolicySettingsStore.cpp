#include "storage/PolicySettingsStore.h"

#include "storage/AppSettings.h"
#include "storage/Text.h"
#include "storage/UniqueHandle.h"
#include "storage/WideText.h"

#include <windows.h>

namespace sweepora {

namespace {

std::string MapKey(const std::string& section, const std::string& key)
{
    return UpperCaseUtf8(section) + "\\" + UpperCaseUtf8(key);
}

std::vector<std::wstring> Subkeys(HKEY key)
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// Every REG_SZ value of every section below `root`; an earlier hive's value is kept.
void ReadHive(HKEY hive, const std::string& root, std::map<std::string, std::string>& into)
{
    UniqueKey policies;
    if (::RegOpenKeyExW(hive, WideFromUtf8(root).c_str(), 0, KEY_READ, policies.put()) != ERROR_SUCCESS) return;
    for (const std::wstring& section : Subkeys(policies.get())) {
        UniqueKey key;
        if (::RegOpenKeyExW(policies.get(), section.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) continue;
        wchar_t name[16384];
        std::vector<wchar_t> data(8192);
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = 16384;
            DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            DWORD type = 0;
            const LONG result = ::RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type,
                                                reinterpret_cast<BYTE*>(data.data()), &size);
            if (result == ERROR_MORE_DATA) continue; // no setting is that long: not ours
            if (result != ERROR_SUCCESS) break;
            if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
            std::wstring value(data.data(), size / sizeof(wchar_t));
            value = value.substr(0, value.find(L'\0'));
            into.emplace(MapKey(Utf8FromWide(section), Utf8FromWide(std::wstring(name, nameLength))),
                         TrimBlanks(Utf8FromWide(value)));
        }
    }
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
    ReadHive(HKEY_LOCAL_MACHINE, policyRoot, policies_);
    ReadHive(HKEY_CURRENT_USER, policyRoot, policies_);
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
