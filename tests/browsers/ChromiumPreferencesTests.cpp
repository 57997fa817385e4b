#include "browsers/ChromiumPreferences.h"
#include "erasure/FileReplace.h"

#include "BrowserBoxTesting.h"

#include <cstdio>
#include <tuple>

using namespace sweepora;

namespace {

// A Preferences file as Chromium 156 writes it, cut into the entries that go and the rest.
// Numbers, escapes and UTF-8 are spelt as no JSON library would write them back.
const std::string kGoneMedia =
    R"("https://gone-media.example:443,*":{"last_modified":"13441193711308340","setting":{"hasHighScore":false,"lastMediaPlaybackTime":0.0,"mediaPlaybacks":1,"visits":2}},)";
const std::string kGoneSites =
    R"("chrome://omnibox-popup.top-chrome/,*":{"last_modified":"13441193690244205","setting":{"lastEngagementTime":1.344119369024418e+16,"rawScore":4.5}},"http://127.0.0.1:8765,*":{"setting":{"rawScore":4.5}},)";
const std::string kGoneSuggest = R"("cachedresults":")]}'\n[\"\",[\"suggestsecret\"]]",)";
const std::string kGoneWithUrl = R"("https://gone.example/page":"[\"withurlsecret\"]",)";

struct Cut {
    bool media = true, sites = true, suggest = true, withUrl = true;
};

std::string Preferences(const std::string& macs, Cut left)
{
    return R"({"account_tracker_service_last_update":"13441193690091143","browser":{"window_placement":{"bottom":850,"left":-0.5e-7}},"profile":{"content_settings":{"exceptions":{"has_migrated_local_network_access":true,"media_engagement":{)" +
           (left.media ? kGoneMedia : "") +
           R"("https://kept.example:443,*":{"last_modified":"1","setting":{"visits":9}}},"site_engagement":{)" +
           (left.sites ? kGoneSites : "") +
           R"("https://[*.]kept.example,*":{"setting":{"rawScore":15.0}}}},"pref_version":1},"name":"Café \u003Cwork>"},"protection":{"macs":)" +
           macs + R"(},"zerosuggest":{)" + (left.suggest ? kGoneSuggest : "") + R"("cachedresults_with_url":{)" +
           (left.withUrl ? kGoneWithUrl : "") + R"("https://kept.example/page":"[\"kept answer\"]"}}})";
}

const std::string kPlainMacs = R"({"homepage":"B1E9FE81","homepage_encrypted_hash":"djEwXI82"})";

struct ChromiumPreferencesFixture : test::SessionFixture {
    std::string dir = folder.File("User Data\\Default"), path = dir + "\\Preferences";
    BrowserProfile profile = test::MakeProfile(BrowserId::Chrome, dir);

    StoreOutcome Clean(bool live)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        return CleanChromiumPreferences(
            context, profile, [](const std::string& url) { return url.rfind("https://kept.example", 0) == 0; });
    }

    // Nothing beside Preferences: no copy set aside or half-written is left.
    bool OnlyPreferences() const { return test::TakeFolder(dir).size() == 1 && test::Exists(path); }
};

} // namespace

TEST_F(ChromiumPreferencesFixture, VisitedSitesGoAndEveryOtherByteStays)
{
    test::WriteFileBytes(path, Preferences(kPlainMacs, {}));
    const StoreOutcome preview = Clean(false);
    EXPECT_EQ(test::ReadFileBytes(path), Preferences(kPlainMacs, {}));
    EXPECT_EQ(preview.rows, 5);

    const StoreOutcome outcome = Clean(true);
    EXPECT_EQ(outcome.store + "|" + std::to_string(outcome.rows) + "|" + outcome.problem + outcome.unknown,
              "Preferences|5|");
    EXPECT_EQ(test::ReadFileBytes(path), Preferences(kPlainMacs, {false, false, false, false}));
    EXPECT_TRUE(OnlyPreferences());
    // The old bytes went through the eraser (no passes chosen here).
    bool erased = false;
    for (const LogLine& line : session.log.Lines())
        erased = erased || line.task == path + ".sweepora-old deleted, not overwritten";
    EXPECT_TRUE(erased);

    // Nothing left to remove: the file is not rewritten.
    session.log.Clear();
    EXPECT_EQ(Clean(true).rows, 0);
    EXPECT_TRUE(session.log.Lines().empty());
}

TEST_F(ChromiumPreferencesFixture, ListsGuardedByAMacStayWhole)
{
    // Guarded in Preferences itself (as on Linux), and through Secure Preferences' account values.
    const std::string macs =
        R"({"homepage":"B1E9FE81","profile":{"content_settings":{"exceptions":{"media_engagement":"A1B2"}}}})";
    test::WriteFileBytes(path, Preferences(macs, {}));
    test::WriteFileBytes(
        dir + "\\Secure Preferences",
        R"({"protection":{"macs":{"account_values":{"zerosuggest":{"cachedresults_with_url":"C3D4"}}},"super_mac":"E5"}})");
    const StoreOutcome outcome = Clean(true);
    EXPECT_EQ(outcome.problem, "");
    EXPECT_EQ(outcome.rows, 3);
    EXPECT_EQ(outcome.unknown, "left alone (guarded by a MAC): profile.content_settings.exceptions.media_engagement, "
                               "zerosuggest.cachedresults_with_url");
    EXPECT_EQ(test::ReadFileBytes(path), Preferences(macs, {true, false, false, true}));
}

