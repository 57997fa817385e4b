// The registry walker and deletes through their public doors, on the real registry: other
// users' hives, registry links, wildcard keys and a built-in cleaner's key.
#include "erasure/PlaceGuard.h"
#include "erasure/RegistryKeyCleaning.h"
#include "erasure/TargetEraser.h"
#include "platform/TaskScheduler.h"
#include "platform/UniqueHandle.h"

#include "support/TestSupport.h"

#include <algorithm>

using namespace sweepora;
using test::Texts;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
constexpr const char* kKeys = "Software\\SweeporaTests\\Walk";
const std::string kHkcu = std::string("HKEY_CURRENT_USER\\") + kKeys;

std::string Sub(const std::string& name) { return std::string(kKeys) + "\\" + name; }

struct RegistryWalk : test::SessionFixture {
    test::ScratchKey keys{kKeys};
    const PlaceGuard guard{CurrentProtectedPlaces()};

    // Carries out the target as a definition's entry would; true when it was refused whole.
    bool Erase(RegistryAction action, const std::string& key, const std::string& value = {})
    {
        EraseContext context = session.Erasure();
        return EraseRegistryTarget(context, {action, key, value, key + (value.empty() ? "" : "|" + value)}, {}, guard) ==
               TargetEnd::Refused;
    }
    // The log's "Refused: " lines as "task|why", in a preview as in a run.
    Texts Refusals() const
    {
        Texts lines;
        for (const LogLine& l : session.log.Lines()) {
            const std::string task = l.task.rfind(kTestingPrefix, 0) == 0 ? l.task.substr(std::string(kTestingPrefix).size()) : l.task;
            if (l.status.rfind("Refused: ", 0) == 0) lines.push_back(task + "|" + l.status.substr(9));
        }
        return lines;
    }
};

} // namespace

TEST_F(RegistryWalk, OtherUsersHivesAreRefusedWholeAndOnlyThisUsersOwnGoes)
{
    const std::string sid = CurrentUserSid(), path = "Software\\SweeporaTests\\Hive";
    ASSERT_FALSE(sid.empty());
    test::ScratchKey own{path}, byDefault{".DEFAULT\\" + path, HKEY_USERS};
    test::WriteString(kCu, path, "canary", "own");
    test::WriteString(HKEY_USERS, ".DEFAULT\\" + path, "canary", "default profile");

    session.run.live = true;
    const struct {
        RegistryAction action;
        std::string key, value, why;
    } refused[] = {
        {RegistryAction::DeleteKey, "HKEY_USERS\\.DEFAULT\\" + path, "", "another user's hive"},
        {RegistryAction::DeleteValue, "HKEY_USERS\\*\\" + path, "canary", "a wildcard may not stand for a user's hive"},
        {RegistryAction::DeleteValue, "HKEY_USERS\\?*\\" + path, "canary", "a wildcard may not stand for a user's hive"},
        {RegistryAction::DeleteKey, "HKEY_USERS\\S-1-5-18\\" + path, "", "another user's hive"},
        {RegistryAction::DeleteKey, "HKEY_USERS\\S-1-5-21-1-2-3-1001\\" + path, "", "another user's hive"},
        {RegistryAction::DeleteKey, "HKEY_USERS\\S-1-5-21-1-2-3-1001_Classes\\SweeporaTests", "", "another user's hive"},
        {RegistryAction::DeleteSubkeys, "HKEY_USERS", "", "the hives of every user"},
    };
    for (const auto& r : refused) {
        session.log.Clear();
        EXPECT_TRUE(Erase(r.action, r.key, r.value)) << r.key;
        const Texts lines = Refusals();
        ASSERT_EQ(lines.size(), 1u) << r.key;
        EXPECT_NE(lines[0].find(r.why), std::string::npos) << lines[0];
    }
    EXPECT_EQ(test::ValueNames(HKEY_USERS, ".DEFAULT\\" + path), Texts{"canary"});
    EXPECT_EQ(test::ValueNames(kCu, path), Texts{"canary"});
    EXPECT_EQ(session.run.registryKeys, 0);

    // This user's hive under its SID, in any case, is HKCU.
    session.log.Clear();
    std::string lower = sid;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
    EXPECT_FALSE(Erase(RegistryAction::DeleteValue, "HKEY_USERS\\" + lower + "\\" + path, "canary"));
    EXPECT_TRUE(Refusals().empty());
    EXPECT_TRUE(test::ValueNames(kCu, path).empty());
    EXPECT_EQ(session.run.registryKeys, 1);
}

