#include "settings/AppSettings.h"

#include "settings/NumberRule.h"

#include <stdexcept>

namespace sweepora {

const std::vector<SettingKey>& SettingKeys()
{
    using S = AppSettings;
    static const std::vector<SettingKey> keys = {
        {kSectionStartup, "LoadStartup", "0", &S::LoadStartup},
        {kSectionStartup, "LoadMin", "0", &S::LoadMin},
        {kSectionStartup, "Startup", "0", &S::Startup},
        {kSectionStartup, "Stealth", "0", &S::Stealth},
        {kSectionStartup, "DonotShowMessBox", "0", &S::DonotShowMessBox},
        {kSectionScheduling, "Shutdown", "0", &S::SchedulingShutdown},
        {kSectionScheduling, "NoSchedule", "0", &S::NoSchedule},
        {kSectionScheduling, "ScheduleHour", "0", &S::ScheduleHour},
        {kSectionScheduling, "ScheduleDay", "0", &S::ScheduleDay},
        {kSectionScheduling, "ScheduleMinutes", "0", &S::ScheduleMinutes},
        {kSectionScheduling, "ScheduleMin", "10", &S::ScheduleMin},
        {kSectionHotKeys, "Hide", "0", &S::Hide},
        {kSectionHotKeys, "PerformCleaning", "0", &S::PerformCleaning},
        {kSectionHotKeys, "MinimizeWindows", "0", &S::MinimizeWindows},
        {kSectionHotKeys, "Logoff", "0", &S::Logoff},
        {kSectionHotKeys, "Shutdown", "0", &S::HotKeyShutdown},
        {kSectionErase, "NetHistory", "1", &S::NetHistory},
        {kSectionErase, "IETempFiles", "1", &S::IETempFiles},
        {kSectionErase, "NetCookies", "1", &S::NetCookies},
        {kSectionErase, "NetVisitedUrls", "1", &S::NetVisitedUrls},
        {kSectionErase, "NetTypedUrls", "1", &S::NetTypedUrls},
        {kSectionErase, "IndexDatFiles", "1", &S::IndexDatFiles},
        {kSectionErase, "IEAutoComplete", "1", &S::IEAutoComplete},
        {kSectionErase, "IEAutoPass", "1", &S::IEAutoPass},
        {kSectionErase, "RecentDocs", "1", &S::RecentDocs},
        {kSectionErase, "RecBin", "1", &S::RecBin},
        {kSectionErase, "Clipboard", "1", &S::Clipboard},
        {kSectionErase, "EmailHistory", "0", &S::EmailHistory},
        {kSectionErase, "CustomDirs", "0", &S::CustomDirs},
        {kSectionErase, "RunHistory", "1", &S::RunHistory},
        {kSectionErase, "FileFind", "1", &S::FileFind},
        {kSectionErase, "TempFiles", "1", &S::TempFiles},
    };
    return keys;
}

const SettingKey& KeyOf(std::string AppSettings::*member)
{
    for (const SettingKey& k : SettingKeys())
        if (k.member == member) return k;
    throw std::out_of_range("setting without a key");
}

AppSettings::AppSettings()
{
    for (const SettingKey& k : SettingKeys()) this->*k.member = k.defaultValue;
    NoOverWrites = TextToInt16(kNoOverWritesDefault);
}

bool AppSettings::ScheduleArmed() const
{
    return NoSchedule == "1" && (ScheduleHour == "1" || ScheduleDay == "1" || ScheduleMinutes == "1");
}

} // namespace sweepora
