// A browser clean killed at many points between its durable steps, then run again: every
// store is as it was or as cleaned, never half, and the second run finishes the job.
#include "browsers/BrowserCookies.h"
#include "browsers/BrowserHistory.h"
#include "browsers/ChromiumWebStorage.h"
#include "erasure/FileOverwrite.h"
#include "platform/WritePoints.h"

#include "BrowserBoxTesting.h"

#include <windows.h>

using namespace sweepora;

namespace sweepora::test {
std::vector<std::pair<std::string, std::string>> ChromiumStorageData();
}

namespace {

using Entries = std::map<std::string, std::string>;

constexpr int kKillPoints = 60;
constexpr int kKilledCode = 77;

const char* const kLevelDbStores[] = {"Local Storage\\leveldb", "Session Storage", "Service Worker\\Database"};
const std::string kCookieRows = test::TestData("kill-chromium-cookie-rows.sql");
const std::string kHistoryRows = test::TestData("kill-chromium-history-rows.sql");
// What the removed site left in the profile, as Chromium wrote it.
const char* const kGoneTexts[] = {"LSVALUE_127", "SSVALUE_127", "gone-cookie-value", "127.0.0.1:8731/secret"};

int g_pointsLeft = 0;
int g_pointsPassed = 0;
void CountPoint(const char*) { ++g_pointsPassed; }
void KillAtPoint(const char*)
{
    if (--g_pointsLeft == 0) ::TerminateProcess(::GetCurrentProcess(), kKilledCode);
}

// The overwrite's writes, renames and deletes are write points too.
class PointedIo final : public EraseIo {
public:
    DWORD Write(HANDLE file, std::uint64_t offset, const char* bytes, DWORD length) const override
    {
        PassWritePoint("overwrite: a block");
        return SystemEraseIo().Write(file, offset, bytes, length);
    }
    DWORD Rename(HANDLE file, const std::wstring& name) const override
    {
        PassWritePoint("erase: rename");
        return SystemEraseIo().Rename(file, name);
    }
    DWORD Delete(HANDLE file) const override
    {
        PassWritePoint("erase: delete");
        return SystemEraseIo().Delete(file);
    }
};

class NoLog final : public EraseLog {
public:
    void AddLogEntry(const std::string&, const std::string&) noexcept override {}
};

// A Chrome profile whose every store names a kept site (localhost) and a removed one.
struct Profile {
    std::string dir;
    explicit Profile(std::string path) : dir(std::move(path))
    {
        std::filesystem::remove_all(dir);
        test::UnpackFolder(test::ChromiumStorageData(), "chromium-profile", dir);
        std::filesystem::create_directories(dir + "\\Network");
        test::CreateDatabase(dir + "\\Network\\Cookies", std::string(test::kChromiumCookiesSchema) + kCookieRows);
        test::CreateDatabase(dir + "\\History", std::string(test::kChromiumHistorySchema) + kHistoryRows);
    }

    void Clean() const
    {
        RunState run;
        run.live = true;
        NoLog log;
        const PointedIo io;
        EraseContext context{run, log, [] {}, 1, &io};
        const BrowserProfile profile = test::MakeProfile(BrowserId::Chrome, dir);
        const KeptSite kept = [](const std::string& site) { return site == "localhost"; };
        CleanChromiumCookies(context, profile, kept);
        CleanChromiumWebStorage(context, profile, kept);
        CleanChromiumHistory(context, profile,
                             [](const std::string& url) { return url.find("localhost") != std::string::npos; });
    }

    // Each store as its own reader sees it; SQLite's check must pass.
    std::map<std::string, Entries> Stores() const
    {
        std::map<std::string, Entries> stores;
        for (const char* store : kLevelDbStores) stores[store] = test::LevelDbEntries(dir + "\\" + store);
        for (const auto& [file, table] : {std::pair<const char*, const char*>{"Network\\Cookies", "cookies"},
                                          {"History", "urls"},
                                          {"History", "visits"}}) {
            EXPECT_EQ(test::QueryRows(dir + "\\" + file, "PRAGMA integrity_check", true),
                      std::vector<std::string>{"ok"});
            Entries& rows = stores[std::string(file) + ":" + table];
            for (const std::string& row :
                 test::QueryRows(dir + "\\" + file, std::string("SELECT * FROM ") + table, true))
                rows[row] = "";
        }
        return stores;
    }
};

// The point to stop at, handed to the death test's child through its environment so that
// it need not count the points again.
constexpr const char* kPointVariable = "SWEEPORA_TEST_KILL_POINT";

std::string KillFolder(int index)
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "sweepora-kill-" + std::to_string(index);
}

// How many write points a whole clean passes; the same in every process.
int PointsOfAClean()
{
    static const int points = [] {
        const Profile profile(KillFolder(-1));
        g_pointsPassed = 0;
        SetWritePointHook(CountPoint);
        profile.Clean();
        SetWritePointHook(nullptr);
        std::filesystem::remove_all(profile.dir);
        return g_pointsPassed;
    }();
    return points;
}

// Every store as a clean without a kill leaves it.
const std::map<std::string, Entries>& CleanedStores()
{
    static const std::map<std::string, Entries> cleaned = [] {
        const Profile reference(KillFolder(-2));
        reference.Clean();
        auto stores = reference.Stores();
        std::filesystem::remove_all(reference.dir);
        return stores;
    }();
    return cleaned;
}

class CleanKilled : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(CleanKilled, LeavesEveryStoreWholeAndTheNextRunFinishes)
{
    int at = std::atoi(test::EnvironmentText(kPointVariable).c_str());
    int points = 0;
    if (at == 0) {
        points = PointsOfAClean();
        ASSERT_GE(points, kKillPoints);
        at = 1 + GetParam() * points / kKillPoints;
    }
    const test::ScopedEnvironment handedOn(kPointVariable, std::to_string(at));
    const Profile profile(KillFolder(GetParam()));
    const auto original = profile.Stores();
    EXPECT_EXIT(
        {
            g_pointsLeft = at;
            SetWritePointHook(KillAtPoint);
            profile.Clean();
            ::ExitProcess(0);
        },
        ::testing::ExitedWithCode(kKilledCode), "")
        << "point " << at << " of " << points;

    const auto& cleaned = CleanedStores();
    const auto killed = profile.Stores();
    for (const auto& [store, entries] : killed)
        EXPECT_TRUE(entries == original.at(store) || entries == cleaned.at(store))
            << store << " is half cleaned after a kill at point " << at;

    profile.Clean();
    EXPECT_EQ(profile.Stores(), cleaned);
    for (const auto& [name, bytes] : test::TakeFolder(profile.dir))
        for (const char* gone : kGoneTexts) EXPECT_EQ(bytes.find(gone), std::string::npos) << gone << " in " << name;
    std::filesystem::remove_all(profile.dir);
}

INSTANTIATE_TEST_SUITE_P(AtPoints, CleanKilled, ::testing::Range(0, kKillPoints));