TEST_F(RegistryWalk, ARegistryLinkIsRefusedAndWhatItPointsAtStays)
{
    test::WriteString(kCu, Sub("Target"), "canary", "kept");
    test::WriteString(kCu, Sub("Target\\Inner"), "canary", "kept");
    const test::RegistryLink link(Sub("Link"), Sub("Target"));
    const test::RegistryLink held(Sub("Holder\\Link"), Sub("Target"));
    ASSERT_EQ(test::ValueNames(kCu, Sub("Link\\Inner")), Texts{"canary"}); // the link works

    for (const bool live : {false, true}) {
        session.run.live = live;
        session.log.Clear();
        EXPECT_TRUE(Erase(RegistryAction::DeleteKey, kHkcu + "\\Link"));
        EXPECT_TRUE(Erase(RegistryAction::DeleteAllValues, kHkcu + "\\Link"));
        EXPECT_TRUE(Erase(RegistryAction::DeleteKey, kHkcu + "\\Link\\Inner"));       // lies through the link
        EXPECT_TRUE(Erase(RegistryAction::DeleteValue, kHkcu + "\\L*\\Inner", "canary")); // a wildcard reaches it
        const std::string why = kHkcu + "\\Link is a registry link, and a link is never gone through or erased";
        EXPECT_EQ(Refusals(), (Texts{kHkcu + "\\Link|" + why, kHkcu + "\\Link|" + why, kHkcu + "\\Link\\Inner|" + why,
                                     kHkcu + "\\L*\\Inner|canary|" + why}));

        // A built-in cleaner's key that is a link: the same refusal, and nothing counted.
        session.log.Clear();
        EraseContext context = session.Erasure();
        const KeyCleaned cleaned = CleanRegistryKey(context, {kCu, Sub("Link"), KeyCleaning::Kind::Values, false, nullptr});
        EXPECT_EQ(cleaned.keys + cleaned.removed, 0);
        ASSERT_EQ(cleaned.failures.size(), 1u);
        EXPECT_EQ(cleaned.failures[0].kind, RegistryFailure::Kind::Link);
        EXPECT_EQ(Refusals().size(), 1u);
    }
    EXPECT_EQ(session.run.registryKeys, 0);
    EXPECT_EQ(test::ValueNames(kCu, Sub("Target")), Texts{"canary"});
    EXPECT_EQ(test::ValueNames(kCu, Sub("Target\\Inner")), Texts{"canary"});
    EXPECT_TRUE(test::KeyExists(kCu, Sub("Link")));

    // A link inside a tree that goes whole goes as a link, never followed.
    session.log.Clear();
    EXPECT_FALSE(Erase(RegistryAction::DeleteKey, kHkcu + "\\Holder"));
    EXPECT_TRUE(Refusals().empty());
    EXPECT_FALSE(test::KeyExists(kCu, Sub("Holder")));
    EXPECT_EQ(test::ValueNames(kCu, Sub("Target\\Inner")), Texts{"canary"});
    EXPECT_EQ(session.run.registryKeys, 1);
}

TEST_F(RegistryWalk, WildcardKeysAreExpandedAsTheyAreOpenedAndEachIsJudged)
{
    for (const char* app : {"One", "two", "Three", "Other"})
        test::WriteString(kCu, Sub(std::string("Apps\\") + app + "\\Recent"), "file", app);
    test::WriteString(kCu, Sub("Apps\\Three\\Settings"), "kept", "1");

    // A preview counts each key the pattern stands for and deletes nothing.
    EXPECT_FALSE(Erase(RegistryAction::DeleteKey, kHkcu + "\\apps\\T*\\RECENT"));
    EXPECT_EQ(session.run.registryKeys, 2);
    session.run.live = true;
    session.run.registryKeys = 0;
    EXPECT_FALSE(Erase(RegistryAction::DeleteKey, kHkcu + "\\apps\\T*\\RECENT"));
    EXPECT_EQ(session.run.registryKeys, 2);
    EXPECT_FALSE(test::KeyExists(kCu, Sub("Apps\\two\\Recent")) || test::KeyExists(kCu, Sub("Apps\\Three\\Recent")));
    EXPECT_TRUE(test::KeyExists(kCu, Sub("Apps\\One\\Recent")) && test::KeyExists(kCu, Sub("Apps\\Three\\Settings")));

    // No wildcard chooses a key that goes whole, nor a root; a missing part matches nothing.
    session.log.Clear();
    EXPECT_TRUE(Erase(RegistryAction::DeleteKey, kHkcu + "\\Apps\\*"));
    EXPECT_TRUE(Erase(RegistryAction::DeleteKey, "HKEY_*\\Software\\SweeporaTests"));
    EXPECT_FALSE(Erase(RegistryAction::DeleteKey, kHkcu + "\\Missing\\*\\Recent"));
    EXPECT_EQ(Refusals(), (Texts{kHkcu + "\\Apps\\*|a wildcard in the last part of a key would choose what goes whole",
                                 "HKEY_*\\Software\\SweeporaTests|a wildcard may not stand for a registry root"}));
    EXPECT_EQ(test::ValueNames(kCu, Sub("Apps\\One\\Recent")), Texts{"file"});

    // Each key a wildcard stands for is judged on its own: the protected ones stay.
    const std::string canary = "SweeporaWalkCanary";
    for (const char* key : {"Software\\Policies", "Software\\Classes", "Software\\SweeporaTests"})
        test::WriteString(kCu, key, canary, "1");
    session.log.Clear();
    EXPECT_FALSE(Erase(RegistryAction::DeleteValue, "HKEY_CURRENT_USER\\Software\\*", canary));
    const Texts refusals = Refusals();
    for (const char* key : {"Policies", "Classes"}) {
        const std::string shown = "deleting the value \"" + canary + "\" of HKEY_CURRENT_USER\\Software\\" + key + ":";
        EXPECT_EQ(std::count_if(refusals.begin(), refusals.end(),
                                [&](const std::string& l) { return l.find(shown) != std::string::npos; }),
                  1)
            << key;
        EXPECT_EQ(test::ValueNames(kCu, std::string("Software\\") + key), Texts{canary}) << key;
        UniqueKey k;
        ::RegOpenKeyExA(kCu, (std::string("Software\\") + key).c_str(), 0, KEY_SET_VALUE, k.put());
        ::RegDeleteValueA(k.get(), canary.c_str());
    }
    EXPECT_EQ(test::ValueNames(kCu, "Software\\SweeporaTests"), Texts{});
}
