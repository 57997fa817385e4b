#include "support/LevelDbFiles.h"

#include "formats/LevelDbCoding.h"
#include "formats/LevelDbLog.h"
#include "platform/FileIo.h"

#include <filesystem>

namespace sweepora::test {

bool WriteLevelDb(const std::string& folder, const std::vector<LevelDbEntry>& entries)
{
    using namespace leveldb;
    std::string batch;
    PutFixed(batch, 1, 8); // the first entry's sequence number
    PutFixed(batch, entries.size(), 4);
    for (const LevelDbEntry& entry : entries) {
        batch.push_back(1);
        PutPrefixed(batch, entry.key);
        PutPrefixed(batch, entry.value);
    }
    std::string log;
    if (!entries.empty()) AppendLogRecord(log, batch);

    std::string edit;
    PutVarint(edit, kComparator);
    PutPrefixed(edit, kLevelDbComparator);
    PutVarint(edit, kLogNumber);
    PutVarint(edit, 2);
    PutVarint(edit, kNextFile);
    PutVarint(edit, 3);
    PutVarint(edit, kLastSequence);
    PutVarint(edit, 0); // the log's batch carries its own numbers
    std::string manifest;
    AppendLogRecord(manifest, edit);

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return WriteWholeFile(folder + "\\000002.log", log) && WriteWholeFile(folder + "\\MANIFEST-000001", manifest) &&
           WriteWholeFile(folder + "\\CURRENT", "MANIFEST-000001\n");
}

} // namespace sweepora::test
