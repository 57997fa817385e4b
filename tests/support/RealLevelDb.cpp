#include "support/RealLevelDb.h"

#include "support/TestSupport.h"

#include "formats/LevelDb.h"
#include "platform/LongPath.h"

#include <gtest/gtest.h>
#include <leveldb/db.h>
#include <leveldb/options.h>
#include <leveldb/write_batch.h>

#include <filesystem>
#include <memory>

namespace sweepora::test {

namespace {

// Entries per write batch: records of a few kilobytes, as a browser writes them.
constexpr std::size_t kBatch = 100;
// The probe's new key, after any key the tests write.
const std::string kProbeKey = "\xff\xff sweepora judge probe";

leveldb::Status Open(const std::string& folder, leveldb::Options options, std::unique_ptr<leveldb::DB>& db)
{
    leveldb::DB* raw = nullptr;
    const leveldb::Status status = leveldb::DB::Open(options, folder, &raw);
    db.reset(raw);
    return status;
}

leveldb::Options Paranoid()
{
    leveldb::Options options;
    options.paranoid_checks = true;
    options.create_if_missing = false;
    return options;
}

// Every entry, verified; an order LevelDB's comparator would not give is an error too.
leveldb::Status Iterate(leveldb::DB& db, std::map<std::string, std::string>& entries)
{
    leveldb::ReadOptions read;
    read.verify_checksums = true;
    read.fill_cache = false;
    std::unique_ptr<leveldb::Iterator> it(db.NewIterator(read));
    std::string last;
    for (it->SeekToFirst(); it->Valid(); it->Next()) {
        std::string key = it->key().ToString();
        if (!entries.empty() && key <= last)
            return leveldb::Status::Corruption("keys out of order", key);
        entries[key] = it->value().ToString();
        last = std::move(key);
    }
    return it->status();
}

} // namespace

RealLevelDb ReadWithLevelDb(const std::string& folder)
{
    RealLevelDb result;
    TempFolder scratch;
    const std::string copy = scratch.File("db");
    std::error_code error;
    std::filesystem::copy(folder, copy, std::filesystem::copy_options::recursive, error);
    if (error) {
        result.status = "cannot copy " + folder + ": " + error.message();
        return result;
    }
    std::unique_ptr<leveldb::DB> db;
    leveldb::Status status = Open(copy, Paranoid(), db);
    if (status.ok()) status = Iterate(*db, result.entries);
    if (!status.ok()) {
        result.entries.clear();
        result.status = status.ToString();
        return result;
    }
    for (int level = 0; level < 7; ++level) {
        std::string count;
        db->GetProperty("leveldb.num-files-at-level" + std::to_string(level), &count);
        result.tablesPerLevel.push_back(std::stoi(count));
    }

    // Going on as a browser would: what it writes now must win over what was there.
    std::map<std::string, std::string> expected = result.entries;
    leveldb::WriteBatch batch;
    if (!expected.empty()) {
        expected.begin()->second += "-overwritten";
        batch.Put(expected.begin()->first, expected.begin()->second);
    }
    expected[kProbeKey] = "probe";
    batch.Put(kProbeKey, "probe");
    leveldb::WriteOptions sync;
    sync.sync = true;
    status = db->Write(sync, &batch);
    if (status.ok()) {
        db->CompactRange(nullptr, nullptr);
        db.reset();
        status = Open(copy, Paranoid(), db);
    }
    std::map<std::string, std::string> after;
    if (status.ok()) status = Iterate(*db, after);
    if (!status.ok()) {
        result.status = "after writing to it: " + status.ToString();
        return result;
    }
    if (after != expected) {
        result.status = "writes made after opening it did not hold (a sequence number below the files'?)";
        return result;
    }
    result.ok = true;
    return result;
}

std::map<std::string, std::string> LevelDbEntries(const std::string& folder)
{
    std::vector<LevelDbEntry> entries;
    const LevelDbOutcome outcome = ReadLevelDb(LongPath(folder), entries);
    EXPECT_TRUE(outcome) << folder << ": " << outcome.reason;
    std::map<std::string, std::string> map;
    for (const LevelDbEntry& e : entries) map[e.key] = e.value;
    const RealLevelDb judged = ReadWithLevelDb(folder);
    EXPECT_TRUE(judged.ok) << folder << ": " << judged.status;
    EXPECT_TRUE(judged.entries == map) << folder << ": LevelDB reads other entries than ours";
    return map;
}

bool WriteWithLevelDb(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& puts,
                      const std::vector<std::string>& deletes, bool compact)
{
    leveldb::Options options;
    options.paranoid_checks = true;
    options.create_if_missing = true;
    options.compression = leveldb::kSnappyCompression;
    if (compact) {
        // LevelDB's smallest sizes: a few hundred kilobytes make several tables and compactions.
        options.write_buffer_size = 64 << 10;
        options.max_file_size = 1 << 20;
    } else {
        // Room for everything, so that nothing leaves the log.
        std::size_t bytes = 1 << 20;
        for (const auto& [key, value] : puts) bytes += 2 * (key.size() + value.size()) + 64;
        for (const std::string& key : deletes) bytes += 2 * key.size() + 64;
        options.write_buffer_size = bytes;
    }
    std::unique_ptr<leveldb::DB> db;
    leveldb::Status status = Open(folder, options, db);
    leveldb::WriteBatch batch;
    std::size_t pending = 0;
    const auto flush = [&](bool always) {
        if (!always) ++pending;
        if (!status.ok() || pending == 0 || (!always && pending < kBatch)) return;
        status = db->Write(leveldb::WriteOptions(), &batch);
        batch.Clear();
        pending = 0;
    };
    for (const auto& [key, value] : puts) {
        if (!status.ok()) break;
        batch.Put(key, value);
        flush(false);
    }
    flush(true);
    for (const std::string& key : deletes) {
        if (!status.ok()) break;
        batch.Delete(key);
        flush(false);
    }
    flush(true);
    db.reset();
    // Opening again folds what the log still holds into a level-0 table.
    if (status.ok() && compact) {
        status = Open(folder, Paranoid(), db);
        db.reset();
    }
    if (!status.ok()) ADD_FAILURE() << "LevelDB could not write " << folder << ": " << status.ToString();
    return status.ok();
}

} // namespace sweepora::test
