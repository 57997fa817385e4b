#include "browsers/BrowserTypedUrls.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;

using test::Texts;

namespace {

const char* const kKept = "https://kept.example/page";

// Typed (0x32000001: typed, from the address bar), searched from the address bar and followed visits of a kept, a
// typed, a linked and a searched address, and the search terms typed.
const char* const kHistoryRows = R"(
INSERT INTO meta VALUES('version','70');
INSERT INTO urls VALUES(1,'https://kept.example/page','Kept title',3,2,1,0),
  (2,'https://typed.example/secret-path','Typed title',2,2,2,0),(3,'https://linked.example/','Linked title',1,0,3,0),
  (4,'https://search.example/?q=typed+wish','typed wish - Search',1,1,4,0);
INSERT INTO visits(id,url,visit_time,transition) VALUES(1,1,1,838860801),(2,2,2,838860801),(3,2,3,805306368),
  (4,3,4,0),(5,4,5,838860805);
INSERT INTO keyword_search_terms VALUES(2,4,'Typed Wish','typed wish'),(2,1,'kept term','kept term');
)";

const char* const kShortcutsRows = R"(
INSERT INTO meta VALUES('version','2');
INSERT INTO omni_box_shortcuts VALUES('98c170ef','shortcutsecret','typed.example/secret-path','https://typed.example/secret-path',0,'typed.example/secret-path','0,1','Typed title','0,0',1,1,'',13441193711309722,2),
  ('1d2e3f40','kep','kept.example/page','https://kept.example/page',0,'kept.example/page','0,1','Kept title','0,0',1,1,'',13441193711309722,1);
)";

const char* const kPlacesRows = R"(
INSERT INTO moz_places(id,url,title,typed,frecency) VALUES(1,'https://kept.example/page','Kept title',1,100),
  (2,'https://typed.example/secret-path','Typed title',1,100),(3,'https://linked.example/','Linked title',0,50);
INSERT INTO moz_historyvisits(id,place_id,visit_date,visit_type) VALUES(1,1,1,2),(2,2,2,2),(3,2,3,1),(4,3,4,1);
INSERT INTO moz_inputhistory VALUES(1,'kep',1.0),(2,'inputsecret',1.0);
INSERT INTO moz_bookmarks(id,type,fk,title) VALUES(1,1,2,'Kept bookmark');
)";

struct BrowserTypedUrlsFixture : test::SessionFixture {
    std::vector<StoreOutcome> Clean(const BrowserProfile& profile, bool live)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        return CleanBrowserTypedUrls(context, profile, [](const std::string& url) { return url == kKept; });
    }

    std::vector<StoreOutcome> PreviewThenClean(const BrowserProfile& profile, const Texts& databases)
    {
        return test::PreviewThenLive(databases, [&](bool live) { return Clean(profile, live); });
    }
};

} // namespace

TEST_F(BrowserTypedUrlsFixture, ChromiumForgetsWhatWasTypedButKeepsTheHistoryAndTheKeptAddress)
{
    for (bool wal : {true, false}) {
        const std::string dir = folder.File(wal ? "User Data\\Default" : "User Data\\Profile 1");
        const BrowserProfile profile = test::MakeProfile(BrowserId::Chrome, dir);
        const std::string history = dir + "\\History", shortcuts = dir + "\\Shortcuts";
        test::CreateDatabase(history, std::string(test::kChromiumHistorySchema) + kHistoryRows, wal);
        test::CreateDatabase(shortcuts, std::string(test::kChromiumShortcutsSchema) + kShortcutsRows);

        const std::vector<StoreOutcome> outcomes = PreviewThenClean(profile, {history, shortcuts});
        // History: two typed counts, two typed visits, one search term.
        EXPECT_EQ(test::Summary(outcomes), (Texts{"History|5|", "Shortcuts|1|"}));

        EXPECT_EQ(test::QueryRows(history, "SELECT id, typed_count, visit_count FROM urls"),
                  (Texts{"1|2|3", "2|0|2", "3|0|1", "4|0|1"}));
        EXPECT_EQ(test::QueryRows(history, "SELECT transition FROM visits ORDER BY id"),
                  (Texts{"838860801", "805306368", "805306368", "0", "805306373"}));
        EXPECT_EQ(test::QueryRows(history, "SELECT term FROM keyword_search_terms"), (Texts{"kept term"}));
        EXPECT_FALSE(test::DatabaseHolds(history, "Typed Wish"));
        EXPECT_EQ(test::QueryRows(shortcuts, "SELECT url FROM omni_box_shortcuts"), (Texts{kKept}));
        for (const char* gone : {"shortcutsecret", "typed.example"})
            EXPECT_FALSE(test::DatabaseHolds(shortcuts, gone)) << gone;
    }
}

