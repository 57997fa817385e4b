#include "formats/LevelDb.h"
#include "formats/LevelDbLog.h"
#include "platform/LongPath.h"
#include "platform/WritePoints.h"

#include "support/LevelDbFiles.h"
#include "support/RealLevelDb.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <map>
#include <set>

using namespace sweepora;

namespace sweepora::test {
std::vector<std::pair<std::string, std::string>> LevelDbData();
}

namespace {

using Entries = std::map<std::string, std::string>;

void Unpack(const std::string& prefix, const std::string& dir) { test::UnpackFolder(test::LevelDbData(), prefix, dir); }

// What our reader finds, which LevelDB's own library must find too.
Entries Read(const std::string& dir) { return test::LevelDbEntries(dir); }

Entries AsMap(const std::vector<LevelDbEntry>& entries)
{
    Entries map;
    for (const LevelDbEntry& e : entries) map[e.key] = e.value;
    return map;
}

std::set<std::string> FileNames(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

std::map<std::string, std::string> Files(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : FileNames(dir))
        if (name != "LOCK") files[name] = test::ReadFileBytes(dir + "\\" + name); // locked while held
    return files;
}

// Every other entry stays.
std::vector<LevelDbEntry> Half(const std::vector<LevelDbEntry>& entries)
{
    std::vector<LevelDbEntry> keep;
    for (std::size_t i = 0; i < entries.size(); i += 2) keep.push_back(entries[i]);
    return keep;
}

// A real database's files, and what reading them gives.
struct RealDatabase {
    test::TempFolder folder;
    std::string dir = folder.File("db");
    Entries original;
    RealDatabase()
    {
        Unpack("leveldb-tables", dir);
        original = Read(dir);
    }
};

// The files a rewritten database is made of once what it left behind is erased.
void ExpectOnlyTheNewVersion(const std::string& dir)
{
    for (const std::string& name : FileNames(dir)) {
        const bool own = name == "CURRENT" || name == "LOCK" || name.rfind("LOG", 0) == 0;
        const bool numbered = name.rfind("MANIFEST-", 0) == 0 || name.find(".ldb") != std::string::npos;
        EXPECT_TRUE(own || numbered) << name;
    }
    EXPECT_EQ(FileNames(dir).count("000010.log"), 0u);
}

// Files of another program under every table name a rewrite could pick.
void TakeTableNames(const std::string& dir)
{
    for (int number = 1; number < 100; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "\\%06d.ldb", number);
        if (!std::filesystem::exists(dir + name)) test::WriteFileBytes(dir + name, "not ours");
    }
}

void EraseObsolete(const LevelDbStore& store)
{
    for (const std::wstring& path : store.Obsolete()) ::DeleteFileW(path.c_str());
}

int g_pointsLeft = 0;
int g_pointsPassed = 0;
struct Crash {};
void CountPoint(const char*) { ++g_pointsPassed; }
void CrashAtPoint(const char*)
{
    if (--g_pointsLeft == 0) throw Crash{};
}

} // namespace

// What a writer that died mid-write leaves at a log's end is not an error: LevelDB stops
// reading there, and so must this.
TEST(LevelDbStore, UnfinishedLogTailsEndTheLog)
{
    const std::vector<LevelDbEntry> entries = {{"a", "1"}, {"b", std::string(3000, 'b')}, {"c", "3"}};
    std::string bigRecord;
    leveldb::AppendLogRecord(bigRecord, std::string(12, '\0') + std::string(40000, 'x'));
    const struct {
        const char* name;
        std::string tail;
    } tails[] = {
        {"a torn header", std::string("\x12\x34\x56", 3)},
        {"a record cut short", std::string("\x01\x02\x03\x04\x64\x00\x01", 7) + std::string(20, 'r')},
        {"zeros of a preallocated file", std::string(5000, '\0')},
        {"a record whose last fragment never came", bigRecord.substr(0, 32768 + 100)},
    };
    for (const auto& tail : tails) {
        SCOPED_TRACE(tail.name);
        test::TempFolder folder;
        const std::string dir = folder.File("db");
        ASSERT_TRUE(test::WriteLevelDb(dir, entries));
        const std::string log = dir + "\\000002.log";
        std::string bytes = test::ReadFileBytes(log);
        // The fragmented record starts on a block boundary, as its cut assumes.
        if (tail.tail.size() > 32768) bytes.resize(32768, '\0');
        test::WriteFileBytes(log, bytes + tail.tail);
        EXPECT_EQ(Read(dir), AsMap(entries));
    }
}

