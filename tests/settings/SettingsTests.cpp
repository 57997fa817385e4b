#include "settings/NumberRule.h"
#include "settings/SettingsPersistence.h"

#include "support/TestSupport.h"

using namespace sweepora;

TEST(Settings, LoadTakesDefaultsTrimsAndKeepsNamesInAnyScript)
{
    const char* root = "Software\\SweeporaTests\\Store";
    test::ScratchKey scratch(root);
    RegistrySettingsStore store(root);
    AppSettings s;
    for (const SettingKey& k : SettingKeys()) s.*k.member = "x";
    s.NoOverWrites = 7;
    EXPECT_FALSE(LoadSettings(store, s));
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, root)); // reading creates nothing
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

    // Folder names outside the code page survive a save and a load, stored as the characters
    // themselves, as the registry editor shows them; a long list reads whole, alone and with its section.
    s.CustomDirList = {"C:\\данные\\отчёты", "D:\\日記"};
    for (int i = 0; i < 400; ++i) s.CustomDirList.push_back("C:\\Projects\\folder number " + std::to_string(i));
    const std::vector<std::string> saved = s.CustomDirList;
    SaveEraseSettingKeys(store, s);
    std::wstring stored(20000, L'\0');
    DWORD size = static_cast<DWORD>(stored.size() * sizeof(wchar_t));
    ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\SweeporaTests\\Store\\EraseSettings", L"CustomDirList",
                   RRF_RT_REG_SZ, nullptr, &stored[0], &size);
    EXPECT_EQ(stored.rfind(L"C:\\данные\\отчёты|D:\\日記|C:\\Projects\\folder number 0|", 0), 0u);
    s.CustomDirList.clear();
    LoadSettings(store, s);
    EXPECT_EQ(s.CustomDirList, saved);
    std::string listed;
    for (const auto& [name, value] : store.Section("EraseSettings"))
        if (name == "CustomDirList") listed = value;
    EXPECT_EQ(listed, store.Get("EraseSettings", "CustomDirList", ""));
    EXPECT_GT(listed.size(), 10000u);

    // A value an older version wrote through the code page reads as the same characters.
    test::WriteString(HKEY_CURRENT_USER, std::string(root) + "\\EraseSettings", "CustomDirList", "C:\\Caf\xe9");
    EXPECT_EQ(store.Get("EraseSettings", "CustomDirList", ""), "C:\\Café");
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