TEST_F(BrowserTypedUrlsFixture, FirefoxLosesInputHistoryAndTypedFlagsOfAllButTheKeptAddress)
{
    for (bool modern : {true, false}) {
        const std::string dir = folder.File(modern ? "Profiles\\a1.default" : "Profiles\\b2.old");
        const BrowserProfile profile = test::MakeProfile(BrowserId::Firefox, dir);
        const std::string places = dir + "\\places.sqlite";
        test::CreateDatabase(places, test::FirefoxPlacesSchema(modern) + kPlacesRows, modern);

        const std::vector<StoreOutcome> outcomes = PreviewThenClean(profile, {places});
        EXPECT_EQ(test::Summary(outcomes), Texts{"places.sqlite|3|"}); // an input, a typed flag, a typed visit
        EXPECT_EQ(test::QueryRows(places, "SELECT id, typed FROM moz_places"), (Texts{"1|1", "2|0", "3|0"}));
        EXPECT_EQ(test::QueryRows(places, "SELECT visit_type FROM moz_historyvisits ORDER BY id"),
                  (Texts{"2", "1", "1", "1"}));
        EXPECT_EQ(test::QueryRows(places, "SELECT input FROM moz_inputhistory"), (Texts{"kep"}));
        EXPECT_FALSE(test::DatabaseHolds(places, "inputsecret"));
        EXPECT_EQ(test::QueryRows(places, "SELECT title FROM moz_bookmarks"), (Texts{"Kept bookmark"}));
        if (modern) {
            EXPECT_EQ(test::QueryRows(places, "SELECT id FROM moz_places WHERE recalc_frecency = 1"), (Texts{"2"}));
        }
    }
}

TEST_F(BrowserTypedUrlsFixture, HeldDamagedAndUnknownDatabasesAreLeftAsTheyWere)
{
    const std::string dir = folder.File("User Data\\Default");
    const std::string places = folder.File("Profiles\\a1.default\\places.sqlite");
    const BrowserProfile chrome = test::MakeProfile(BrowserId::Chrome, dir);
    const BrowserProfile firefox = test::MakeProfile(BrowserId::Firefox, folder.File("Profiles\\a1.default"));
    test::CreateDatabase(dir + "\\History", std::string(test::kChromiumHistorySchema) + kHistoryRows);
    test::CreateDatabase(dir + "\\Shortcuts", std::string(test::kChromiumShortcutsSchema) + kShortcutsRows);
    test::CreateDatabase(places, test::FirefoxPlacesSchema(true) + kPlacesRows);
    const auto box = [&](bool live) { return Clean(chrome, live); };
    test::ExpectBadDatabasesLeftAlone(session.run, dir + "\\History", "History", "urls", box);
    test::ExpectBadDatabasesLeftAlone(session.run, dir + "\\Shortcuts", "Shortcuts", "omni_box_shortcuts", box);
    test::ExpectBadDatabasesLeftAlone(session.run, places, "places.sqlite", "moz_places",
                                      [&](bool live) { return Clean(firefox, live); });
}
