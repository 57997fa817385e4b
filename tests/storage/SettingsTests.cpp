#include "storage/NumberRule.h"
#include "storage/RegistryAccess.h"
#include "storage/RunEntry.h"
#include "storage/SettingsPersistence.h"
#include "storage/Text.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
constexpr const char* kRoot = "Software\\SweeporaTests\\Store";
const std::string kErasePath = std::string(kRoot) + "\\EraseSettings";
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

TEST(Settings, LoadGivesDefaultsForAnEmptyStoreAndSkipsTheMessageBoxFlag)
{
    RecordingStore store;
    AppSettings s;
    for (const SettingKey& k : SettingKeys()) s.*k.member = "x";
    s.NoOverWrites = 7;
    EXPECT_FALSE(LoadSettings(store, s));

    for (const SettingKey& k : SettingKeys()) {
        const std::string name = k.name;
        std::string expected = k.section == std::string("EraseSettings") ? "1" : "0";
        if (name == "EmailHistory" || name == "CustomDirs") expected = "0";
        if (name == "ScheduleMin") expected = "10";
        if (name == "DonotShowMessBox") expected = "x";
        EXPECT_EQ(s.*k.member, expected) << k.section << "\\" << name;
    }
    EXPECT_EQ(s.NoOverWrites, 0);
}

TEST(Settings, RegistryStoreAndLoadFromIt)
{
    test::ScratchKey scratch(kRoot);
    RegistrySettingsStore store(kRoot);
    EXPECT_EQ(store.Get("EraseSettings", "RecBin", "dflt"), "dflt");
    EXPECT_FALSE(test::KeyExists(kCu, kRoot));
    store.Set("EraseSettings", "Blank", "");
    EXPECT_EQ(store.Get("EraseSettings", "Blank", "dflt"), "");

    // Loading trims, reads the old "IEAutopass" spelling and arms only on exactly "1".
    store.Set("Startup", "LoadMin", "  1  ");
    store.Set("EraseSettings", "IEAutopass", "0");
    store.Set("Scheduling", "NoSchedule", "1");
    EXPECT_EQ(store.Get("EraseSettings", "IEAUTOPASS", "1"), "0");
    EXPECT_EQ(GetRegString(kCu, kErasePath, "IEAutopass"), "0");
    AppSettings s;
    EXPECT_TRUE(LoadSettings(store, s));
    EXPECT_EQ(s.LoadMin, "1");
    EXPECT_EQ(s.IEAutoPass, "0");

    store.Set("Scheduling", "NoSchedule", "01");
    EXPECT_FALSE(LoadSettings(store, s));

    const std::pair<const char*, int> levels[] = {{"7.5", 8}, {"6.5", 6}, {" 20abc", 20}, {"abc", 0}, {"3", 3}};
    for (const auto& [text, level] : levels) {
        store.Set("EraseSettings", "NoOverWrites", text);
        LoadSettings(store, s);
        EXPECT_EQ(s.NoOverWrites, level) << text;
    }

    // The old spelling and the written one must stay a single entry.
    s.IEAutoPass = "1";
    SaveEraseSettingKeys(store, s);
    int entries = 0;
    for (const std::string& name : test::ValueNames(kCu, kErasePath))
        if (EqualsIgnoringCase(name, "IEAutoPass")) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(store.Get("EraseSettings", "IEAutoPass", "?"), "1");
}

