// Policies set by an administrator over the user's own settings.
#include "engine/Eradication.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "settings/AppSettings.h"
#include "settings/PolicySettingsStore.h"
#include "settings/SettingsPersistence.h"

#include "support/TestSupport.h"

#include <regex>
#include <set>

using namespace sweepora;
using test::Texts;

namespace {

constexpr const char* kOwn = "Software\\SweeporaTests\\PolicyOwn";
constexpr const char* kPolicies = "Software\\SweeporaTests\\Policies";

struct PolicyTest : ::testing::Test {
    test::ScratchKey own{kOwn}, userPolicy{kPolicies}, machinePolicy{kPolicies, HKEY_LOCAL_MACHINE};
    RegistrySettingsStore ownStore{kOwn};

    void Policy(HKEY hive, const char* section, const char* key, const std::string& value)
    {
        test::WriteString(hive, std::string(kPolicies) + "\\" + section, key, value);
    }
};

// Counts the passes an overwrite makes: each ends with a flush.
struct CountingIo final : EraseIo {
    mutable int flushes = 0;
    DWORD Flush(HANDLE file) const override
    {
        ++flushes;
        return EraseIo::Flush(file);
    }
};

} // namespace

TEST_F(PolicyTest, MachineBeatsUserBeatsOwnSavingLeavesEveryValueAndAMinimumLevelHolds)
{
    ownStore.Set(kSectionErase, "RunHistory", "1");
    ownStore.Set(kSectionStartup, "Stealth", "1");
    ownStore.Set(kSectionErase, kCustomDirListKey, "C:\\Mine");
    ownStore.Set(kSectionErase, kNoOverWritesKey, "0");
    Policy(HKEY_CURRENT_USER, kSectionErase, kNoOverWritesMinimumKey, "7");
    Policy(HKEY_LOCAL_MACHINE, kSectionErase, "RunHistory", "0");
    Policy(HKEY_CURRENT_USER, kSectionErase, "RunHistory", "1");
    Policy(HKEY_CURRENT_USER, kSectionErase, "NetHistory", " 0 ");
    Policy(HKEY_CURRENT_USER, kSectionErase, kPolicyCustomDirListKey, "C:\\Lab\\Scratch| C:\\Mine ");
    Policy(HKEY_CURRENT_USER, kSectionErase, kRequiredDefinitionsKey, "Browser Cache|Viewer");
    Policy(HKEY_LOCAL_MACHINE, kSectionStartup, kDisableStealthKey, "1");
    PolicySettingsStore store(ownStore, kPolicies);
    AppSettings settings;
    LoadSettings(store, settings);
    EXPECT_EQ(settings.RunHistory, "0");
    EXPECT_EQ(settings.NetHistory, "0");
    EXPECT_EQ(settings.Stealth + settings.Hide, "00");
    EXPECT_TRUE(store.UnderPolicy(kSectionHotKeys, "Hide") && store.UnderPolicy(kSectionErase, "runhistory"));
    EXPECT_FALSE(store.UnderPolicy(kSectionErase, "TempFiles") || store.UnderPolicy(kSectionErase, kCustomDirListKey));
    EXPECT_EQ(settings.CustomDirList, Texts{"C:\\Mine"});
    EXPECT_EQ(settings.PolicyCustomDirList, (Texts{"C:\\Lab\\Scratch", "C:\\Mine"}));
    EXPECT_EQ(settings.RequiredDefinitions, (Texts{"Browser Cache", "Viewer"}));

    settings.TempFiles = "0";
    settings.RunHistory = "1"; // as a disabled box could never do
    SaveEraseSettingKeys(store, settings);
    SaveGeneralSettings(store, settings, nullptr);
    EXPECT_EQ(ownStore.Get(kSectionErase, "RunHistory", "?"), "1");
    EXPECT_EQ(ownStore.Get(kSectionErase, "NetHistory", "?"), "?");
    EXPECT_EQ(ownStore.Get(kSectionStartup, "Stealth", "?"), "1");
    EXPECT_EQ(ownStore.Get(kSectionErase, "TempFiles", "?"), "0");
    EXPECT_EQ(ownStore.Get(kSectionErase, kCustomDirListKey, "?"), "C:\\Mine");
    EXPECT_EQ(test::ValueNames(HKEY_LOCAL_MACHINE, std::string(kPolicies) + "\\" + kSectionErase), Texts{"RunHistory"});
    EXPECT_EQ(RegistrySettingsStore(kPolicies).Get(kSectionErase, "NetHistory", "?"), " 0 ");

    // A minimum level raises the run's passes, but not the user's own choice.
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session(store, host, desktop, folder.File("sweepora.exe"));
    LoadSettings(store, session.settings);
    CountingIo io;
    session.eraseIo = &io;
    session.run.live = true;
    const std::string work = folder.File("work");
    ::CreateDirectoryA(work.c_str(), nullptr);
    test::WriteFileBytes(work + "\\secret.txt", "secret");
    std::string path = work;
    EradicateFolder(session, path, false, false);
    EXPECT_FALSE(FileExists(work + "\\secret.txt"));
    EXPECT_EQ(io.flushes, 7);
    SaveEraseSettingKeys(store, session.settings);
    EXPECT_EQ(ownStore.Get(kSectionErase, kNoOverWritesKey, "?"), "0");
}

