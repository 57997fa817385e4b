#include "engine/CleaningCommands.h"
#include "engine/CleaningRun.h"
#include "engine/RegistryMruCleaners.h"
#include "platform/RegistryAccess.h"
#include "platform/UniqueHandle.h"
#include "safelists/TypedUrlLoader.h"
#include "settings/StartupEntry.h"

#include "support/TestSupport.h"

#include <map>

using namespace sweepora;

using test::Texts;
using RunFixture = test::SessionFixture;

TEST(RunSummary, MinutesPastAnHourAndMegabytesRoundedTiesToEven)
{
    EXPECT_EQ(TimeText(4000), "0:66:40");
    // 2.5 MB (ties to even); 1.49996 MB gives 1.5 at four places first, then 2.
    const std::pair<int, int> sizes[] = {{2621440, 2}, {3670016, 4}, {1572822, 2}, {-5000000, 0}};
    for (const auto& [bytes, mb] : sizes) EXPECT_EQ(MegabytesFreed(bytes), mb) << bytes;
    EXPECT_EQ(SummaryLine(3 * 1048576, 42, 4, 75),
              "Finished :- Space saved : 3 MB, Files : 42,Registory keys : 4, time taken : 0:1:15");
    // Past the 32-bit range nothing wraps: 5 GiB, five billion files.
    EXPECT_EQ(SummaryLine(5LL << 30, 5000000000LL, 4, 5),
              "Finished :- Space saved : 5120 MB, Files : 5000000000,Registory keys : 4, time taken : 0:0:5");
    EXPECT_EQ(SummaryLine(0, 3, 0, 1, 2),
              "Finished :- Space saved : 0 MB, Files : 3 (2 deleted, not overwritten),Registory keys : 0, "
              "time taken : 0:0:1");
}

namespace {

// The standard table with every cleaner replaced by one that records its name and then
// does what `act` says for that name.
struct RecordingTable {
    Texts ran;
    std::map<std::string, std::function<void(Session&)>> act;

    RunTable Make()
    {
        RunCleaners c;
        using R = RunCleaners;
        const std::pair<Cleaner R::*, const char*> names[] = {
            {&R::runHistory, "run"}, {&R::findHistory, "find"}, {&R::ieHistory, "ie history"},
            {&R::netscapeHistory, "netscape history"}, {&R::browserHistory, "browser history"},
            {&R::autoCompleteForms, "forms"}, {&R::browserForms, "browser forms"}, {&R::cookies, "cookies"},
            {&R::netscapeCache, "netscape cache"}, {&R::browserCookies, "browser cookies"},
            {&R::loadCookies, "load cookies"}, {&R::cacheFiles, "cache"}, {&R::browserCaches, "browser cache"},
            {&R::visitedUrls, "visited"}, {&R::typedUrls, "typed"}, {&R::browserTypedUrls, "browser typed"},
            {&R::netscapeMail, "mail"},
            {&R::clipboard, "clipboard"}, {&R::customDirs, "dirs"}, {&R::recycleBin, "bin"}, {&R::recentDocs, "recent"},
            {&R::windowsTemp, "temp"}, {&R::plugins, "plugins"}, {&R::indexDat, "index.dat"}};
        for (const auto& [member, name] : names)
            c.*member = [this, n = std::string(name)](Session& s) {
                ran.push_back(n);
                if (act.count(n)) act[n](s);
            };
        return MakeRunTable(c);
    }
};

} // namespace

