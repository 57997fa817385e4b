#include "engine/CleaningCommands.h"
#include "engine/CleaningRun.h"
#include "engine/RegistryMruCleaners.h"
#include "safelists/TypedUrlLoader.h"
#include "storage/RegistryAccess.h"
#include "storage/RunEntry.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

constexpr const char* kStoreRoot = "Software\\SweeporaTests\\RunStore";

// A session on a scratch settings store, with its executable in a throwaway folder.
struct RunFixture : ::testing::Test {
    test::ScratchKey storeKey{kStoreRoot};
    RegistrySettingsStore store{kStoreRoot};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};

    void AllCategoriesOff()
    {
        for (const SettingKey& k : SettingKeys())
            if (std::string(k.section) == kSectionErase) session.settings.*k.member = "0";
    }
    std::vector<std::string> Tasks() const
    {
        std::vector<std::string> tasks;
        for (const LogLine& l : session.log.Lines()) tasks.push_back(l.task);
        return tasks;
    }
};

} // namespace

TEST(RunSummary, TimeTextAndMegabytes)
{
    EXPECT_EQ(TimeText(5), "0:0:5");
    EXPECT_EQ(TimeText(75), "0:1:15");
    EXPECT_EQ(TimeText(3600), "0:60:0");
    EXPECT_EQ(TimeText(4000), "0:66:40");

    EXPECT_EQ(MegabytesFreed(1572864), 2);  // 1.5 MB
    EXPECT_EQ(MegabytesFreed(2621440), 2);  // 2.5 MB, ties to even
    EXPECT_EQ(MegabytesFreed(3670016), 4);  // 3.5 MB
    EXPECT_EQ(MegabytesFreed(524288), 0);   // 0.5 MB
    EXPECT_EQ(MegabytesFreed(1572822), 2);  // 1.49996 MB: four places first give 1.5, then 2
    EXPECT_EQ(MegabytesFreed(-5000000), 0);

    EXPECT_EQ(SummaryLine(3 * 1048576, 42, 4, 75),
              "Finished :- Space saved : 3 MB, Files : 42,Registory keys : 4, time taken : 0:1:15");
}

TEST_F(RunFixture, RunsEnabledRowsInOrderAndStopsAtAbort)
{
    std::vector<int> ran;
    session.settings.RunHistory = "1";
    session.settings.FileFind = "1 "; // not exactly "1": off
    session.settings.NetTypedUrls = "1";
    session.settings.Clipboard = "1";
    session.run.spaceSaved = 99; // left over from an earlier run
    const RunTable table = {
        {1, &AppSettings::RunHistory, [&](Session& s) { ran.push_back(1); s.run.files += 3; }},
        {2, &AppSettings::FileFind, [&](Session&) { ran.push_back(2); }},
        {9, &AppSettings::NetTypedUrls, [&](Session& s) { ran.push_back(9); s.run.abort = true; }},
        {11, &AppSettings::Clipboard, [&](Session&) { ran.push_back(11); }},
        {16, nullptr, [&](Session& s) { ran.push_back(s.run.abort ? 16 : -16); }},
    };

    EXPECT_EQ(RunCleaning(session, table), RunOutcome::Aborted);
    EXPECT_EQ(ran, (std::vector<int>{1, 9, 16}));
    EXPECT_EQ(Tasks(), (std::vector<std::string>{"Testing : *****Aborted by user*******"}));
    EXPECT_FALSE(session.run.abort);
    EXPECT_EQ(host.events, (std::vector<std::string>{"started", "finished"}));

    // The next run starts from zero and, without an abort, ends with the summary.
    ran.clear();
    session.settings.NetTypedUrls = "0";
    session.run.live = true;
    EXPECT_EQ(RunCleaning(session, table), RunOutcome::Completed);
    EXPECT_EQ(ran, (std::vector<int>{1, 11, -16}));
    EXPECT_EQ(session.log.Lines().back().task,
              "Finished :- Space saved : 0 MB, Files : 3,Registory keys : 0, time taken : 0:0:0");
    EXPECT_EQ(session.log.Lines().back().status, "");
}

TEST_F(RunFixture, IgnoresNestedStartsAndRearmsOnlyAnEnabledSchedule)
{
    RunOutcome nested = RunOutcome::Completed;
    const RunTable table = {{16, nullptr, [&](Session& s) { nested = StartCleaning(s, {}); }}};
    session.settings.NoSchedule = "1";
    session.settings.ScheduleMinutes = "1";
    RunCleaning(session, table);
    EXPECT_EQ(nested, RunOutcome::Ignored);
    EXPECT_FALSE(session.run.live);
    EXPECT_EQ(session.log.Lines().size(), 1u);
    EXPECT_EQ(host.events.back(), "finished, rearm");

    session.settings.NoSchedule = "0"; // a period is still chosen, but scheduling is off
    RunCleaning(session, {});
    EXPECT_EQ(host.events.back(), "finished");
    session.settings.NoSchedule = "1";
    session.settings.ScheduleMinutes = "0";
    RunCleaning(session, {});
    EXPECT_EQ(host.events.back(), "finished");
}

