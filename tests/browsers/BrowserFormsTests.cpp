#include "browsers/BrowserForms.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;

using test::Texts;

namespace {

// Entries typed into forms, and the user's saved data around them. Field and value texts that
// must go all hold "secret".
const char* const kWebDataRows = R"(
INSERT INTO meta VALUES('version','158'),('last_compatible_version','158');
INSERT INTO autofill VALUES('nickname','nicknamesecret','nicknamesecret',1796720106,1796720106,1),
  ('city','citysecret','citysecret',1796720106,1796720106,2);
INSERT INTO autocomplete VALUES('email','Email','email','labelsecret@mail.example','labelsecret@mail.example',1,1,1);
INSERT INTO autofill_sync_metadata VALUES(31729,'synckeysecret',X'0a0b'),(63951,'kept-address-guid',X'0c');
INSERT INTO addresses(guid,use_count,use_date,date_modified,label) VALUES('kept-address-guid',1,1,1,'Home');
INSERT INTO address_type_tokens(guid,type,value) VALUES('kept-address-guid',77,'1 Kept Street');
INSERT INTO credit_cards(guid,name_on_card,expiration_month,expiration_year,card_number_encrypted)
  VALUES('card-1','Kept Cardholder',1,2030,X'763130');
INSERT INTO keywords(id,short_name,keyword,favicon_url,url) VALUES(2,'Kept Engine','kept.engine','','https://engine.example/?q={searchTerms}');
INSERT INTO token_service VALUES('AccountId-kept',X'7631',X'',0);
)";

const char* const kFormHistoryRows = R"(
INSERT INTO moz_formhistory VALUES(1,'nickname','ffnicksecret',1,1796720234344000,1796720234344000,'KPyOZKNrQH'),
  (2,'searchbar-history','ffsearchsecret',3,1796720234344000,1796720234344000,'dbdR3AmxQu');
INSERT INTO moz_sources VALUES(1,'https://sourcesecret.example');
INSERT INTO moz_history_to_sources VALUES(1,1);
INSERT INTO moz_deleted_formhistory VALUES(1,1796720234344000,'kept-tombstone-guid');
)";

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
