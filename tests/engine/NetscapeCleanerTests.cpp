#include "engine/NetscapeCleaners.h"
#include "storage/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace sweepora;

namespace {

constexpr const char* kStoreRoot = "Software\\SweeporaTests\\NetscapeStore";
const std::string kAliceKey = std::string(kNetscapeUsersKey) + "\\alice";

// test::ScratchKey only serves HKEY_CURRENT_USER; the profile list lives under HKEY_LOCAL_MACHINE.
struct MachineScratchKey {
    MachineScratchKey() { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kNetscapeUsersKey); }
    ~MachineScratchKey() { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kNetscapeUsersKey); }
};

struct NetscapeFixture : ::testing::Test {
    MachineScratchKey users;
    test::ScratchKey settings{kStoreRoot};
    RegistrySettingsStore store{kStoreRoot};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};
    const std::string profile = folder.File("alice") + "\\";

    // A profile folder with nested cache, cookies, history and mail trash; DirRoot without its backslash.
    void SeedProfile(const std::string& currentUser = "alice")
    {
        test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", currentUser);
        test::WriteString(HKEY_LOCAL_MACHINE, kAliceKey, "DirRoot", folder.File("alice"));
        for (const char* sub : {"", "cache", "cache\\sub", "mail"}) ::CreateDirectoryA((profile + sub).c_str(), nullptr);
        for (const char* file : {"cache\\a.db", "cache\\sub\\b.db", "cookies.txt", "netscape.hst", "mail\\trash",
                                 "mail\\trash.nsm"})
            test::WriteFileBytes(profile + file, "0123456789");
    }
    bool Has(const std::string& name) const { return FileExists(profile + name); }
    // Empty when the log is: a wrong expectation then fails instead of crashing.
    LogLine LastLine() const { return session.log.Lines().empty() ? LogLine{} : session.log.Lines().back(); }
    std::string First() const { return session.log.Lines().empty() ? "" : session.log.Lines()[0].task; }
    bool Logged(const std::string& task) const
    {
        const auto& lines = session.log.Lines();
        return std::any_of(lines.begin(), lines.end(), [&](const LogLine& l) { return l.task == task; });
    }
};

} // namespace

TEST_F(NetscapeFixture, ProfileFolderComesFromTheTrimmedCurrentUser)
{
    EXPECT_FALSE(GetNetscapeUserDir());
    test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "");
    // No profile: only the cache and history cleaners say so.
    session.run.live = true;
    CleanNetscapeCache(session);
    CleanNetscapeHistory(session);
    CleanNetscapeMail(session);
    ASSERT_EQ(session.log.Lines().size(), 2u);
    EXPECT_EQ(First() + "|" + session.log.Lines()[0].status, "Netscape Cache/Cookies|Terminated");
    EXPECT_EQ(LastLine().task + "|" + LastLine().status, "Netscape History|Terminated");

    SeedProfile("  alice  ");
    EXPECT_EQ(GetNetscapeUserDir().value_or(""), profile);
    test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "bob"); // no DirRoot
    EXPECT_EQ(GetNetscapeUserDir().value_or(""), "\\");
}

TEST_F(NetscapeFixture, CacheIsEmptiedAndCookiesErased)
{
    SeedProfile(" alice");
    CleanNetscapeCache(session); // test mode: listed and counted only
    EXPECT_TRUE(Has("cache\\sub\\b.db") && Has("cookies.txt"));
    EXPECT_TRUE(Logged("Testing : " + profile + "cookies.txt eradicated"));
    EXPECT_EQ(LastLine().task, "Testing : Netscape Cache/Cookies");
    EXPECT_EQ(session.run.files, 3);

    session.run.live = true;
    CleanNetscapeCache(session);
    EXPECT_TRUE(Logged(profile + "cache\\sub\\"));
    EXPECT_FALSE(Has("cache\\a.db") || Has("cache\\sub") || Has("cookies.txt"));
    EXPECT_TRUE(Has("cache") && Has("netscape.hst") && Has("mail\\trash"));

    // Now the cache is empty: the cookie file's line and the cleaner's are all.
    test::WriteFileBytes(profile + "cookies.txt", "c");
    session.log.Clear();
    CleanNetscapeCache(session);
    ASSERT_EQ(session.log.Lines().size(), 2u);
    EXPECT_EQ(First(), profile + "cookies.txt eradicated");
    EXPECT_EQ(LastLine().task, "Netscape Cache/Cookies");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);
}