TEST_F(RunFixture, TheStandardTableRunsTheTickedCleanersInOrder)
{
    using S = AppSettings;
    // Each category with what it runs, in the run's order.
    const std::pair<std::string S::*, Texts> rows[] = {
        {&S::RunHistory, {"run"}}, {&S::FileFind, {"find"}},
        {&S::NetHistory, {"browser history", "ie history", "netscape history"}},
        {&S::IEAutoComplete, {"forms", "browser forms"}}, {&S::IEAutoPass, {}},
        {&S::NetCookies, {"cookies", "netscape cache", "browser cookies", "load cookies"}},
        {&S::IETempFiles, {"cache", "browser cache"}}, {&S::NetVisitedUrls, {"visited"}},
        {&S::NetTypedUrls, {"browser typed", "typed"}},
        {&S::EmailHistory, {"mail"}}, {&S::Clipboard, {"clipboard"}}, {&S::CustomDirs, {"dirs"}},
        {&S::RecBin, {"bin"}}, {&S::RecentDocs, {"recent"}}, {&S::TempFiles, {"temp"}},
        {&S::IndexDatFiles, {"index.dat"}}};
    RecordingTable recorder;
    const RunTable table = recorder.Make();

    Texts all;
    for (const auto& [flag, cleaners] : rows) {
        OnlyCategories({flag});
        recorder.ran.clear();
        RunCleaning(session, table);
        // The plugins run every time, just before index.dat.
        Texts expected = cleaners;
        expected.insert(flag == &S::IndexDatFiles ? expected.begin() : expected.end(), "plugins");
        EXPECT_EQ(recorder.ran, expected) << testing::PrintToString(cleaners);
        all.insert(all.end(), cleaners.begin(), cleaners.end());
    }
    all.insert(all.end() - 1, "plugins");
    for (const auto& row : rows) session.settings.*row.first = "1";
    recorder.ran.clear();
    EXPECT_EQ(RunCleaning(session, table), RunOutcome::Completed);
    EXPECT_EQ(recorder.ran, all);
}

TEST_F(RunFixture, AnAbortSkipsTheRestButThePluginsAndTheCookieLists)
{
    RecordingTable recorder;
    const RunTable table = recorder.Make();
    const auto abort = [](Session& s) { s.run.abort = true; };
    OnlyCategories({&AppSettings::RunHistory, &AppSettings::NetHistory, &AppSettings::NetCookies,
                    &AppSettings::Clipboard, &AppSettings::IndexDatFiles});
    session.settings.FileFind = "1 "; // not exactly "1": off
    session.run.spaceSaved = 99; // left over from an earlier run
    RunOutcome nested = RunOutcome::Completed;
    recorder.act["run"] = [](Session& s) { s.run.files += 3; };
    recorder.act["plugins"] = [&](Session& s) { nested = StartCleaning(s, {}); };

    // Stopped in the browser history: Netscape's history and every later category are skipped.
    recorder.act["ie history"] = abort;
    EXPECT_EQ(RunCleaning(session, table), RunOutcome::Aborted);
    EXPECT_EQ(recorder.ran, (Texts{"run", "browser history", "ie history", "plugins"}));
    EXPECT_EQ(Tasks(), Texts{"Testing : *****Aborted by user*******"});
    EXPECT_TRUE(!session.run.abort && !session.run.live && nested == RunOutcome::Ignored);
    EXPECT_EQ(host.events, (Texts{"started", "finished"}));

    // Stopped in the cookies: Netscape's cache is skipped, the cookie lists are still refilled.
    recorder.act.erase("ie history");
    recorder.act["cookies"] = abort;
    recorder.ran.clear();
    RunCleaning(session, table);
    EXPECT_EQ(recorder.ran,
              (Texts{"run", "browser history", "ie history", "netscape history", "cookies", "load cookies", "plugins"}));

    // The next run starts from zero and, without an abort, ends with the summary.
    recorder.act.erase("cookies");
    session.run.live = true;
    EXPECT_EQ(RunCleaning(session, table), RunOutcome::Completed);
    EXPECT_EQ(Last(), "Finished :- Space saved : 0 MB, Files : 3,Registory keys : 0, time taken : 0:0:0|");

    // Only an enabled schedule with a period is armed again.
    for (const auto& [enabled, minutes] : {std::make_pair("1", "1"), std::make_pair("0", "1"), std::make_pair("1", "0")}) {
        session.settings.NoSchedule = enabled;
        session.settings.ScheduleMinutes = minutes;
        RunCleaning(session, {});
        EXPECT_EQ(host.events.back(), std::string(enabled) + minutes == "11" ? "finished, rearm" : "finished");
    }
}

