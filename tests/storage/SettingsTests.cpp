#include "storage/NumberRule.h"
#include "storage/SettingsPersistence.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

constexpr const char* kRoot = "Software\\SweeporaTests\\Store";
using Lines = std::vector<std::string>;

// An empty store that logs every write as "Section\Name=value".
struct RecordingStore final : SettingsStore {
    Lines writes;
    std::string Get(const std::string&, const std::string&, const std::string& def) const override { return def; }
    void Set(const std::string& section, const std::string& key, const std::string& value) override
    {
        writes.push_back(section + "\\" + key + "=" + value);
    }
};

} // namespace

TEST(Settings, LoadTakesDefaultsTrimsAndReadsTheOldSpelling)
{
    test::ScratchKey scratch(kRoot);
    RegistrySettingsStore store(kRoot);
    AppSettings s;
    for (const SettingKey& k : SettingKeys()) s.*k.member = "x";
    s.NoOverWrites = 7;
    EXPECT_FALSE(LoadSettings(store, s));
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kRoot)); // reading creates nothing
    for (const SettingKey& k : SettingKeys()) {
        const std::string name = k.name;
        const bool on = k.section == std::string("EraseSettings") && name != "EmailHistory" && name != "CustomDirs";
        const char* expected = name == "DonotShowMessBox" ? "x" : name == "ScheduleMin" ? "10" : on ? "1" : "0";
        EXPECT_EQ(s.*k.member, expected) << k.section << "\\" << name;
    }
    EXPECT_EQ(s.NoOverWrites, 0);

    // An empty value is not a missing one; scheduling is armed only by exactly "1".
    store.Set("Startup", "LoadMin", "  1  ");
    store.Set("Startup", "Stealth", "");
    store.Set("EraseSettings", "IEAutopass", "0");
    store.Set("EraseSettings", "NoOverWrites", " 7.5kg");
    store.Set("Scheduling", "NoSchedule", "1");
    EXPECT_TRUE(LoadSettings(store, s));
    EXPECT_EQ(s.LoadMin + "|" + s.Stealth + "|" + s.IEAutoPass, "1||0");
    EXPECT_EQ(s.NoOverWrites, 8);
    store.Set("Scheduling", "NoSchedule", "01");
    EXPECT_FALSE(LoadSettings(store, s));
}

TEST(Settings, SavesWriteTheirKeysInTheirFixedOrder)
{
    AppSettings s;
    s.NoOverWrites = 20;
    s.CustomDirList = {"C:\\a", "D:\\b c"};
    RecordingStore store;
    SaveEraseSettingKeys(store, s);
    Lines erase = {"RecentDocs=1", "RunHistory=1", "NetHistory=1", "IEAutoComplete=1", "IEAutoPass=1",
                   "IETempFiles=1", "NetCookies=1", "NetVisitedUrls=1", "NetTypedUrls=1", "EmailHistory=0",
                   "FileFind=1", "RecBin=1", "TempFiles=1", "Clipboard=1", "CustomDirs=0", "NoOverWrites=20",
                   "IndexDatFiles=1", "CustomDirList=C:\\a|D:\\b c"};
    for (std::string& line : erase) line = "EraseSettings\\" + line;
    EXPECT_EQ(store.writes, erase);

    s.SchedulingShutdown = "s";
    s.HotKeyShutdown = "k";
    s.ScheduleMin = "45";
    store.writes.clear();
    SaveGeneralSettings(store, s, [&] { store.writes.push_back("run entry"); });
    const Lines general = {"Startup\\LoadStartup=0", "run entry", "Startup\\LoadMin=0", "Startup\\Startup=0",
                           "Startup\\Stealth=0", "Scheduling\\Shutdown=s", "HotKeyActions\\Hide=0",
                           "HotKeyActions\\PerformCleaning=0", "HotKeyActions\\MinimizeWindows=0",
                           "HotKeyActions\\Logoff=0", "HotKeyActions\\Shutdown=k", "Scheduling\\NoSchedule=0",
                           "Scheduling\\ScheduleHour=0", "Scheduling\\ScheduleDay=0", "Scheduling\\ScheduleMinutes=0",
                           "Scheduling\\ScheduleMin=45"};
    EXPECT_EQ(store.writes, general);
}

TEST(Settings, NumberRule)
{
    const std::pair<const char*, double> numbers[] = {
        {"  -12.75kg", -12.75}, {"+3", 3}, {".5", 0.5}, {"x12", 0}, {"-", 0}, {"", 0}};
    for (const auto& [text, number] : numbers) EXPECT_EQ(LeadingNumber(text), number) << text;
    const std::pair<const char*, int> ints[] = {{"0.5", 0}, {"1.5", 2}, {"2.5", 2}, {"-2.5", -2},
                                                {"2.6", 3}, {"40000", 32767}, {"-99999999999999999999", -32768}};
    for (const auto& [text, value] : ints) EXPECT_EQ(TextToInt16(text), value) << text;
}
