#include "engine/NetscapeCleaners.h"
#include "platform/ErrorText.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"

#include "support/TestSupport.h"

using namespace sweepora;

namespace {

struct NetscapeFixture : test::SessionFixture {
    test::ScratchKey users{kNetscapeUsersKey, HKEY_LOCAL_MACHINE};
    const std::string profile = folder.File("alice") + "\\";

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
};

} // namespace

TEST_F(NetscapeFixture, NoProfileOrNoDirRoot)
{
    test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "");
    EXPECT_FALSE(GetNetscapeUserDir());
    // A profile without a usable DirRoot is no profile: never the root of a drive.
    test::WriteString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser", "bob");
    const std::string bob = std::string(kNetscapeUsersKey) + "\\bob";
    for (const std::string& dirRoot : {std::string("-"), std::string(""), std::string("relative\\profile"),
                                       std::string("C:\\"), std::string("\\\\?\\C:\\")}) {
        if (dirRoot != "-") test::WriteString(HKEY_LOCAL_MACHINE, bob, "DirRoot", dirRoot);
        EXPECT_FALSE(GetNetscapeUserDir()) << dirRoot;
    }
    test::WriteRaw(HKEY_LOCAL_MACHINE, bob, "DirRoot", REG_EXPAND_SZ, std::string("C:\\bob\0", 7));
    EXPECT_FALSE(GetNetscapeUserDir());
    session.run.live = true;
    CleanNetscapeCache(session);
    CleanNetscapeHistory(session);
    CleanNetscapeMail(session); // says nothing
    ASSERT_EQ(Tasks(), (test::Texts{"Netscape Cache/Cookies", "Netscape History"}));
    EXPECT_EQ(session.log.Lines()[0].status + "|" + session.log.Lines()[1].status, "Terminated|Terminated");
}

TEST_F(NetscapeFixture, AbortKeepsTheFilesThenALiveRunErasesThem)
{
    SeedProfile();
    session.run.live = true;
    // Seven passes: the abort lands between the passes over the first file, which is then
    // neither erased nor counted.
    session.settings.NoOverWrites = 7;
    const struct { void (*clean)(Session&); int counted; const char *kept, *aborted, *done; } cases[] = {
        {CleanNetscapeCache, 0, "cookies.txt", "Netscape Cache/Cookies |**Aborted**", "Netscape Cache/Cookies|@"},
        {CleanNetscapeHistory, 0, "netscape.hst", "Netscape History|**Aboted**", "Netscape History|@"},
        {CleanNetscapeMail, 0, "mail\\trash", "Netscape mails History|**Aboted**", "Netscape mailes History|@"},
    };
    for (const auto& c : cases) {
        session.run.files = 0;
        host.onYield = [this] { session.run.abort = session.run.abort || session.run.files >= 1; };
        c.clean(session);
        EXPECT_TRUE(Has(c.kept)) << c.done;
        EXPECT_EQ(session.run.files, c.counted) << c.done;
        EXPECT_EQ(Last(), c.aborted);

        session.run.abort = false;
        host.onYield = nullptr;
        c.clean(session);
        EXPECT_FALSE(Has(c.kept)) << c.done;
        EXPECT_EQ(Last(), c.done);
    }
    EXPECT_TRUE(Has("cache") && !Has("cache\\a.db") && !Has("cache\\sub") && !Has("mail\\trash.nsm"));

    // With the cache empty, the cookie file's line and the cleaner's are all.
    test::WriteFileBytes(profile + "cookies.txt", "c");
    session.log.Clear();
    CleanNetscapeCache(session);
    EXPECT_EQ(Tasks(), (test::Texts{profile + "cookies.txt eradicated", "Netscape Cache/Cookies"}));

    session.log.Clear();
    session.run.abort = true;
    CleanNetscapeMail(session); // aborted before it starts: no line at all
    EXPECT_TRUE(session.log.Lines().empty());
}

TEST_F(NetscapeFixture, AFileThatStaysOrIsNotThereIsNeverCalledCleared)
{
    SeedProfile();
    session.run.live = true;
    {
        // Held by the browser: its own line says why, and the end line does not say cleared.
        UniqueFile holder(::CreateFileA((profile + "netscape.hst").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
        ASSERT_TRUE(holder);
        CleanNetscapeHistory(session);
        CleanNetscapeCache(session);
    }
    ASSERT_GE(session.log.Lines().size(), 3u);
    const LogLine& held = session.log.Lines()[0];
    EXPECT_EQ(held.task + "|" + held.status, profile + "netscape.hst|" + ErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(session.log.Lines()[1].task + "|" + session.log.Lines()[1].status,
              "Netscape History|Not cleared: 1 file stayed, each named in its own line");
    EXPECT_EQ(Last(), "Netscape Cache/Cookies|@"); // the next cleaner is not tainted
    EXPECT_TRUE(Has("netscape.hst"));

    CleanNetscapeHistory(session);
    EXPECT_EQ(Last(), "Netscape History|@");
    CleanNetscapeHistory(session);
    EXPECT_EQ(Last(), "Netscape History|Nothing to clear: there is no netscape.hst");
    CleanNetscapeMail(session);
    CleanNetscapeMail(session);
    EXPECT_EQ(Last(), "Netscape mailes History|Nothing to clear: there is no mail trash");
}
