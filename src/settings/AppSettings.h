#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sweepora {

constexpr const char* kAppTitle = "Sweepora";
constexpr const char* kSectionStartup = "Startup";
constexpr const char* kSectionScheduling = "Scheduling";
constexpr const char* kSectionHotKeys = "HotKeyActions";
constexpr const char* kSectionErase = "EraseSettings";

// The in-memory copy of every setting. Flags are "1" (on) or "0" (off); a category is
// enabled only when its flag is exactly "1".
struct AppSettings {
    AppSettings(); // every key at its default

    // Startup
    std::string LoadStartup, LoadMin, Startup, Stealth, DonotShowMessBox;
    // Scheduling ("NoSchedule" = "1" means scheduling is on)
    std::string SchedulingShutdown, NoSchedule, ScheduleHour, ScheduleDay, ScheduleMinutes, ScheduleMin;
    // HotKeyActions
    std::string Hide, PerformCleaning, MinimizeWindows, Logoff, HotKeyShutdown;
    // EraseSettings
    std::string NetHistory, IETempFiles, NetCookies, NetVisitedUrls, NetTypedUrls, IndexDatFiles,
        IEAutoComplete, IEAutoPass, RecentDocs, RecBin, Clipboard, EmailHistory, CustomDirs, RunHistory,
        FileFind, TempFiles;
    // The secure-deletion level: 0, 7 or 20 overwrites (other values are kept as read).
    std::int16_t NoOverWrites = 0;
    // The folders the custom-directories category empties, in list order.
    std::vector<std::string> CustomDirList;

    // Set by an administrator's policy only; never saved.
    std::vector<std::string> PolicyCustomDirList; // emptied besides the user's own folders
    std::int16_t NoOverWritesMinimum = 0;
    std::vector<std::string> RequiredDefinitions; // plugins and definitions that always run

    // True when scheduling is on and a schedule period is chosen.
    bool ScheduleArmed() const;
    // The overwrite passes a run uses: the user's level, never fewer than the policy's.
    std::int16_t Passes() const { return NoOverWrites < NoOverWritesMinimum ? NoOverWritesMinimum : NoOverWrites; }
};

// One text setting: where it lives, its default and its member.
struct SettingKey {
    const char* section;
    const char* name;
    const char* defaultValue;
    std::string AppSettings::*member;
};

// Every text setting, each declared once with its default.
const std::vector<SettingKey>& SettingKeys();

// The entry of a member; throws std::out_of_range for a member without one.
const SettingKey& KeyOf(std::string AppSettings::*member);

constexpr const char* kNoOverWritesKey = "NoOverWrites";
constexpr const char* kNoOverWritesDefault = "0";
// Stored as one value, the paths joined by a character no Windows path holds.
constexpr const char* kCustomDirListKey = "CustomDirList";
constexpr char kCustomDirSeparator = '|';

} // namespace sweepora
