#include "engine/NetscapeCleaners.h"
#include "storage/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

struct NetscapeFixture : ::testing::Test {
    RegistrySettingsStore store{"Software\\SweeporaTests\\NetscapeStore"};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};
    const std::string profile = folder.File("alice") + "\\";

    // test::ScratchKey only serves HKEY_CURRENT_USER; the profile list lives under HKEY_LOCAL_MACHINE.
    void SetUp() override { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kNetscapeUsersKey); }
    void TearDown() override { SetUp(); }
    // Nested cache, cookies, history and mail trash; a blank-padded name, a DirRoot without its backslash.
    void SeedProfile()
    {
        test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "  alice  ");
        test::WriteString(HKEY_LOCAL_MACHINE, std::string(kNetscapeUsersKey) + "\\alice", "DirRoot",
                          folder.File("alice"));
        for (const char* sub : {"", "cache", "cache\\sub", "mail"}) ::CreateDirectoryA((profile + sub).c_str(), nullptr);
        for (const char* file : {"cache\\a.db", "cache\\sub\\b.db", "cookies.txt", "netscape.hst", "mail\\trash",
                                 "mail\\trash.nsm"})
            test::WriteFileBytes(profile + file, "0123456789");
    }
    bool Has(const std::string& name) const { return FileExists(profile + name); }
    // "task|status" of a line from the end; empty when there is none, so a wrong expectation fails, not crashes.
    std::string Last(std::size_t back = 1) const
    {
        const auto& lines = session.log.Lines();
        return lines.size() < back ? "" : lines[lines.size() - back].task + "|" + lines[lines.size() - back].status;
    }
};

} // namespace

TEST_F(NetscapeFixture, NoProfileOrNoDirRoot)
{
    test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "");
    session.run.live = true;
    CleanNetscapeCache(session);
    CleanNetscapeHistory(session);
    CleanNetscapeMail(session); // says nothing
    EXPECT_EQ(session.log.Lines().size(), 2u);
    EXPECT_EQ(Last(2), "Netscape Cache/Cookies|Terminated");
    EXPECT_EQ(Last(), "Netscape History|Terminated");
    test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "bob"); // no DirRoot
    EXPECT_EQ(GetNetscapeUserDir().value_or(""), "\\");
}

TEST_F(NetscapeFixture, AbortKeepsTheFilesThenALiveRunErasesThem)
{
    SeedProfile();
    session.run.live = true;
    // Seven passes: the abort lands between the passes over the first file counted.
    session.settings.NoOverWrites = 7;
    const auto abortAfterFirstFile = [this] { session.run.abort = session.run.abort || session.run.files >= 1; };
    const struct { void (*clean)(Session&); int counted; const char *kept, *aborted, *done; } cases[] = {
        {CleanNetscapeCache, 1, "cookies.txt", "Netscape Cache/Cookies |**Aborted**", "Netscape Cache/Cookies|"},
        {CleanNetscapeHistory, 1, "netscape.hst", "Netscape History|**Aboted**", "Netscape History|"},
        {CleanNetscapeMail, 2, "mail\\trash", "Netscape mails History|**Aboted**", "Netscape mailes History|"},
    };
    for (const auto& c : cases) {
        session.run.files = 0;
        host.onYield = abortAfterFirstFile;
        c.clean(session);
        EXPECT_TRUE(Has(c.kept)) << c.done;
        EXPECT_EQ(session.run.files, c.counted) << c.done;
        EXPECT_EQ(Last(), c.aborted);

        session.run.abort = false;
        host.onYield = nullptr;
        c.clean(session);
        EXPECT_FALSE(Has(c.kept)) << c.done;
        EXPECT_EQ(Last().rfind(c.done, 0), 0u) << Last(); // then the timestamp
    }
    EXPECT_TRUE(Has("cache") && !Has("cache\\a.db") && !Has("cache\\sub") && !Has("mail\\trash.nsm"));

    // With the cache empty, the cookie file's line and the cleaner's are all.
    test::WriteFileBytes(profile + "cookies.txt", "c");
    session.log.Clear();
    CleanNetscapeCache(session);
    EXPECT_EQ(session.log.Lines().size(), 2u);
    EXPECT_EQ(Last(2).rfind(profile + "cookies.txt eradicated|", 0), 0u) << Last(2);
    EXPECT_EQ(Last().rfind("Netscape Cache/Cookies|", 0), 0u) << Last();
    EXPECT_NE(Last().find(" @ "), std::string::npos) << Last();

    session.log.Clear();
    session.run.abort = true;
    CleanNetscapeMail(session); // aborted before it starts: no line at all
    EXPECT_TRUE(session.log.Lines().empty());
}