TEST_F(RunFixture, StandardRunTakesTheEnabledCategoriesInOrder)
{
    AllCategoriesOff();
    session.settings.IEAutoPass = "1"; // has no cleaner
    RunCleaning(session);
    session.settings.NetTypedUrls = "1";
    session.settings.FileFind = "1";
    session.settings.RunHistory = "1";
    session.settings.NetHistory = "1";
    RunCleaning(session);
    EXPECT_EQ(Tasks(), (std::vector<std::string>{
                           "Testing : Finished :- Space saved : 0 MB, Files : 0,Registory keys : 0, time taken : 0:0:0",
                           "Testing : Run History Cleared ", "Testing : Find File List cleared",
                           "Testing : Internet Explorer History", "Testing : Netscape History",
                           "Testing : Internet typed Urls cleared",
                           "Testing : Finished :- Space saved : 0 MB, Files : 0,Registory keys : 4, time taken : 0:0:0"}));
}

TEST_F(RunFixture, StartCleaningSavesEverythingAndGoesLive)
{
    test::ScratchKey runKey(kRunMruKey);
    test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "a", "notepad");
    AllCategoriesOff(); // a live run would empty the shared temporary folder too
    session.settings.RunHistory = "1";
    session.safeLists.typedUrls.safe.Add("http://kept.example/");
    session.safeLists.cookies.safe.Add("alice@kept.txt");

    EXPECT_EQ(StartCleaning(session), RunOutcome::Completed);
    EXPECT_EQ(host.events.front(), "status tab");
    EXPECT_TRUE(session.run.live);
    EXPECT_EQ(store.Get(kSectionErase, "RecBin", "?"), "0");
    EXPECT_EQ(store.Get(kSectionStartup, "LoadStartup", "?"), "0");
    EXPECT_EQ(test::ReadFileBytes(folder.File(kSafeUrlsFile)), "http://kept.example/\r\n");
    EXPECT_EQ(test::ReadFileBytes(folder.File(kSafeCookieFile)), "alice@kept.txt\r\n");
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kRunMruKey).empty());
    EXPECT_EQ(session.log.Lines().front().task, "Run History Cleared ");

    session.settings.LoadStartup = "1";
    SaveAllSettings(session);
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, kRunKeyPath, RunEntryName()), RunEntryCommand(session.exePath));
    DeleteRegValue(HKEY_CURRENT_USER, kRunKeyPath, RunEntryName());
}

TEST_F(RunFixture, AbortAsksFirstAndStopsTheTypedUrlWalk)
{
    AbortCleaning(session);
    ASSERT_EQ(desktop.asked.size(), 1u);
    EXPECT_EQ(desktop.asked[0].prompt, "Abort Cleaning Operation?");
    EXPECT_EQ(desktop.asked[0].title, "Confirmation");
    EXPECT_EQ(desktop.asked[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_FALSE(session.run.abort);
    EXPECT_EQ(host.yields, 0);

    // Confirmed at the first yield of the typed-URL cleaner: the value being looked at
    // goes, the rest stay, and the run ends with the abort line.
    test::ScratchKey typed(kTypedUrlsKey);
    for (const char* name : {"url1", "url2", "url3"})
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, name, std::string("http://") + name + ".example/");
    session.safeLists.typedUrls.safe.Add("http://elsewhere.example/");
    AllCategoriesOff();
    session.settings.NetTypedUrls = "1";
    desktop.answer = IDYES;
    host.onYield = [&] {
        host.onYield = nullptr;
        AbortCleaning(session);
    };
    session.run.live = true;
    test::WriteFileBytes(folder.File(kSafeUrlsFile), "http://elsewhere.example/\r\n");
    EXPECT_EQ(RunCleaning(session), RunOutcome::Aborted);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), (std::vector<std::string>{"url2", "url3"}));
    ASSERT_EQ(session.log.Lines().size(), 2u);
    EXPECT_EQ(session.log.Lines()[0].task, "Internet typed Urls ");
    EXPECT_EQ(session.log.Lines()[0].status, "**Aborted**");
    EXPECT_EQ(session.log.Lines()[1].task, kAbortedByUser);
}
