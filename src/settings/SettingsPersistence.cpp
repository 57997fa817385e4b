#include "settings/SettingsPersistence.h"

#include "platform/Text.h"
#include "settings/NumberRule.h"
#include "settings/PolicySettingsStore.h"

#include <string>

namespace sweepora {

namespace {

using Member = std::string AppSettings::*;
using S = AppSettings;

// Each step is a text setting, or nullptr where the secure-deletion level goes.
// Reads use "IEAutopass" and writes "IEAutoPass": the store ignores case, so both
// address one entry.
struct Step {
    Member member;
    const char* nameOverride;
};

const Step kLoadOrder[] = {
    {&S::LoadMin, nullptr}, {&S::LoadStartup, nullptr}, {&S::Startup, nullptr}, {&S::Stealth, nullptr},
    {&S::SchedulingShutdown, nullptr},
    {&S::Hide, nullptr}, {&S::PerformCleaning, nullptr}, {&S::MinimizeWindows, nullptr},
    {&S::Logoff, nullptr}, {&S::HotKeyShutdown, nullptr},
    {&S::RecentDocs, nullptr}, {&S::RunHistory, nullptr}, {&S::NetHistory, nullptr},
    {&S::NetVisitedUrls, nullptr}, {&S::NetTypedUrls, nullptr}, {&S::IEAutoComplete, nullptr},
    {&S::IEAutoPass, "IEAutopass"}, {&S::NetCookies, nullptr}, {&S::IETempFiles, nullptr},
    {&S::EmailHistory, nullptr}, {&S::FileFind, nullptr}, {&S::RecBin, nullptr}, {&S::TempFiles, nullptr},
    {&S::Clipboard, nullptr}, {&S::CustomDirs, nullptr}, {nullptr, nullptr}, {&S::IndexDatFiles, nullptr},
    {&S::NoSchedule, nullptr}, {&S::ScheduleHour, nullptr}, {&S::ScheduleDay, nullptr},
    {&S::ScheduleMinutes, nullptr}, {&S::ScheduleMin, nullptr},
};

const Member kEraseSaveOrder[] = {
    &S::RecentDocs, &S::RunHistory, &S::NetHistory, &S::IEAutoComplete, &S::IEAutoPass, &S::IETempFiles,
    &S::NetCookies, &S::NetVisitedUrls, &S::NetTypedUrls, &S::EmailHistory, &S::FileFind, &S::RecBin,
    &S::TempFiles, &S::Clipboard, &S::CustomDirs, nullptr, &S::IndexDatFiles,
};

const Member kGeneralSaveOrder[] = {
    &S::LoadMin, &S::Startup, &S::Stealth, &S::SchedulingShutdown, &S::Hide, &S::PerformCleaning,
    &S::MinimizeWindows, &S::Logoff, &S::HotKeyShutdown, &S::NoSchedule, &S::ScheduleHour,
    &S::ScheduleDay, &S::ScheduleMinutes, &S::ScheduleMin,
};

void Write(SettingsStore& store, const AppSettings& settings, Member member)
{
    if (member == nullptr) {
        store.Set(kSectionErase, kNoOverWritesKey, std::to_string(settings.NoOverWrites));
        return;
    }
    const SettingKey& key = KeyOf(member);
    store.Set(key.section, key.name, settings.*member);
}

// "a|b||c" -> a, b, c: blanks around each trimmed, empty ones dropped.
std::vector<std::string> SplitList(const std::string& joined)
{
    std::vector<std::string> items;
    for (std::size_t pos = 0; pos <= joined.size();) {
        std::size_t end = joined.find(kCustomDirSeparator, pos);
        if (end == std::string::npos) end = joined.size();
        const std::string item = TrimBlanks(joined.substr(pos, end - pos));
        if (!item.empty()) items.push_back(item);
        pos = end + 1;
    }
    return items;
}

} // namespace

bool LoadSettings(const SettingsStore& store, AppSettings& settings)
{
    for (const Step& step : kLoadOrder) {
        if (step.member == nullptr) {
            settings.NoOverWrites = TextToInt16(store.Get(kSectionErase, kNoOverWritesKey, kNoOverWritesDefault));
            continue;
        }
        const SettingKey& key = KeyOf(step.member);
        const char* name = step.nameOverride ? step.nameOverride : key.name;
        settings.*step.member = TrimBlanks(store.Get(key.section, name, key.defaultValue));
    }
    settings.CustomDirList = SplitList(store.Get(kSectionErase, kCustomDirListKey, ""));
    settings.PolicyCustomDirList = SplitList(store.PolicyValue(kSectionErase, kPolicyCustomDirListKey));
    settings.RequiredDefinitions = SplitList(store.PolicyValue(kSectionErase, kRequiredDefinitionsKey));
    const std::string minimum = store.PolicyValue(kSectionErase, kNoOverWritesMinimumKey);
    settings.NoOverWritesMinimum = minimum.empty() ? 0 : TextToInt16(minimum);
    return settings.NoSchedule == "1";
}

void SaveEraseSettingKeys(SettingsStore& store, const AppSettings& settings)
{
    for (Member m : kEraseSaveOrder) Write(store, settings, m);
    std::string dirs;
    for (const std::string& dir : settings.CustomDirList) {
        if (!dirs.empty()) dirs += kCustomDirSeparator;
        dirs += dir;
    }
    store.Set(kSectionErase, kCustomDirListKey, dirs);
}

void SaveGeneralSettings(SettingsStore& store, const AppSettings& settings,
                         const std::function<void()>& afterLoadStartup)
{
    Write(store, settings, &S::LoadStartup);
    if (afterLoadStartup) afterLoadStartup();
    for (Member m : kGeneralSaveOrder) Write(store, settings, m);
}

} // namespace sweepora