TEST(Settings, SavesWriteTheirKeysInTheirFixedOrder)
{
    AppSettings s;
    s.NetHistory = "h";
    s.NetVisitedUrls = "v";
    s.IndexDatFiles = "i";
    s.EmailHistory = "1";
    s.NoOverWrites = 20;
    RecordingStore store;
    SaveEraseSettingKeys(store, s);
    const Lines erase = {"RecentDocs=1", "RunHistory=1", "NetHistory=h", "IEAutoComplete=1", "IEAutoPass=1",
                         "IETempFiles=1", "NetCookies=1", "NetVisitedUrls=v", "NetTypedUrls=1",
                         "EmailHistory=1", "FileFind=1", "RecBin=1", "TempFiles=1", "Clipboard=1",
                         "CustomDirs=0", "NoOverWrites=20", "IndexDatFiles=i"};
    // Anything written after these (such as the folder list) is not part of the fixed order.
    ASSERT_GE(store.writes.size(), erase.size());
    for (std::size_t i = 0; i < erase.size(); ++i) EXPECT_EQ(store.writes[i], "EraseSettings\\" + erase[i]);

    s.LoadStartup = "1";
    s.SchedulingShutdown = "s";
    s.HotKeyShutdown = "k";
    s.ScheduleMin = "45";
    s.DonotShowMessBox = "1";
    store.writes.clear();
    SaveGeneralSettings(store, s, [&] { store.writes.push_back("run entry"); });
    const Lines general = {"Startup\\LoadStartup=1", "run entry", "Startup\\LoadMin=0", "Startup\\Startup=0",
                           "Startup\\Stealth=0", "Scheduling\\Shutdown=s", "HotKeyActions\\Hide=0",
                           "HotKeyActions\\PerformCleaning=0", "HotKeyActions\\MinimizeWindows=0",
                           "HotKeyActions\\Logoff=0", "HotKeyActions\\Shutdown=k", "Scheduling\\NoSchedule=0",
                           "Scheduling\\ScheduleHour=0", "Scheduling\\ScheduleDay=0",
                           "Scheduling\\ScheduleMinutes=0", "Scheduling\\ScheduleMin=45"};
    EXPECT_EQ(store.writes, general);
}

TEST(Settings, NumberRule)
{
    const std::pair<const char*, double> numbers[] = {
        {"  -12.75kg", -12.75}, {"+3", 3}, {".5", 0.5}, {"x12", 0}, {"-", 0}, {"", 0}};
    for (const auto& [text, number] : numbers) EXPECT_EQ(LeadingNumber(text), number) << text;
    const std::pair<double, double> rounded[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.6, 3}};
    for (const auto& [value, result] : rounded) EXPECT_EQ(RoundHalfEven(value), result) << value;
    EXPECT_EQ(TextToInt16("32767"), 32767);
    EXPECT_EQ(TextToInt16("40000"), 32767);
    EXPECT_EQ(TextToInt16("-99999999999999999999"), -32768);
    EXPECT_EQ(TextToInt16(" -7.5"), -8);
}

TEST(Settings, RunEntryFollowsLoadStartup)
{
    const std::string name = "Sweepora - 2.0";
    // The Run key is shared: only our two values are removed, before and after.
    struct RunValues {
        static void Clear()
        {
            for (const char* value : {"Sweepora - 2.0", "SweeporaTestNeighbour"})
                DeleteRegValue(HKEY_CURRENT_USER, kRunKeyPath, value);
        }
        RunValues() { Clear(); }
        ~RunValues() { Clear(); }
    } cleanup;
    test::WriteString(kCu, kRunKeyPath, "SweeporaTestNeighbour", "x");

    AppSettings s;
    DWORD type = 0;
    std::string bytes;
    const auto update = [&](const char* flag) {
        s.LoadStartup = flag;
        UpdateRunEntry(s, "C:\\Program Files\\Sweepora\\sweepora.exe");
        return test::ReadRaw(kCu, kRunKeyPath, name, type, bytes);
    };
    ASSERT_TRUE(update("1"));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(GetRegString(kCu, kRunKeyPath, name), "\"C:\\Program Files\\Sweepora\\sweepora.exe\" m");
    EXPECT_FALSE(update("0"));
    EXPECT_FALSE(update("0")); // removing a missing entry is no error
    EXPECT_TRUE(update("1"));
    EXPECT_FALSE(update("2"));
    EXPECT_EQ(GetRegString(kCu, kRunKeyPath, "SweeporaTestNeighbour"), "x");
}