TEST_F(ChromiumPreferencesFixture, ABrokenTooLargeOrUnguardableFileIsLeftAsItWas)
{
    const std::string broken =
        R"({"profile":{"content_settings":{"exceptions":{"site_engagement":{"http://a.example,*":)";
    const std::string huge = Preferences(kPlainMacs, {}) + std::string(33u << 20, ' ');
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"Preferences", broken, "Preferences is not valid JSON"},
        {"Preferences", huge, "Preferences cannot be read (it is larger than 32 MB)"},
        {"Secure Preferences", broken,
         "Secure Preferences is not valid JSON, so the keys it guards cannot be told apart"}};
    for (const auto& [file, text, reason] : cases) {
        SCOPED_TRACE(reason);
        test::WriteFileBytes(path, Preferences(kPlainMacs, {}));
        test::WriteFileBytes(dir + "\\" + file, text);
        const std::string before = test::ReadFileBytes(path);
        for (bool live : {false, true}) {
            const StoreOutcome outcome = Clean(live);
            EXPECT_EQ(outcome.problem, reason);
            EXPECT_EQ(outcome.rows, 0);
            EXPECT_EQ(test::ReadFileBytes(path), before);
        }
        std::remove((dir + "\\Secure Preferences").c_str());
    }
}

TEST_F(ChromiumPreferencesFixture, AnInterruptedReplaceIsPutRightBeforeTheEdit)
{
    // Stopped between the two moves: the original set aside, a finished new copy beside it.
    test::WriteFileBytes(path + ".sweepora-old", Preferences(kPlainMacs, {}));
    test::WriteFileBytes(path + ".sweepora-new", Preferences(kPlainMacs, {true, false, true, true}));
    StoreOutcome outcome = Clean(true);
    EXPECT_EQ(outcome.problem + std::to_string(outcome.rows), "5");
    EXPECT_EQ(test::ReadFileBytes(path), Preferences(kPlainMacs, {false, false, false, false}));
    EXPECT_TRUE(OnlyPreferences());

    // Stopped before the old copy was erased: only the leftover goes.
    test::WriteFileBytes(path + ".sweepora-old", Preferences(kPlainMacs, {}));
    outcome = Clean(true);
    EXPECT_EQ(outcome.rows, 0);
    EXPECT_EQ(test::ReadFileBytes(path), Preferences(kPlainMacs, {false, false, false, false}));
    EXPECT_TRUE(OnlyPreferences());
}

TEST_F(ChromiumPreferencesFixture, AFileChangedOrHeldMeanwhileIsNotReplaced)
{
    test::WriteFileBytes(path, Preferences(kPlainMacs, {}));
    session.run.live = true;
    EraseContext context = session.Erasure();
    ReplaceOutcome replaced = ReplaceFileBytes(context, LongPath(path), "what the caller read", "{}");
    EXPECT_FALSE(replaced.replaced);
    EXPECT_EQ(replaced.problem, "it changed while it was being cleaned");

    // Held without sharing deletion, as a program writing it would: it cannot move aside.
    UniqueFile held(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    replaced = ReplaceFileBytes(context, LongPath(path), Preferences(kPlainMacs, {}), "{}");
    EXPECT_FALSE(replaced.replaced);
    EXPECT_NE(replaced.problem, "");
    held.reset();
    EXPECT_EQ(test::ReadFileBytes(path), Preferences(kPlainMacs, {}));
    EXPECT_TRUE(OnlyPreferences());
}

TEST_F(ChromiumPreferencesFixture, TheZoomOfSitesNotKeptGoesInEveryPartition)
{
    const auto zoom = [](bool gone) {
        const std::string goneDefault = R"("gone.example":{"last_modified":"13441193711308340","zoom_level":1.5},)";
        const std::string goneOther = R"("www.gone-too.example":{"zoom_level":-0.5},)";
        return R"({"partition":{"default_zoom_level":{"x":2.0},"per_host_zoom_levels":{"x":{)" +
               (gone ? goneDefault : "") +
               R"("www.kept.example":{"last_modified":"1","zoom_level":3.0}},"8c2f.a1":{)" + (gone ? goneOther : "") +
               R"("kept.example":{"zoom_level":1.0}}}},"profile":{"name":"Work"}})";
    };
    test::WriteFileBytes(path, zoom(true));
    session.run.live = true;
    EraseContext context = session.Erasure();
    const StoreOutcome outcome = CleanChromiumPreferences(context, profile, AddressesKept({"kept.example"}));
    EXPECT_EQ(outcome.problem + outcome.unknown, "");
    EXPECT_EQ(outcome.rows, 2);
    EXPECT_EQ(test::ReadFileBytes(path), zoom(false));
}