TEST_F(RunFixture, StartCleaningSavesEverythingAndGoesLive)
{
    test::ScratchKey runKey(kRunMruKey);
    OnlyCategories({&AppSettings::RunHistory}); // a live run would empty the shared temporary folder too
    session.safeLists.typedUrls.safe.Add("http://kept.example/");

    EXPECT_EQ(StartCleaning(session), RunOutcome::Completed);
    EXPECT_EQ(host.events.front(), "status tab");
    EXPECT_TRUE(session.run.live);
    EXPECT_EQ(store.Get(kSectionErase, "RecBin", "?") + store.Get(kSectionStartup, "LoadStartup", "?"), "00");
    EXPECT_EQ(test::ReadFileBytes(folder.File(kSafeUrlsFile)), "http://kept.example/\r\n");
    EXPECT_EQ(Tasks().front(), "Run History Cleared ");

    // The start-up entry follows LoadStartup; only "1" arms it.
    for (const char* flag : {"1", "2"}) {
        session.settings.LoadStartup = flag;
        SaveAllSettings(session);
        EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, kRunKeyPath, "Sweepora - 2.0"),
                  flag == std::string("1") ? "\"" + session.exePath + "\" m" : "");
    }
}

TEST_F(RunFixture, AKeepListThatCannotBeReadStopsStartCleaningWithABoxAndErasesNothing)
{
    test::ScratchKey typed(kTypedUrlsKey);
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", "http://canary.example/");
    const std::string list = folder.File(kSafeUrlsFile);
    test::WriteFileBytes(list, "http://canary.example/\r\n");
    OnlyCategories({&AppSettings::NetTypedUrls});
    {
        const UniqueFile held(::CreateFileA(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        LoadTypedUrls(session.safeLists.typedUrls, session.ListFolders(), nullptr);
        EXPECT_EQ(StartCleaning(session), RunOutcome::Refused);
        EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), Texts{"url1"});
        ASSERT_EQ(desktop.asked.size(), 1u);
        EXPECT_EQ(desktop.asked[0].title, "Safe Lists");
        EXPECT_NE(desktop.asked[0].prompt.find(list), std::string::npos);
        // The save before the run left the file alone; the run said why it did not start.
        EXPECT_EQ(Tasks(), (Texts{kSafeListsTask, kSafeListsTask}));
        EXPECT_EQ(session.log.Lines()[1].status, "Not read: " + list + "; nothing was cleaned");
        EXPECT_FALSE(session.run.running);
    }
    EXPECT_EQ(test::ReadFileBytes(list), "http://canary.example/\r\n");
    // Released: the next run reads the list again and keeps what it names.
    EXPECT_EQ(StartCleaning(session), RunOutcome::Completed);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), Texts{"url1"});
    EXPECT_EQ(desktop.asked.size(), 1u);
}

TEST_F(RunFixture, AbortAsksFirstAndStopsTheTypedUrlWalk)
{
    AbortCleaning(session); // the question's wording is the window tests'
    EXPECT_TRUE(desktop.asked.size() == 1 && !session.run.abort);

    // Confirmed at the first yield of the typed-URL cleaner: the value being looked at
    // goes, the rest stay, and the run ends with the abort line.
    test::ScratchKey typed(kTypedUrlsKey);
    for (const char* name : {"url1", "url2", "url3"})
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, name, std::string("http://") + name + ".example/");
    test::WriteFileBytes(folder.File(kSafeUrlsFile), "http://elsewhere.example/\r\n");
    session.safeLists.typedUrls.safe.Add("http://elsewhere.example/");
    OnlyCategories({&AppSettings::NetTypedUrls});
    desktop.answer = IDYES;
    host.onYield = [&] {
        host.onYield = nullptr;
        AbortCleaning(session);
    };
    session.run.live = true;
    EXPECT_EQ(RunCleaning(session), RunOutcome::Aborted);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), (Texts{"url2", "url3"}));
    EXPECT_EQ(Tasks(), (Texts{"Internet typed Urls ", kAbortedByUser}));
    EXPECT_EQ(session.log.Lines()[0].status, "**Aborted**");
}
