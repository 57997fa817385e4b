#pragma once
// What the tests of the browser boxes share: profiles laid out as the browsers lay them out,
// the bytes of a database with its companions, and the databases a box must leave alone.
#include "browsers/BrowserStore.h"
#include "formats/LevelDb.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include "support/LevelDbFiles.h"
#include "support/RealLevelDb.h"
#include "support/SqliteFiles.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace sweepora::test {

inline BrowserProfile MakeProfile(BrowserId id, const std::string& dir)
{
    std::filesystem::create_directories(dir);
    BrowserProfile profile;
    profile.browser = id;
    profile.name = std::filesystem::path(dir).filename().string();
    profile.folder = LongPath(dir);
    profile.dataFolder = LongPath(std::filesystem::path(dir).parent_path().string());
    return profile;
}

inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Writes the file, making the folders it lies in.
inline void Put(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileBytes(path, bytes);
}

// "store|rows|problem" of each outcome.
inline Texts Summary(const std::vector<StoreOutcome>& outcomes)
{
    Texts lines;
    for (const StoreOutcome& o : outcomes) lines.push_back(o.store + "|" + std::to_string(o.rows) + "|" + o.problem);
    return lines;
}

// The databases and the files SQLite keeps beside them, as bytes; a missing one as "".
inline std::string DatabaseBytes(const Texts& paths)
{
    std::string all;
    for (const std::string& path : paths)
        for (const char* suffix : {"", "-wal", "-journal"}) {
            const std::string file = path + suffix;
            all += std::string(suffix) + ":" + (Exists(file) ? ReadFileBytes(file) : "") + "\n";
        }
    return all;
}

inline const StoreOutcome* FindStore(const std::vector<StoreOutcome>& outcomes, const std::string& store)
{
    for (const StoreOutcome& o : outcomes)
        if (o.store == store) return &o;
    return nullptr;
}

using BoxRun = std::function<std::vector<StoreOutcome>(bool live)>;

// A test run that changes no byte of `databases`, then a live run with the same counts, no
// problem and nothing unknown; returns the live run's outcomes.
inline std::vector<StoreOutcome> PreviewThenLive(const Texts& databases, const BoxRun& box)
{
    const std::string before = DatabaseBytes(databases);
    const std::vector<StoreOutcome> preview = box(false);
    EXPECT_EQ(DatabaseBytes(databases), before);
    const std::vector<StoreOutcome> live = box(true);
    EXPECT_EQ(Summary(preview), Summary(live));
    for (const StoreOutcome& o : live) EXPECT_EQ(o.problem + o.unknown, "") << o.store;
    return live;
}

// Both runs of `box`, the first of `databases` held without sharing when `hold`: `store`
// names a reason holding `problem` and removes nothing, and no byte of `databases` changes.
// `also` looks at the rest of each run's outcomes.
inline void ExpectStoreLeftAlone(const Texts& databases, bool hold, const std::string& store,
                                 const std::string& problem, const BoxRun& box,
                                 const std::function<void(const std::vector<StoreOutcome>&)>& also = {})
{
    const std::string before = DatabaseBytes(databases);
    UniqueFile held(hold ? ::CreateFileA(databases.front().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr)
                         : INVALID_HANDLE_VALUE);
    ASSERT_EQ(hold, bool(held));
    for (bool live : {false, true}) {
        SCOPED_TRACE(live ? "live" : "test run");
        const std::vector<StoreOutcome> outcomes = box(live);
        const StoreOutcome* outcome = FindStore(outcomes, store);
        ASSERT_NE(outcome, nullptr);
        EXPECT_NE(outcome->problem, "");
        EXPECT_NE(outcome->problem.find(problem), std::string::npos) << outcome->problem;
        EXPECT_EQ(outcome->rows, 0);
        if (also) also(outcomes);
    }
    held.reset();
    EXPECT_EQ(DatabaseBytes(databases), before);
}

// The database at `path` held without sharing, damaged, or of a layout without `table`:
// both runs leave every byte as it was and name a reason for `store`.
inline void ExpectBadDatabasesLeftAlone(RunState& run, const std::string& path, const std::string& store,
                                        const std::string& table, const BoxRun& box)
{
    for (const std::string kind : {"held", "damaged", "unknown layout"}) {
        SCOPED_TRACE(store + ", " + kind);
        if (kind == "damaged") WriteFileBytes(path, "SQLite format 3" + std::string(200, '\x7f') + "secret bytes");
        if (kind == "unknown layout") CreateDatabase(path, "CREATE TABLE sweepora_newer(secret TEXT);");
        ExpectStoreLeftAlone({path}, kind == "held", store, kind == "unknown layout" ? "unknown layout: no table " + table : "",
                             [&](bool live) {
                                 run.live = live;
                                 return box(live);
                             });
    }
}

} // namespace sweepora::test
