#include "browsers/BrowserForms.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;

using test::Texts;

namespace {

const std::string kWebDataRows = test::TestData("forms-chromium-web-data-rows.sql");
const std::string kFormHistoryRows = test::TestData("forms-firefox-rows.sql");

struct BrowserFormsFixture : test::SessionFixture {
    std::vector<StoreOutcome> Clean(const BrowserProfile& profile, bool live)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        return CleanBrowserForms(context, profile);
    }

    StoreOutcome PreviewThenClean(const BrowserProfile& profile, const std::string& database)
    {
        const auto live = test::PreviewThenLive({database}, [&](bool l) { return Clean(profile, l); });
        EXPECT_EQ(live.size(), 1u);
        return live.empty() ? StoreOutcome{} : live[0];
    }
};

} // namespace

TEST_F(BrowserFormsFixture, FormEntriesGoFromTwoProfilesOfEachFamilyAndSavedDataStays)
{
    for (bool wal : {true, false}) {
        const std::string dir = folder.File(wal ? "User Data\\Default" : "User Data\\Profile 1");
        const BrowserProfile profile = test::MakeProfile(BrowserId::Chrome, dir);
        const std::string webData = dir + "\\Web Data";
        test::CreateDatabase(webData, std::string(test::kChromiumWebDataSchema) + kWebDataRows, wal);
        test::WriteFileBytes(dir + "\\Login Data", "kept passwords nicknamesecret");

        const StoreOutcome outcome = PreviewThenClean(profile, webData);
        EXPECT_EQ(outcome.store + "|" + std::to_string(outcome.rows), "Web Data|4");
        for (const char* gone : {"nicknamesecret", "citysecret", "labelsecret", "synckeysecret"})
            EXPECT_FALSE(test::DatabaseHolds(webData, gone)) << gone;
        EXPECT_EQ(test::QueryRows(webData, "SELECT model_type, storage_key FROM autofill_sync_metadata"),
                  (Texts{"63951|kept-address-guid"}));
        EXPECT_EQ(test::QueryRows(webData, "SELECT value FROM address_type_tokens"), (Texts{"1 Kept Street"}));
        EXPECT_EQ(test::QueryRows(webData, "SELECT name_on_card, hex(card_number_encrypted) FROM credit_cards"),
                  (Texts{"Kept Cardholder|763130"}));
        EXPECT_EQ(test::QueryRows(webData, "SELECT short_name FROM keywords"), (Texts{"Kept Engine"}));
        EXPECT_EQ(test::QueryRows(webData, "SELECT service FROM token_service"), (Texts{"AccountId-kept"}));
        EXPECT_EQ(test::ReadFileBytes(dir + "\\Login Data"), "kept passwords nicknamesecret");
    }
    for (bool wal : {true, false}) {
        const std::string dir = folder.File(wal ? "Profiles\\a1.default" : "Profiles\\b2.work");
        const BrowserProfile profile = test::MakeProfile(BrowserId::Firefox, dir);
        const std::string forms = dir + "\\formhistory.sqlite";
        test::CreateDatabase(forms, std::string(test::kFirefoxFormHistorySchema) + kFormHistoryRows, wal);

        const StoreOutcome outcome = PreviewThenClean(profile, forms);
        // Two entries, a source and its link.
        EXPECT_EQ(outcome.store + "|" + std::to_string(outcome.rows), "formhistory.sqlite|4");
        for (const char* gone : {"ffnicksecret", "ffsearchsecret", "sourcesecret"})
            EXPECT_FALSE(test::DatabaseHolds(forms, gone)) << gone;
        EXPECT_EQ(test::QueryRows(forms, "SELECT guid FROM moz_deleted_formhistory"), (Texts{"kept-tombstone-guid"}));
    }
}

TEST_F(BrowserFormsFixture, HeldDamagedAndUnknownDatabasesAreLeftAsTheyWere)
{
    const std::string webData = folder.File("User Data\\Default\\Web Data");
    const std::string forms = folder.File("Profiles\\a1.default\\formhistory.sqlite");
    const BrowserProfile chrome = test::MakeProfile(BrowserId::Chrome, folder.File("User Data\\Default"));
    const BrowserProfile firefox = test::MakeProfile(BrowserId::Firefox, folder.File("Profiles\\a1.default"));
    test::CreateDatabase(webData, std::string(test::kChromiumWebDataSchema) + kWebDataRows);
    test::CreateDatabase(forms, std::string(test::kFirefoxFormHistorySchema) + kFormHistoryRows);
    test::ExpectBadDatabasesLeftAlone(session.run, webData, "Web Data", "autofill",
                                      [&](bool live) { return Clean(chrome, live); });
    test::ExpectBadDatabasesLeftAlone(session.run, forms, "formhistory.sqlite", "moz_formhistory",
                                      [&](bool live) { return Clean(firefox, live); });
}
