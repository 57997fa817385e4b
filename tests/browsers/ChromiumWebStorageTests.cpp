#include "browsers/ChromiumWebStorage.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;

namespace sweepora::test {
std::vector<std::pair<std::string, std::string>> ChromiumStorageData();
}

namespace {

using test::Snapshot;
using test::TakeFolder;
using Entries = std::map<std::string, std::string>;

// Made by Chromium 156 against two sites on the loopback: 127.0.0.1:8731 (which goes) and
// localhost:8732 (kept), the latter embedding the former in a frame.
const char* const kGoneValues[] = {"LSVALUE_127", "SECONDVAL_127", "FRAMEVAL_127", "SSVALUE_127",
                                   "FRAMESS_127", "CACHEVAL_127",  "cache_127",    "127.0.0.1:8731"};
const char* const kKeptValues[] = {"LSVALUE_localhost", "SECONDVAL_localhost", "SSVALUE_localhost", "localhost:8732"};

const char* const kLocal = "Local Storage\\leveldb";
const char* const kSession = "Session Storage";
const char* const kWorker = "Service Worker\\Database";

struct ChromiumWebStorageFixture : test::SessionFixture {
    std::string profile = folder.File("Default");

    ChromiumWebStorageFixture() { Unpack("chromium-profile", profile); }

    static void Unpack(const std::string& prefix, const std::string& dir)
    {
        test::UnpackFolder(test::ChromiumStorageData(), prefix, dir);
    }

    std::vector<StoreOutcome> Clean(bool live, const std::string& keptHost = "localhost")
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        return CleanChromiumWebStorage(context, test::MakeProfile(BrowserId::Chrome, profile),
                                       [keptHost](const std::string& site) { return site == keptHost; });
    }

    Entries Read(const char* where) const { return test::LevelDbEntries(profile + "\\" + where); }

    // In any file's bytes below the profile's folder, or beside it (aside folders), as
    // Latin-1 or as UTF-16 (Session Storage keeps its values so).
    bool FoundAnywhere(const std::string& text) const
    {
        std::string wide;
        for (const char c : text) wide += std::string{c, '\0'};
        for (const auto& [name, bytes] : TakeFolder(folder.Path()))
            if (bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos) return true;
        return false;
    }

    static std::map<std::string, std::int64_t> Rows(const std::vector<StoreOutcome>& outcomes)
    {
        std::map<std::string, std::int64_t> rows;
        for (const StoreOutcome& o : outcomes) {
            EXPECT_EQ(o.problem, "") << o.store;
            rows[o.store] = o.rows;
        }
        return rows;
    }

    static const StoreOutcome& Find(const std::vector<StoreOutcome>& outcomes, const std::string& store)
    {
        for (const StoreOutcome& o : outcomes)
            if (o.store == store) return o;
        throw std::runtime_error("no outcome for " + store);
    }
};

Entries Without(Entries entries, const std::function<bool(const std::string& key)>& gone)
{
    for (auto it = entries.begin(); it != entries.end();) it = gone(it->first) ? entries.erase(it) : std::next(it);
    return entries;
}

bool Names127(const std::string& key) { return key.find("127.0.0.1") != std::string::npos; }

// A LevelDB key of two parts joined by a NUL byte, as Chromium writes them.
std::string Nul(const std::string& a, const std::string& b) { return a + '\0' + b; }

// A registration's value as Chromium stores it: a protocol buffer of its id, scope,
// script and live version.
std::string Registration(int id, const std::string& scope, int version)
{
    std::string value;
    const auto varint = [&value](std::uint64_t n) {
        for (; n >= 0x80; n >>= 7) value += static_cast<char>((n & 0x7f) | 0x80);
        value += static_cast<char>(n);
    };
    const auto text = [&](int field, const std::string& bytes) {
        varint(static_cast<std::uint64_t>(field) << 3 | 2);
        varint(bytes.size());
        value += bytes;
    };
    varint(1 << 3);
    varint(static_cast<std::uint64_t>(id));
    text(2, scope);
    text(3, scope + "sw.js");
    varint(4 << 3);
    varint(static_cast<std::uint64_t>(version));
    return value;
}

} // namespace

