#include "formats/LevelDb.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include "support/LevelDbFiles.h"
#include "support/RealLevelDb.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <map>

using namespace sweepora;

namespace sweepora::test {
std::vector<std::pair<std::string, std::string>> LevelDbData();
}

namespace {

// Lays out the embedded folder `prefix` ("leveldb-tables") in `dir`.
void Unpack(const std::string& prefix, const std::string& dir) { test::UnpackFolder(test::LevelDbData(), prefix, dir); }

std::map<std::string, std::string> Read(const std::string& dir, LevelDbOutcome& outcome)
{
    std::vector<LevelDbEntry> entries;
    outcome = ReadLevelDb(LongPath(dir), entries);
    std::map<std::string, std::string> map;
    for (const LevelDbEntry& e : entries) map[e.key] = e.value;
    EXPECT_EQ(map.size(), entries.size());
    return map;
}

// LevelDB's own library opens what we wrote and finds exactly `entries`, byte for byte.
void ExpectLevelDbReads(const std::string& dir, const std::vector<LevelDbEntry>& entries)
{
    const test::RealLevelDb real = test::ReadWithLevelDb(dir);
    ASSERT_TRUE(real.ok) << real.status;
    std::map<std::string, std::string> expected;
    for (const LevelDbEntry& e : entries) expected[e.key] = e.value;
    EXPECT_EQ(real.entries.size(), expected.size());
    EXPECT_TRUE(real.entries == expected) << "LevelDB reads other entries than were written";
}

} // namespace

// Our rewrite's table: many blocks, a value far larger than a block, binary keys and an
// empty value; and a database with nothing left. LevelDB reads exactly what was kept.
TEST(LevelDb, RewrittenDatabaseReadsBackWhole)
{
    test::TempFolder folder;
    std::vector<LevelDbEntry> entries = {
        {std::string("bin\0key", 7), std::string("\0\1\xff", 3)},
        {"empty", ""},
        {"large", std::string(100000, 'L') + "end"},
    };
    for (int i = 0; i < 3000; ++i) entries.push_back({"key" + std::to_string(i), std::string(i % 700, 'v')});
    for (const bool keepNothing : {false, true}) {
        const std::string dir = folder.File(keepNothing ? "none" : "all");
        ASSERT_TRUE(test::WriteLevelDb(dir, entries));
        {
            LevelDbStore store;
            ASSERT_TRUE(store.Open(LongPath(dir), true));
            ASSERT_TRUE(store.Replace(keepNothing ? std::vector<LevelDbEntry>{} : store.Entries(), {}));
        }
        LevelDbOutcome outcome;
        const auto read = Read(dir, outcome);
        ASSERT_TRUE(outcome) << outcome.reason;
        std::map<std::string, std::string> expected;
        for (const LevelDbEntry& e : entries) expected[e.key] = e.value;
        if (keepNothing) expected.clear();
        EXPECT_EQ(read.size(), expected.size());
        EXPECT_TRUE(read == expected);
        ExpectLevelDbReads(dir, keepNothing ? std::vector<LevelDbEntry>{} : entries);
    }
}

