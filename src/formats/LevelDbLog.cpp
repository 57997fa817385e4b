#include "formats/LevelDbLog.h"

#include "formats/Crc32c.h"
#include "formats/LevelDbCoding.h"

#include <algorithm>
#include <cstdint>

namespace sweepora::leveldb {

namespace {

constexpr std::size_t kLogBlock = 32768;
constexpr std::size_t kLogHeader = 7;
// A record is one write batch; Chromium's are far below this.
constexpr std::size_t kRecordLimit = 64u << 20;
enum LogType : unsigned char { kFull = 1, kFirst = 2, kMiddle = 3, kLast = 4 };

} // namespace

LevelDbOutcome ReadLogRecords(const std::string& log, const std::string& name, std::vector<std::string>& records)
{
    // LevelDB's own reading rules: what a writer that died mid-write leaves at the end (a
    // torn header or record, an unfinished fragmented record, zeros from a preallocated
    // tail) ends the log quietly; anything wrong before the end is corruption.
    std::string pending;
    bool inFragments = false;
    std::size_t pos = 0;
    while (pos < log.size()) {
        const std::size_t blockLeft = kLogBlock - pos % kLogBlock;
        const std::size_t available = std::min(blockLeft, log.size() - pos);
        const bool lastBlock = blockLeft > log.size() - pos; // the file ends inside it
        if (available < kLogHeader) {
            // A block's trailer too short for a header, or a header cut off at the end.
            pos += available;
            continue;
        }
        const char* header = log.data() + pos;
        const auto crc = static_cast<std::uint32_t>(DecodeFixed(header, 4));
        const auto length = static_cast<std::size_t>(DecodeFixed(header + 4, 2));
        const auto type = static_cast<unsigned char>(header[6]);
        if (length > available - kLogHeader) {
            if (lastBlock) break;
            return Corrupt(name + " has a record past its block at offset " + std::to_string(pos));
        }
        if (type == 0 && length == 0) {
            // Preallocated, never written: the rest of the block holds nothing.
            pos += available;
            continue;
        }
        if (UnmaskCrc32c(crc) != Crc32c(header + 6, 1 + length))
            return Corrupt(name + " has a bad checksum at offset " + std::to_string(pos));
        const char* data = header + kLogHeader;
        pos += kLogHeader + length;
        switch (type) {
        case kFull:
            if (inFragments) return Corrupt(name + " has a record cut short");
            records.emplace_back(data, length);
            break;
        case kFirst:
            if (inFragments) return Corrupt(name + " has a record cut short");
            pending.assign(data, length);
            inFragments = true;
            break;
        case kMiddle:
        case kLast:
            if (!inFragments) return Corrupt(name + " has a record without its start");
            if (pending.size() + length > kRecordLimit)
                return LevelDbOutcome::Fail(LevelDbProblem::TooLarge, name + " holds a record larger than this reads");
            pending.append(data, length);
            if (type == kLast) {
                records.push_back(std::move(pending));
                pending.clear();
                inFragments = false;
            }
            break;
        default:
            return Corrupt(name + " has a record of unknown type " + std::to_string(type));
        }
    }
    // A fragmented record the writer never finished was never acknowledged: it is dropped.
    return {};
}

void AppendLogRecord(std::string& log, const std::string& record)
{
    std::size_t done = 0;
    bool first = true;
    do {
        std::size_t blockLeft = kLogBlock - log.size() % kLogBlock;
        if (blockLeft < kLogHeader) {
            log.append(blockLeft, '\0');
            blockLeft = kLogBlock;
        }
        const std::size_t n = std::min(record.size() - done, blockLeft - kLogHeader);
        const bool last = done + n == record.size();
        const char type = static_cast<char>(first && last ? kFull : first ? kFirst : last ? kLast : kMiddle);
        std::string typed(1, type);
        typed.append(record, done, n);
        PutFixed(log, MaskCrc32c(Crc32c(typed.data(), typed.size())), 4);
        PutFixed(log, n, 2);
        log += typed;
        done += n;
        first = false;
    } while (done < record.size());
}

} // namespace sweepora::leveldb
