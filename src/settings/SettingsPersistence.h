#pragma once
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"

#include <functional>

namespace sweepora {

// Reads every setting (but DonotShowMessBox, which its message box reads itself) with its
// default, trimmed; NoOverWrites by the number rule. Returns true when the scheduler timer
// is to be armed ("NoSchedule" is exactly "1").
bool LoadSettings(const SettingsStore& store, AppSettings& settings);

// Writes the cleaning categories and the secure-deletion level, in their fixed order,
// then the custom directory list.
void SaveEraseSettingKeys(SettingsStore& store, const AppSettings& settings);

// Writes the general settings in their fixed order; `afterLoadStartup` runs right after
// "LoadStartup" is written (it keeps the Windows start-up entry in step).
void SaveGeneralSettings(SettingsStore& store, const AppSettings& settings,
                         const std::function<void()>& afterLoadStartup);

} // namespace sweepora