TEST(LevelDbStore, RewritesInPlaceAndNamesTheFilesThatHeldTheRest)
{
    for (const bool nothingKept : {false, true}) {
        SCOPED_TRACE(nothingKept ? "nothing kept" : "half kept");
        RealDatabase db;
        const std::set<std::string> before = FileNames(db.dir);
        std::vector<LevelDbEntry> keep;
        {
            LevelDbStore store;
            ASSERT_TRUE(store.Open(LongPath(db.dir), true));
            ASSERT_EQ(AsMap(store.Entries()), db.original);
            if (!nothingKept) keep = Half(store.Entries());
            const std::vector<std::wstring> obsolete = store.Obsolete();
            ASSERT_TRUE(store.Replace(keep, [] { return std::string(); }));
            // What held the database before is named, and nothing new is.
            std::set<std::string> named;
            for (const std::wstring& path : obsolete)
                named.insert(std::filesystem::path(path.substr(4)).filename().string());
            for (const std::string& name : named) EXPECT_EQ(before.count(name), 1u) << name;
            EXPECT_EQ(named.count("CURRENT"), 0u);
            EXPECT_EQ(named.count("LOCK"), 0u);
            EraseObsolete(store);
        }
        EXPECT_EQ(Read(db.dir), AsMap(keep));
        ExpectOnlyTheNewVersion(db.dir);

        // Rewritten again, the version it wrote is read and replaced like any other.
        {
            LevelDbStore again;
            ASSERT_TRUE(again.Open(LongPath(db.dir), true));
            ASSERT_TRUE(again.Replace({}, {}));
            EraseObsolete(again);
        }
        EXPECT_TRUE(Read(db.dir).empty());
    }
}

TEST(LevelDbStore, LeavesTheDatabaseAsItWasWhenSomethingCameBetween)
{
    const struct {
        const char* name;
        std::function<void(const std::string& dir)> meanwhile;
        std::string stillFree;
    } cases[] = {
        {"a browser started", [](const std::string&) {}, "Google Chrome is running: close it first, then clean again"},
        {"a new log appeared", [](const std::string& dir) { test::WriteFileBytes(dir + "\\000099.log", ""); }, ""},
        // Another program took the name of the new table first: its file is not ours to remove.
        {"a file took the new table's name",
         TakeTableNames, ""},
        {"a log grew",
         [](const std::string& dir) {
             test::WriteFileBytes(dir + "\\000010.log", test::ReadFileBytes(dir + "\\000010.log") + "more");
         },
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RealDatabase db;
        LevelDbStore store;
        ASSERT_TRUE(store.Open(LongPath(db.dir), true));
        c.meanwhile(db.dir);
        const auto before = Files(db.dir);
        const LevelDbOutcome replaced = store.Replace(Half(store.Entries()), [&] { return c.stillFree; });
        EXPECT_FALSE(replaced);
        if (!c.stillFree.empty()) {
            EXPECT_EQ(replaced.reason, c.stillFree);
        }
        EXPECT_EQ(Files(db.dir), before);
    }
}

// Stopped at every point between its durable steps, a rewrite leaves either the old
// database or the new one, and the next rewrite finishes the job and erases the strays.
TEST(LevelDbStore, EveryCrashLeavesTheOldDatabaseOrTheNew)
{
    int points = 0;
    {
        RealDatabase db;
        LevelDbStore store;
        ASSERT_TRUE(store.Open(LongPath(db.dir), true));
        g_pointsPassed = 0;
        SetWritePointHook(CountPoint);
        EXPECT_TRUE(store.Replace(Half(store.Entries()), {}));
        SetWritePointHook(nullptr);
        points = g_pointsPassed;
    }
    ASSERT_GE(points, 8);
    for (int at = 1; at <= points; ++at) {
        SCOPED_TRACE("stopped at point " + std::to_string(at));
        RealDatabase db;
        Entries kept;
        {
            LevelDbStore store;
            ASSERT_TRUE(store.Open(LongPath(db.dir), true));
            kept = AsMap(Half(store.Entries()));
            g_pointsLeft = at;
            SetWritePointHook(CrashAtPoint);
            EXPECT_THROW(store.Replace(Half(store.Entries()), {}), Crash);
            SetWritePointHook(nullptr);
        }
        const Entries after = Read(db.dir);
        EXPECT_TRUE(after == db.original || after == kept);
        {
            LevelDbStore store;
            ASSERT_TRUE(store.Open(LongPath(db.dir), true));
            if (after == db.original) {
                ASSERT_TRUE(store.Replace(Half(store.Entries()), {}));
                EraseObsolete(store);
            } else {
                for (const std::wstring& path : store.Strays()) ::DeleteFileW(path.c_str());
            }
        }
        EXPECT_EQ(Read(db.dir), kept);
        ExpectOnlyTheNewVersion(db.dir);
    }
}