TEST_F(ChromiumWebStorageFixture, RemovesOtherSitesAndKeepsTheKeptOnesByteForByte)
{
    const Entries local = Read(kLocal), sessionStore = Read(kSession), worker = Read(kWorker);
    for (const char* value : kGoneValues) ASSERT_TRUE(FoundAnywhere(value)) << value;

    const Snapshot before = TakeFolder(folder.Path());
    const auto preview = Rows(Clean(false));
    EXPECT_EQ(TakeFolder(folder.Path()), before) << "a test run changes nothing";
    // The site and its partition as a frame inside the kept site, in both storages.
    const std::map<std::string, std::int64_t> expected = {
        {"Local Storage", 2}, {"Session Storage", 2}, {"Service Worker", 1}, {"Cache Storage", 1}};
    EXPECT_EQ(preview, expected);

    EXPECT_EQ(Rows(Clean(true)), preview);
    EXPECT_EQ(Read(kLocal), Without(local, Names127));
    // Maps 0 and 2 hold the removed origins' values; map 1 is the kept one's.
    EXPECT_EQ(Read(kSession), Without(sessionStore, [](const std::string& key) {
                  return Names127(key) || key.rfind("map-0-", 0) == 0 || key.rfind("map-2-", 0) == 0;
              }));
    // Registration 0 is the removed site's, with its resource 0.
    EXPECT_EQ(Read(kWorker), Without(worker, [](const std::string& key) {
                  return Names127(key) || key == "REGID_TO_ORIGIN:0" || key.rfind(Nul("RES:0", ""), 0) == 0 ||
                         key == "URES:0" || key == "PRES:0";
              }));
    for (const char* value : kGoneValues) EXPECT_FALSE(FoundAnywhere(value)) << value;
    for (const char* value : kKeptValues) EXPECT_TRUE(FoundAnywhere(value)) << value;
    // The script cache entries are keyed by resource: 0 was the removed site's script.
    EXPECT_FALSE(std::filesystem::exists(profile + "\\Service Worker\\ScriptCache\\2cc80dabc69f58b6_0"));
    EXPECT_TRUE(std::filesystem::exists(profile + "\\Service Worker\\ScriptCache\\4cb013792b196a35_0"));
    for (const char* aside : {".sweepora-old", ".sweepora-new"})
        EXPECT_FALSE(std::filesystem::exists(profile + "\\" + kLocal + aside)) << aside;

    // Nothing left to remove: nothing is rewritten.
    const Snapshot cleaned = TakeFolder(folder.Path());
    const auto again = Rows(Clean(true));
    EXPECT_EQ(again, (std::map<std::string, std::int64_t>{
                         {"Local Storage", 0}, {"Session Storage", 0}, {"Service Worker", 0}, {"Cache Storage", 0}}));
    EXPECT_EQ(TakeFolder(folder.Path()), cleaned);
}