TEST(PolicyTemplates, DescribeEveryKeyTheProgramReadsAndNoOther)
{
    const std::string admx = test::ReadFileBytes(AddBackslash(FolderOf(ExecutablePath())) + "policy\\sweepora.admx");
    const std::string adml =
        test::ReadFileBytes(AddBackslash(FolderOf(ExecutablePath())) + "policy\\en-US\\sweepora.adml");
    ASSERT_FALSE(admx.empty() || adml.empty());
    // A policy's key and its value name, on the policy itself or on its element.
    std::set<std::string> described;
    const std::regex policy(R"re(<policy [^>]*key="Software\\Policies\\Sweepora\\(\w+)"([^>]*)>([\s\S]*?)</policy>)re");
    const std::regex valueName(R"re(valueName="(\w+)")re");
    for (auto it = std::sregex_iterator(admx.begin(), admx.end(), policy); it != std::sregex_iterator(); ++it) {
        std::smatch name;
        const std::string attributes = (*it)[2], body = (*it)[3];
        ASSERT_TRUE(std::regex_search(attributes, name, valueName) || std::regex_search(body, name, valueName));
        EXPECT_TRUE(described.insert((*it)[1].str() + "\\" + name[1].str()).second) << name[1];
    }
    std::set<std::string> read;
    for (const auto& [section, key] : PolicyKeys()) read.insert(section + "\\" + key);
    EXPECT_EQ(described, read);
    // Every text the template names is in the language file.
    const std::regex reference(R"re(\$\((string|presentation)\.(\w+)\))re");
    for (auto it = std::sregex_iterator(admx.begin(), admx.end(), reference); it != std::sregex_iterator(); ++it) {
        const std::string tag = (*it)[1] == "string" ? "<string id=\"" : "<presentation id=\"";
        EXPECT_NE(adml.find(tag + (*it)[2].str() + "\""), std::string::npos) << (*it)[2];
    }
}

TEST_F(PolicyTest, LongValuesAreReadWholeAndOnesPastTheBoundAreRefusedByName)
{
    // A long folder list: 10 000 characters, well past a fixed buffer's 4 095.
    std::string folders;
    for (int i = 0; folders.size() < 10000; ++i) folders += "C:\\Lab\\Folder" + std::to_string(i) + "|";
    folders.resize(10000);
    folders.back() = 'Z';
    Policy(HKEY_CURRENT_USER, kSectionErase, kPolicyCustomDirListKey, folders);
    Policy(HKEY_LOCAL_MACHINE, kSectionErase, kRequiredDefinitionsKey, std::string(kMaxPolicyCharacters, 'r'));
    // One character too many: refused whole rather than cut, and the user policy below it rules.
    Policy(HKEY_LOCAL_MACHINE, kSectionErase, "RunHistory", std::string(kMaxPolicyCharacters + 1, '1'));
    Policy(HKEY_CURRENT_USER, kSectionErase, "RunHistory", "0");
    PolicySettingsStore store(ownStore, kPolicies);

    EXPECT_EQ(store.PolicyValue(kSectionErase, kPolicyCustomDirListKey), folders);
    EXPECT_EQ(store.PolicyValue(kSectionErase, kRequiredDefinitionsKey).size(), kMaxPolicyCharacters);
    EXPECT_EQ(store.Get(kSectionErase, "RunHistory", "?"), "0");
    ASSERT_EQ(store.Refusals().size(), 1u);
    EXPECT_EQ(store.Refusals()[0], std::string("the policy HKEY_LOCAL_MACHINE\\") + kPolicies + "\\" + kSectionErase +
                                       "\\RunHistory is longer than 1048576 characters and was not applied");
}
