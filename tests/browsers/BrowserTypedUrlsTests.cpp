#include "browsers/BrowserTypedUrls.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;

using test::Texts;

namespace {

const char* const kKept = "https://kept.example/page";

const std::string kHistoryRows = test::TestData("typed-chromium-history-rows.sql");
const std::string kShortcutsRows = test::TestData("typed-chromium-shortcuts-rows.sql");
const std::string kPlacesRows = test::TestData("typed-firefox-places-rows.sql");

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