TEST_F(ChromiumWebStorageFixture, StoresThatCannotBeReadSafelyStayAsTheyWere)
{
    // Local Storage held open as a running browser holds it; Session Storage's log with a
    // bad checksum before its end; the service workers' database sorted by a comparator of
    // another program.
    UniqueFile lock(::CreateFileW(LongPath(profile + "\\" + kLocal + "\\LOCK").c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    OVERLAPPED at{};
    ASSERT_TRUE(::LockFileEx(lock.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at));
    const std::string log = profile + "\\" + kSession + "\\000003.log";
    std::string bytes = test::ReadFileBytes(log);
    bytes[20] = static_cast<char>(bytes[20] ^ 0x40);
    test::WriteFileBytes(log, bytes);
    const std::string worker = profile + "\\" + kWorker;
    std::filesystem::remove_all(worker);
    Unpack("leveldb-comparator", worker);

    const Snapshot before = TakeFolder(folder.Path());
    for (const bool live : {false, true}) {
        const auto outcomes = Clean(live);
        EXPECT_NE(Find(outcomes, "Local Storage").problem.find("LOCK"), std::string::npos);
        EXPECT_NE(Find(outcomes, "Session Storage").problem.find("000003.log"), std::string::npos);
        EXPECT_NE(Find(outcomes, "Service Worker").problem.find("test.OtherComparator"), std::string::npos);
        for (const char* name : {"Local Storage", "Session Storage", "Service Worker"})
            EXPECT_EQ(Find(outcomes, name).rows, 0) << name;
    }
    // Cache Storage has a reason of its own and still goes; the databases stay whole.
    const auto databases = [](Snapshot files) {
        for (auto it = files.begin(); it != files.end();)
            it = it->first.find("CacheStorage") != std::string::npos ? files.erase(it) : std::next(it);
        return files;
    };
    EXPECT_EQ(databases(TakeFolder(folder.Path())), databases(before));
    EXPECT_FALSE(FoundAnywhere("CACHEVAL_127"));
}

TEST_F(ChromiumWebStorageFixture, PutsBackWhatAnInterruptedSwapLeft)
{
    const Entries local = Read(kLocal);
    const std::string real = profile + "\\" + kLocal;
    const std::string aside = real + ".sweepora-old", fresh = real + ".sweepora-new";
    // Cut short between the renames: the old store aside, the new one half-written.
    std::filesystem::rename(real, aside);
    std::filesystem::create_directories(fresh);
    test::WriteFileBytes(fresh + "\\000002.log", "half");

    const auto preview = Rows(Clean(false));
    EXPECT_EQ(preview.at("Local Storage"), 2);
    EXPECT_TRUE(std::filesystem::exists(aside));
    EXPECT_EQ(Rows(Clean(true)), preview);
    EXPECT_FALSE(std::filesystem::exists(aside));
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(Read(kLocal), Without(local, Names127));

    // Cut short while the old store was being erased: what is left of it goes.
    std::filesystem::create_directories(aside);
    test::WriteFileBytes(aside + "\\000003.log", "LSVALUE_127 left behind");
    Clean(true);
    EXPECT_FALSE(std::filesystem::exists(aside));
    EXPECT_FALSE(FoundAnywhere("LSVALUE_127"));
    EXPECT_EQ(Read(kLocal), Without(local, Names127));
}

// Tabs cloned from one another share a map; a registration's user data goes with it;
// extensions stay, and keys not understood are said and kept.
TEST_F(ChromiumWebStorageFixture, EntriesFollowTheSitesThatOwnThemAndUnknownKeysStay)
{
    const std::vector<LevelDbEntry> locals = {
        {"VERSION", "1"},
        {"META:chrome-extension://abcdef", "m"},
        {Nul("_chrome-extension://abcdef", "\1k"), "ext value"},
        {"META:file://", "m"},
        {Nul("_file://", "\1k"), "file value"},
        {"SOMETHING_NEW:https://gone.example", "new"},
        {"META:https://gone.example", "m"},
        {Nul("_https://gone.example", "\1k"), "gone value"},
    };
    const std::string ns = "namespace-11111111_2222_3333_4444_555555555555-";
    const std::string other = "namespace-66666666_2222_3333_4444_555555555555-";
    const std::vector<LevelDbEntry> sessions = {
        {"version", "1"},
        {"next-map-id", "8"},
        {ns + "https://kept.example/", "5"},
        {other + "https://gone.example/", "5"},
        {ns + "https://gone.example/", "6"},
        {"map-5-shared", "shared value"},
        {"map-6-own", "gone session value"},
        {"map-7-orphan", "orphan value"},
    };
    // kept.example's worker updated once: registration 1 runs version 2, the number of
    // gone.example's registration, whose own worker is version 3.
    const std::vector<LevelDbEntry> workers = {
        {"INITDATA_NEXT_REGISTRATION_ID", "3"},
        {Nul("REG:https://kept.example/", "1"), Registration(1, "https://kept.example/", 2)},
        {Nul("REG:https://gone.example/", "2"), Registration(2, "https://gone.example/", 3)},
        {"REGID_TO_ORIGIN:1", "https://kept.example/"},
        {"REGID_TO_ORIGIN:2", "https://gone.example/"},
        {Nul("REG_USER_DATA:1", "name"), "kept data"},
        {Nul("REG_USER_DATA:2", "name"), "gone data"},
        {Nul("REG_HAS_USER_DATA:name", "2"), ""},
        {Nul("RES:2", "5"), "kept script"},
        {Nul("RES:3", "7"), "gone script"},
        {Nul("RES:9", "11"), "a version no registration runs"},
        {"PRES:7", ""},
        {"URES:5", ""},
        {"URES:13", ""},
    };
    const std::pair<const char*, const std::vector<LevelDbEntry>*> stores[] = {
        {kLocal, &locals}, {kSession, &sessions}, {kWorker, &workers}};
    for (const auto& [where, entries] : stores) {
        std::filesystem::remove_all(profile + "\\" + where);
        ASSERT_TRUE(test::WriteLevelDb(profile + "\\" + where, *entries));
    }

    const auto outcomes = Clean(true, "kept.example");
    const StoreOutcome& local = Find(outcomes, "Local Storage");
    EXPECT_EQ(local.rows, 1);
    EXPECT_NE(local.unknown.find("SOMETHING_NEW"), std::string::npos) << local.unknown;
    EXPECT_NE(local.unknown.find("file://"), std::string::npos) << local.unknown;
    EXPECT_EQ(local.unknown.find("chrome-extension"), std::string::npos) << local.unknown;
    Entries expected;
    for (const LevelDbEntry& e : locals)
        if (e.key.find("gone.example") == std::string::npos || e.key.rfind("SOMETHING_NEW", 0) == 0)
            expected[e.key] = e.value;
    EXPECT_EQ(Read(kLocal), expected);
    EXPECT_FALSE(FoundAnywhere("gone value"));

    // One site, in two tabs.
    EXPECT_EQ(Find(outcomes, "Session Storage").rows, 1);
    EXPECT_EQ(Find(outcomes, "Service Worker").rows, 1);
    EXPECT_NE(Find(outcomes, "Service Worker").unknown.find("RES:9"), std::string::npos);
    Entries sessionsLeft;
    for (const LevelDbEntry& e : sessions)
        if (e.key.find("gone.example") == std::string::npos && e.key != "map-6-own") sessionsLeft[e.key] = e.value;
    EXPECT_EQ(Read(kSession), sessionsLeft);
    // Resource 13 is in no live version and version 9 in no registration: they stay.
    Entries worker;
    for (const LevelDbEntry& e : workers) worker[e.key] = e.value;
    for (const std::string& key : {Nul("REG:https://gone.example/", "2"), std::string("REGID_TO_ORIGIN:2"),
                                   Nul("REG_USER_DATA:2", "name"), Nul("REG_HAS_USER_DATA:name", "2"),
                                   Nul("RES:3", "7"), std::string("PRES:7")})
        worker.erase(key);
    EXPECT_EQ(Read(kWorker), worker);
}

// Made by real Chromium: keep-bank.test's worker updated once, so its live version (2) has
// the number of secret-clinic.test's registration. Both kept sites' workers must stay
// whole, scripts included, and secret-clinic's must go entirely.
TEST_F(ChromiumWebStorageFixture, AWorkerThatUpdatedKeepsItsScriptsAndTheRemovedSiteLosesItsOwn)
{
    const std::string updated = folder.File("Updated");
    Unpack("chromium-sw-updated", updated);
    const std::string database = updated + "\\" + kWorker;
    const Entries worker = test::LevelDbEntries(database);
    ASSERT_EQ(worker.count(Nul("RES:2", "2")), 1u);
    ASSERT_TRUE(FoundAnywhere("marker-secret-clinic-5e1f0c"));

    session.run.live = true;
    EraseContext context = session.Erasure();
    const auto outcomes =
        CleanChromiumWebStorage(context, test::MakeProfile(BrowserId::Chrome, updated), [](const std::string& site) {
            return site == "other-site.test" || site == "keep-bank.test";
        });
    EXPECT_EQ(Find(outcomes, "Service Worker").rows, 1);
    EXPECT_EQ(Find(outcomes, "Service Worker").unknown, "");
    EXPECT_EQ(test::LevelDbEntries(database), Without(worker, [](const std::string& key) {
                  return key.find("secret-clinic") != std::string::npos || key == "REGID_TO_ORIGIN:2" ||
                         key == Nul("RES:3", "4");
              }));
    const std::string scripts = updated + "\\Service Worker\\ScriptCache\\";
    for (const char* kept : {"2cc80dabc69f58b6_0", "f1cdccba37924bda_0"})
        EXPECT_TRUE(std::filesystem::exists(scripts + kept)) << kept;
    EXPECT_FALSE(std::filesystem::exists(scripts + "67a473248953641b_0"));
    EXPECT_FALSE(FoundAnywhere("marker-secret-clinic-5e1f0c"));
    for (const char* site : {"marker-other-site-5e1f0c", "marker-keep-bank-5e1f0c"}) EXPECT_TRUE(FoundAnywhere(site));
}