TEST_F(NetscapeFixture, AbortInTheCacheWalkSparesTheCookies)
{
    SeedProfile();
    session.run.live = true;
    host.onYield = [this] { session.run.abort = session.run.files >= 1; };
    CleanNetscapeCache(session);
    EXPECT_TRUE(Has("cookies.txt"));
    EXPECT_FALSE(Logged(profile + "cookies.txt **** aborted by user")); // not even handed over
    EXPECT_EQ(session.run.files, 1);
    EXPECT_EQ(LastLine().task + "|" + LastLine().status, "Netscape Cache/Cookies |**Aborted**");
}

TEST_F(NetscapeFixture, HistoryFileAndItsOwnAbortMarker)
{
    SeedProfile();
    CleanNetscapeHistory(session);
    EXPECT_TRUE(Has("netscape.hst"));
    EXPECT_EQ(First(), "Testing : " + profile + "netscape.hst eradicated");
    EXPECT_EQ(LastLine().task, "Testing : Netscape History");

    session.run.live = true;
    host.onYield = [this] { session.run.abort = true; };
    CleanNetscapeHistory(session);
    EXPECT_TRUE(Has("netscape.hst"));
    EXPECT_TRUE(Logged(profile + "netscape.hst **** aborted by user"));
    EXPECT_EQ(LastLine().status, "**Aboted**");

    host.onYield = nullptr;
    session.run.abort = false;
    CleanNetscapeHistory(session);
    EXPECT_FALSE(Has("netscape.hst"));
    EXPECT_EQ(LastLine().task, "Netscape History");
}

TEST_F(NetscapeFixture, MailTrashGoesAndAnEarlyAbortLeavesNoLine)
{
    SeedProfile();
    session.run.live = true;
    session.run.abort = true;
    CleanNetscapeMail(session);
    EXPECT_TRUE(session.log.Lines().empty());

    // Aborted after the first overwrite pass: both files stay, the mail marker differs.
    session.run.abort = false;
    session.settings.NoOverWrites = 7;
    host.yields = 0;
    host.onYield = [this] { session.run.abort = host.yields >= 2; };
    CleanNetscapeMail(session);
    EXPECT_TRUE(Has("mail\\trash") && Has("mail\\trash.nsm"));
    EXPECT_TRUE(Logged(profile + "mail\\trash.nsm **** aborted by user"));
    EXPECT_EQ(LastLine().task + "|" + LastLine().status, "Netscape mails History|**Aboted**");

    host.onYield = nullptr;
    session.run.abort = false;
    CleanNetscapeMail(session);
    EXPECT_FALSE(Has("mail\\trash") || Has("mail\\trash.nsm"));
    EXPECT_EQ(LastLine().task, "Netscape mailes History");
}

TEST_F(NetscapeFixture, MissingDirRootLooksAtTheRootOfTheCurrentDrive)
{
    // The sandbox's current drive maps a host folder: work from the prefix's C: instead.
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path().c_str()));
    test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "nobody");
    test::WriteFileBytes("\\netscape.hst", "h");
    CleanNetscapeHistory(session); // test mode: nothing on the drive is touched
    CleanNetscapeCache(session);
    ::DeleteFileA("\\netscape.hst");
    ::SetCurrentDirectoryA(previous);
    ASSERT_EQ(session.log.Lines().size(), 3u);
    EXPECT_EQ(First(), "Testing : \\netscape.hst eradicated");
    EXPECT_EQ(LastLine().task, "Testing : Netscape Cache/Cookies");
}