// Databases made by LevelDB's own library, each step a write of its own: our reader finds
// what the library iterates, which is what was written.
TEST(LevelDb, ReadsWhatLevelDbItselfWrites)
{
    using Puts = std::vector<std::pair<std::string, std::string>>;
    struct Step {
        Puts puts;
        std::vector<std::string> deletes;
        bool compact;
    };
    const auto keys = [](int from, int to, int step, const std::string& tag) {
        Puts puts;
        for (int i = from; i < to; i += step) {
            char key[24];
            std::snprintf(key, sizeof key, "key%06d", i);
            puts.push_back({key, tag + std::to_string(i) + std::string(i % 200, 'v')});
        }
        return puts;
    };
    const auto deleted = [](int from, int to, int step) {
        std::vector<std::string> names;
        for (int i = from; i < to; i += step) {
            char key[24];
            std::snprintf(key, sizeof key, "key%06d", i);
            names.push_back(key);
        }
        return names;
    };
    const std::string nulKey("bin\0key\0", 9), large = std::string(70000, 'L') + "end";
    Puts odd = {{nulKey, std::string("\0\1\xff", 3)}, {"large", large}, {"empty", ""}, {"twice", "first"},
                {"twice", "second"}};
    struct Case {
        const char* name;
        std::vector<Step> steps;
        bool severalLevels;
    };
    const std::vector<Case> cases = {
        {"nothing", {{{}, {}, false}}, false},
        {"a few in the log", {{keys(0, 10, 1, "v"), {"key000003"}, false}}, false},
        {"odd keys and a value over 32 KiB in the log", {{odd, {"empty"}, false}}, false},
        {"odd keys compacted", {{odd, {}, true}}, false},
        {"tables on several levels, tombstones and overwrites above them, a log on top",
         {{keys(0, 20000, 1, "value-"), {}, true},
          {keys(0, 20000, 5, "new-"), deleted(0, 20000, 7), true},
          {odd, deleted(3, 20000, 11), false}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        std::map<std::string, std::string> model;
        for (const Step& step : c.steps) {
            ASSERT_TRUE(test::WriteWithLevelDb(folder.Path(), step.puts, step.deletes, step.compact));
            for (const auto& [key, value] : step.puts) model[key] = value;
            for (const std::string& key : step.deletes) model.erase(key);
        }
        LevelDbOutcome outcome;
        const auto ours = Read(folder.Path(), outcome);
        ASSERT_TRUE(outcome) << outcome.reason;
        const test::RealLevelDb real = test::ReadWithLevelDb(folder.Path());
        ASSERT_TRUE(real.ok) << real.status;
        EXPECT_TRUE(real.entries == model) << "the library iterates other entries than were written";
        EXPECT_EQ(ours.size(), real.entries.size());
        EXPECT_TRUE(ours == real.entries) << "we read other entries than LevelDB does";
        if (c.severalLevels) {
            int levels = 0;
            for (const int tables : real.tablesPerLevel) levels += tables > 0;
            EXPECT_GE(levels, 2) << "tables on one level only: " << ::testing::PrintToString(real.tablesPerLevel);
            // Snappy at work: the tables hold the repetitive values in much less room.
            std::uintmax_t tableBytes = 0, rawBytes = 0;
            for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
                if (entry.path().extension() == ".ldb") tableBytes += entry.file_size();
            for (const auto& [key, value] : model) rawBytes += key.size() + value.size();
            EXPECT_LT(tableBytes, rawBytes / 2);
        }
    }
}

// Tables on several levels, tombstones and logs of LevelDB's own are read above; here a
// Chromium profile's Local Storage, whose values carry a one-byte encoding mark (1: Latin-1).
TEST(LevelDb, ReadsChromiumLocalStorage)
{
    test::TempFolder chromium;
    Unpack("chromium-profile\\Local Storage\\leveldb", chromium.Path());
    LevelDbOutcome outcome;
    const auto local = Read(chromium.Path(), outcome);
    ASSERT_TRUE(outcome) << outcome.reason;
    for (const char* key : {"VERSION", "META:http://127.0.0.1:8731", "METAACCESS:http://localhost:8732"})
        EXPECT_EQ(local.count(key), 1u) << key;
    EXPECT_EQ(local.at(std::string("_http://localhost:8732\0\1second", 30)), "\1SECONDVAL_localhost");
}

// Each refusal leaves every byte of the folder as it was.
TEST(LevelDb, RefusesWhatItCannotReadSafely)
{
    struct Case {
        const char* name;
        const char* fixture;
        std::function<void(const std::string& dir)> spoil;
        LevelDbProblem expected;
    };
    std::unique_ptr<UniqueFile> held;
    const std::vector<Case> cases = {
        {"locked", "leveldb-tables",
         [&](const std::string& dir) {
             held = std::make_unique<UniqueFile>(::CreateFileW(LongPath(dir + "\\LOCK").c_str(),
                                                               GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                               OPEN_EXISTING, 0, nullptr));
             OVERLAPPED at{};
             ASSERT_TRUE(::LockFileEx(held->get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at));
         },
         LevelDbProblem::Locked},
        {"other comparator", "leveldb-comparator", [](const std::string&) {}, LevelDbProblem::Unsupported},
        {"flipped table byte", "leveldb-tables",
         [](const std::string& dir) {
             std::string table = test::ReadFileBytes(dir + "\\000005.ldb");
             table[100] ^= 0x20;
             test::WriteFileBytes(dir + "\\000005.ldb", table);
         },
         LevelDbProblem::Corrupt},
        // A whole block of garbage: LevelDB takes only a short tail for a torn write.
        {"garbage log", "leveldb-tables",
         [](const std::string& dir) { test::WriteFileBytes(dir + "\\000010.log", std::string(40000, '\x7f')); },
         LevelDbProblem::Corrupt},
        {"missing table", "leveldb-tables",
         [](const std::string& dir) { std::filesystem::remove(dir + "\\000011.ldb"); }, LevelDbProblem::Corrupt},
        {"bad CURRENT", "leveldb-tables",
         [](const std::string& dir) { test::WriteFileBytes(dir + "\\CURRENT", "MANIFEST-\n"); },
         LevelDbProblem::Corrupt},
        {"no database", "leveldb-tables", [](const std::string& dir) { std::filesystem::remove(dir + "\\CURRENT"); },
         LevelDbProblem::Missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        Unpack(c.fixture, folder.Path());
        c.spoil(folder.Path());
        const test::Snapshot before = test::TakeFolder(folder.Path());
        LevelDbOutcome outcome;
        EXPECT_TRUE(Read(folder.Path(), outcome).empty());
        EXPECT_EQ(outcome.problem, c.expected) << outcome.reason;
        EXPECT_FALSE(outcome.reason.empty());
        held.reset();
        EXPECT_EQ(test::TakeFolder(folder.Path()), before);
    }
}
