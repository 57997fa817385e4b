#include "formats/LevelDb.h"

#include "formats/LevelDbCoding.h"
#include "formats/LevelDbLog.h"
#include "formats/LevelDbTable.h"
#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"
#include "platform/WritePoints.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <map>
#include <set>

namespace sweepora {

namespace {

using namespace leveldb;

// Chromium's web storage is a few hundred megabytes at the very most; a database beyond
// these bounds is refused rather than read into memory.
constexpr std::uint64_t kTotalLimit = 256u << 20;

constexpr std::uint64_t kMaxSequence = (1ull << 56) - 1;

std::wstring Join(const std::wstring& folder, const std::wstring& name)
{
    return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

std::wstring NumberedName(std::uint64_t number, const wchar_t* suffix)
{
    wchar_t name[48];
    std::swprintf(name, 48, L"%06llu%ls", static_cast<unsigned long long>(number), suffix);
    return name;
}

// Reads a whole file, which counts against `budget` (the bytes the read may still take).
LevelDbOutcome ReadFileBytes(const std::wstring& path, std::uint64_t& budget, std::string& bytes)
{
    const std::string name = Utf8FromWide(path.substr(path.find_last_of(L'\\') + 1));
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            return LevelDbOutcome::Fail(LevelDbProblem::Locked, name + " is held by another program");
        if (error == ERROR_FILE_NOT_FOUND) return Corrupt(name + " is missing, though the database names it");
        return LevelDbOutcome::Fail(LevelDbProblem::Failed, name + " cannot be read (" + ErrorText(error) + ")");
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        return LevelDbOutcome::Fail(LevelDbProblem::Failed,
                                    name + " cannot be read (" + ErrorText(::GetLastError()) + ")");
    if (const DWORD error = ReadOpenFile(file.get(), budget, bytes); error == ERROR_FILE_TOO_LARGE)
        return LevelDbOutcome::Fail(LevelDbProblem::TooLarge, "the database is larger than this reads (" + name + ")");
    else if (error != ERROR_SUCCESS)
        return LevelDbOutcome::Fail(LevelDbProblem::Failed, name + " cannot be read (" + ErrorText(error) + ")");
    if (bytes.size() != static_cast<std::uint64_t>(size.QuadPart)) return Corrupt(name + " changed while it was read");
    budget -= bytes.size();
    return {};
}

struct Manifest {
    bool hasComparator = false;
    std::string comparator;
    std::uint64_t logNumber = 0;
    std::uint64_t prevLogNumber = 0;
    std::uint64_t nextFile = 0;
    std::uint64_t lastSequence = 0;
    bool hasLogNumber = false;
    bool hasNextFile = false;
    bool hasLastSequence = false;
    std::set<std::pair<std::uint32_t, std::uint64_t>> files; // level, number
};

LevelDbOutcome ApplyEdit(const std::string& record, const std::string& name, Manifest& manifest)
{
    ByteReader in(record);
    const LevelDbOutcome bad = Corrupt(name + " holds a malformed version record");
    while (!in.Empty()) {
        std::uint32_t tag = 0;
        if (!in.Varint32(tag)) return bad;
        std::uint64_t number = 0;
        std::uint32_t level = 0;
        std::string text;
        switch (tag) {
        case kComparator:
            if (!in.Prefixed(manifest.comparator)) return bad;
            manifest.hasComparator = true;
            break;
        case kLogNumber:
            if (!in.Varint(manifest.logNumber)) return bad;
            manifest.hasLogNumber = true;
            break;
        case kPrevLogNumber:
            if (!in.Varint(manifest.prevLogNumber)) return bad;
            break;
        case kNextFile:
            if (!in.Varint(manifest.nextFile)) return bad;
            manifest.hasNextFile = true;
            break;
        case kLastSequence:
            if (!in.Varint(manifest.lastSequence)) return bad;
            manifest.hasLastSequence = true;
            break;
        case kCompactPointer:
            if (!in.Varint32(level) || !in.Prefixed(text)) return bad;
            break;
        case kDeletedFile:
            if (!in.Varint32(level) || !in.Varint(number)) return bad;
            manifest.files.erase({level, number});
            break;
        case kNewFile: {
            std::uint64_t size = 0;
            std::string smallest, largest;
            if (!in.Varint32(level) || !in.Varint(number) || !in.Varint(size) || !in.Prefixed(smallest) ||
                !in.Prefixed(largest))
                return bad;
            if (level >= 7) return bad;
            manifest.files.insert({level, number});
            break;
        }
        default:
            return Corrupt(name + " holds a version record field this does not know (" + std::to_string(tag) + ")");
        }
    }
    return {};
}

struct Versioned {
    std::uint64_t sequence = 0;
    bool live = false;
    std::string value;
};
using Merged = std::map<std::string, Versioned>;

void Merge(Merged& merged, std::string key, std::uint64_t sequence, bool live, const char* value, std::size_t size)
{
    auto found = merged.find(key);
    if (found == merged.end()) {
        merged.emplace(std::move(key), Versioned{sequence, live, std::string(value, size)});
    } else if (found->second.sequence < sequence) {
        found->second.sequence = sequence;
        found->second.live = live;
        found->second.value.assign(value, size);
    }
}

LevelDbOutcome ApplyBatch(const std::string& batch, const std::string& name, Merged& merged,
                          std::uint64_t& lastSequence)
{
    ByteReader in(batch);
    std::uint64_t sequence = 0;
    std::uint64_t count = 0;
    const LevelDbOutcome bad = Corrupt(name + " holds a malformed write batch");
    if (!in.Fixed(sequence, 8) || !in.Fixed(count, 4)) return bad;
    std::uint64_t found = 0;
    while (!in.Empty()) {
        std::string type;
        std::string key;
        std::string value;
        if (!in.Bytes(1, type)) return bad;
        if (type[0] == 1) {
            if (!in.Prefixed(key) || !in.Prefixed(value)) return bad;
            Merge(merged, std::move(key), sequence + found, true, value.data(), value.size());
        } else if (type[0] == 0) {
            if (!in.Prefixed(key)) return bad;
            Merge(merged, std::move(key), sequence + found, false, nullptr, 0);
        } else {
            return bad;
        }
        ++found;
    }
    if (found != count || sequence + count > kMaxSequence) return bad;
    lastSequence = std::max(lastSequence, sequence + count - 1);
    return {};
}

// Holds the database's LOCK as LevelDB does, so that no program opens it meanwhile. A
// program that has it open, even without the lock, makes the folder refused.
class DatabaseLock {
public:
    // `make`: a missing LOCK is made, as LevelDB makes it, so that a rewrite holds one.
    LevelDbOutcome Take(const std::wstring& folder, bool make)
    {
        const std::wstring path = Join(folder, L"LOCK");
        file_.reset(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  make ? OPEN_ALWAYS : OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file_) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) return {}; // LevelDB makes it when it opens the database
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED)
                return LevelDbOutcome::Fail(LevelDbProblem::Locked,
                                            "the database is open in another program (its LOCK is held)");
            return LevelDbOutcome::Fail(LevelDbProblem::Failed, "its LOCK cannot be opened (" + ErrorText(error) + ")");
        }
        OVERLAPPED at{};
        if (!::LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                          &at)) {
            file_.reset();
            return LevelDbOutcome::Fail(LevelDbProblem::Locked,
                                        "the database is open in another program (its LOCK is held)");
        }
        locked_ = true;
        return {};
    }
    void Release()
    {
        if (locked_) {
            OVERLAPPED at{};
            ::UnlockFileEx(file_.get(), 0, MAXDWORD, MAXDWORD, &at);
        }
        locked_ = false;
        file_.reset();
    }
    ~DatabaseLock() { Release(); }

private:
    UniqueFile file_;
    bool locked_ = false;
};

bool ParseNumberedName(const std::wstring& name, const wchar_t* suffix, std::uint64_t& number)
{
    const std::size_t suffixSize = std::wcslen(suffix);
    if (name.size() <= suffixSize || name.size() - suffixSize > 19) return false;
    if (_wcsicmp(name.c_str() + name.size() - suffixSize, suffix) != 0) return false;
    number = 0;
    for (std::size_t i = 0; i < name.size() - suffixSize; ++i) {
        if (name[i] < L'0' || name[i] > L'9') return false;
        number = number * 10 + static_cast<std::uint64_t>(name[i] - L'0');
    }
    return true;
}

// A numbered file of a database, as LevelDB names them; false for any other name.
bool NumberOfFile(const std::wstring& name, std::uint64_t& number)
{
    if (name.compare(0, 9, L"MANIFEST-") == 0) return ParseNumberedName(name.substr(9), L"", number);
    for (const wchar_t* suffix : {L".log", L".ldb", L".sst", L".dbtmp"})
        if (ParseNumberedName(name, suffix, number)) return true;
    return false;
}

// What a read found, beyond the entries: enough to write the next version of the database
// and to tell whether anything changed since.
struct ReadState {
    std::vector<LevelDbEntry> entries;
    std::uint64_t lastSequence = 0;
    std::uint64_t highestNumber = 0;    // of any numbered file in the folder
    std::vector<std::wstring> live;     // the manifest, tables and logs read
    std::vector<std::wstring> strays;   // numbered files that no version names
    std::vector<std::pair<std::wstring, std::pair<std::uint64_t, std::uint64_t>>> files; // name: size, id
};

// The folder's files but LevelDB's own text logs and the LOCK, which change without the
// database changing.
void Fingerprint(const FolderListing& listing, ReadState& state)
{
    state.files.clear();
    for (const ListedEntry& entry : listing.entries) {
        if (_wcsicmp(entry.name.c_str(), L"LOCK") == 0 || _wcsicmp(entry.name.c_str(), L"LOG") == 0 ||
            _wcsicmp(entry.name.c_str(), L"LOG.old") == 0)
            continue;
        state.files.push_back({entry.name, {entry.size, entry.fileId}});
    }
    std::sort(state.files.begin(), state.files.end());
}

LevelDbOutcome CannotList(const FolderListing& listing)
{
    return LevelDbOutcome::Fail(LevelDbProblem::Failed,
                                "the folder cannot be listed (" + ErrorText(listing.error) + ")");
}

LevelDbOutcome ReadUnlocked(const std::wstring& folder, ReadState& state)
{
    std::uint64_t budget = kTotalLimit;
    std::string current;
    const std::wstring currentPath = Join(folder, L"CURRENT");
    if (::GetFileAttributesW(currentPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return LevelDbOutcome::Fail(LevelDbProblem::Missing, "the folder holds no database (no CURRENT)");
    if (LevelDbOutcome ok = ReadFileBytes(currentPath, budget, current); !ok) return ok;
    std::uint64_t manifestNumber = 0;
    if (current.size() < 11 || current.back() != '\n' || current.compare(0, 9, "MANIFEST-") != 0 ||
        !ParseNumberedName(WideFromUtf8(current.substr(9, current.size() - 10)), L"", manifestNumber))
        return Corrupt("CURRENT does not name a manifest");
    const std::wstring manifestName = WideFromUtf8(current.substr(0, current.size() - 1));

    std::string manifestBytes;
    if (LevelDbOutcome ok = ReadFileBytes(Join(folder, manifestName), budget, manifestBytes); !ok) return ok;
    state.live.push_back(manifestName);
    const std::string manifestDisplay = Utf8FromWide(manifestName);
    std::vector<std::string> edits;
    if (LevelDbOutcome ok = ReadLogRecords(manifestBytes, manifestDisplay, edits); !ok) return ok;
    manifestBytes.clear();
    Manifest manifest;
    for (const std::string& edit : edits)
        if (LevelDbOutcome ok = ApplyEdit(edit, manifestDisplay, manifest); !ok) return ok;
    edits.clear();
    if (!manifest.hasLogNumber || !manifest.hasNextFile || !manifest.hasLastSequence)
        return Corrupt(manifestDisplay + " lacks the numbers a database needs");
    if (manifest.hasComparator && manifest.comparator != kLevelDbComparator)
        return LevelDbOutcome::Fail(LevelDbProblem::Unsupported, "the database is sorted by \"" + manifest.comparator +
                                                                     "\", which this does not know");
    state.lastSequence = manifest.lastSequence;
    state.highestNumber = std::max(manifestNumber, manifest.nextFile);

    Merged merged;
    std::set<std::uint64_t> tables;
    for (const auto& [level, number] : manifest.files) {
        tables.insert(number);
        std::wstring name = NumberedName(number, L".ldb");
        std::wstring path = Join(folder, name);
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            name = NumberedName(number, L".sst"); // the older name of the same files
            path = Join(folder, name);
        }
        std::string table;
        if (LevelDbOutcome ok = ReadFileBytes(path, budget, table); !ok) return ok;
        state.live.push_back(name);
        const auto merge = [&](std::string key, std::uint64_t sequence, bool value, const std::string& bytes) {
            Merge(merged, std::move(key), sequence, value, bytes.data(), bytes.size());
        };
        if (LevelDbOutcome ok = ReadTable(table, Utf8FromWide(name), merge); !ok) return ok;
    }

    // The logs still to be replayed, oldest first, as LevelDB finds them; every other
    // numbered file is one LevelDB would delete when it next opens the database.
    const FolderListing listing = ListFolder(folder);
    if (listing.error != ERROR_SUCCESS) return CannotList(listing);
    Fingerprint(listing, state);
    std::vector<std::uint64_t> logs;
    for (const ListedEntry& entry : listing.entries) {
        std::uint64_t number = 0;
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || !NumberOfFile(entry.name, number)) continue;
        state.highestNumber = std::max(state.highestNumber, number);
        if (ParseNumberedName(entry.name, L".log", number) &&
            (number >= manifest.logNumber || number == manifest.prevLogNumber))
            logs.push_back(number);
        else if (_wcsicmp(entry.name.c_str(), manifestName.c_str()) != 0 &&
                 !((ParseNumberedName(entry.name, L".ldb", number) || ParseNumberedName(entry.name, L".sst", number)) &&
                   tables.count(number)))
            state.strays.push_back(entry.name);
    }
    std::sort(logs.begin(), logs.end());
    for (const std::uint64_t number : logs) {
        const std::wstring name = NumberedName(number, L".log");
        std::string log;
        if (LevelDbOutcome ok = ReadFileBytes(Join(folder, name), budget, log); !ok) return ok;
        state.live.push_back(name);
        std::vector<std::string> batches;
        if (LevelDbOutcome ok = ReadLogRecords(log, Utf8FromWide(name), batches); !ok) return ok;
        log.clear();
        for (const std::string& batch : batches)
            if (LevelDbOutcome ok = ApplyBatch(batch, Utf8FromWide(name), merged, state.lastSequence); !ok) return ok;
    }

    state.entries.clear();
    for (auto& [key, versioned] : merged)
        if (versioned.live) state.entries.push_back({key, std::move(versioned.value)});
    return {};
}

// `made`, when given, gets the name once the file exists: only what this call made is ever
// removed again, never a file that was there before.
LevelDbOutcome WriteNewFile(const std::wstring& folder, const std::wstring& name, const std::string& bytes,
                            std::vector<std::wstring>* made = nullptr)
{
    const std::wstring path = Join(folder, name);
    const std::string display = Utf8FromWide(name);
    PassWritePoint("leveldb: make a file");
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return LevelDbOutcome::Fail(LevelDbProblem::Failed,
                                    display + " cannot be made (" + ErrorText(::GetLastError()) + ")");
    if (made) made->push_back(name);
    // Half, then the rest: a crash in between leaves a torn file behind.
    const std::size_t half = bytes.size() / 2;
    if (const DWORD error = WriteOpenFile(file.get(), bytes.substr(0, half)); error != ERROR_SUCCESS)
        return LevelDbOutcome::Fail(LevelDbProblem::Failed, display + " cannot be written (" + ErrorText(error) + ")");
    PassWritePoint("leveldb: a file half written");
    if (const DWORD error = WriteOpenFile(file.get(), bytes.substr(half)); error != ERROR_SUCCESS)
        return LevelDbOutcome::Fail(LevelDbProblem::Failed, display + " cannot be written (" + ErrorText(error) + ")");
    PassWritePoint("leveldb: a file written, not flushed");
    if (!::FlushFileBuffers(file.get()))
        return LevelDbOutcome::Fail(LevelDbProblem::Failed,
                                    display + " cannot be flushed to the disk (" + ErrorText(::GetLastError()) + ")");
    return {};
}

} // namespace

LevelDbOutcome ReadLevelDb(const std::wstring& folder, std::vector<LevelDbEntry>& entries)
{
    entries.clear();
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return LevelDbOutcome::Fail(LevelDbProblem::Missing, "there is no such folder");
    DatabaseLock lock;
    if (LevelDbOutcome ok = lock.Take(folder, false); !ok) return ok;
    ReadState state;
    LevelDbOutcome outcome = ReadUnlocked(folder, state);
    if (outcome) entries = std::move(state.entries);
    return outcome;
}

struct LevelDbStore::State {
    std::wstring folder;
    DatabaseLock lock;
    ReadState read;
    bool open = false;
};

LevelDbStore::LevelDbStore() : state_(std::make_unique<State>()) {}
LevelDbStore::~LevelDbStore() = default;

LevelDbOutcome LevelDbStore::Open(const std::wstring& folder, bool forEdit)
{
    state_ = std::make_unique<State>();
    state_->folder = folder;
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return LevelDbOutcome::Fail(LevelDbProblem::Missing, "there is no such folder");
    // A rewrite writes and renames in the folder: through a link that would be elsewhere.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return LevelDbOutcome::Fail(LevelDbProblem::Failed, "its folder is a link; it is left as it is");
    if (::GetFileAttributesW(Join(folder, L"CURRENT").c_str()) == INVALID_FILE_ATTRIBUTES)
        return LevelDbOutcome::Fail(LevelDbProblem::Missing, "the folder holds no database (no CURRENT)");
    if (LevelDbOutcome ok = state_->lock.Take(folder, forEdit); !ok) return ok;
    if (LevelDbOutcome ok = ReadUnlocked(folder, state_->read); !ok) {
        state_->read = ReadState();
        state_->lock.Release();
        return ok;
    }
    state_->open = true;
    return {};
}

const std::vector<LevelDbEntry>& LevelDbStore::Entries() const { return state_->read.entries; }

std::vector<std::wstring> LevelDbStore::Strays() const
{
    std::vector<std::wstring> paths;
    for (const std::wstring& name : state_->read.strays) paths.push_back(Join(state_->folder, name));
    return paths;
}

std::vector<std::wstring> LevelDbStore::Obsolete() const
{
    std::vector<std::wstring> paths = Strays();
    for (const std::wstring& name : state_->read.live) paths.push_back(Join(state_->folder, name));
    return paths;
}

LevelDbOutcome LevelDbStore::Replace(const std::vector<LevelDbEntry>& keep,
                                     const std::function<std::string()>& stillFree)
{
    State& state = *state_;
    if (!state.open) return LevelDbOutcome::Fail(LevelDbProblem::Failed, "the database was not read");
    for (std::size_t i = 1; i < keep.size(); ++i)
        if (!(keep[i - 1].key < keep[i].key))
            return LevelDbOutcome::Fail(LevelDbProblem::Failed, "the entries to keep are not in the database's order");
    const std::uint64_t tableNumber = state.read.highestNumber + 1;
    const std::uint64_t manifestNumber = tableNumber + 1;
    const std::uint64_t logNumber = tableNumber + 2;
    const std::uint64_t sequence = state.read.lastSequence;

    std::vector<std::wstring> made;
    const auto fail = [&](LevelDbProblem problem, const std::string& why) {
        for (const std::wstring& name : made) ::DeleteFileW(Join(state.folder, name).c_str());
        return LevelDbOutcome::Fail(problem, why);
    };
    std::string edit;
    PutVarint(edit, kComparator);
    PutPrefixed(edit, kLevelDbComparator);
    PutVarint(edit, kLogNumber);
    PutVarint(edit, logNumber);
    PutVarint(edit, kPrevLogNumber);
    PutVarint(edit, 0);
    PutVarint(edit, kNextFile);
    PutVarint(edit, logNumber + 1);
    PutVarint(edit, kLastSequence);
    PutVarint(edit, sequence);
    if (!keep.empty()) {
        const std::string table = BuildTable(keep, sequence);
        // The table is read back before it goes anywhere near the database.
        std::vector<LevelDbEntry> check;
        const LevelDbOutcome reread =
            ReadTable(table, "the new table", [&](std::string key, std::uint64_t, bool, const std::string& value) {
                check.push_back({std::move(key), value});
            });
        if (!reread || check.size() != keep.size() ||
            !std::equal(check.begin(), check.end(), keep.begin(), [](const LevelDbEntry& a, const LevelDbEntry& b) {
                return a.key == b.key && a.value == b.value;
            }))
            return fail(LevelDbProblem::Failed, "the new table does not read back as written");
        const std::wstring name = NumberedName(tableNumber, L".ldb");
        if (LevelDbOutcome ok = WriteNewFile(state.folder, name, table, &made); !ok) return fail(ok.problem, ok.reason);
        PutVarint(edit, kNewFile);
        PutVarint(edit, 0);
        PutVarint(edit, tableNumber);
        PutVarint(edit, table.size());
        PutPrefixed(edit, InternalKey(keep.front().key, sequence));
        PutPrefixed(edit, InternalKey(keep.back().key, sequence));
    }
    std::string manifest;
    AppendLogRecord(manifest, edit);
    const std::wstring manifestName = L"MANIFEST-" + NumberedName(manifestNumber, L"");
    if (LevelDbOutcome ok = WriteNewFile(state.folder, manifestName, manifest, &made); !ok)
        return fail(ok.problem, ok.reason);

    // Nothing may have come in since the read: a browser started, or the files changed.
    if (stillFree)
        if (std::string why = stillFree(); !why.empty()) return fail(LevelDbProblem::Locked, why);
    const FolderListing listing = ListFolder(state.folder);
    if (listing.error != ERROR_SUCCESS) {
        const LevelDbOutcome failed = CannotList(listing);
        return fail(failed.problem, failed.reason);
    }
    ReadState now;
    Fingerprint(listing, now);
    now.files.erase(std::remove_if(now.files.begin(), now.files.end(),
                                   [&](const auto& file) {
                                       return std::find(made.begin(), made.end(), file.first) != made.end();
                                   }),
                    now.files.end());
    if (now.files != state.read.files)
        return fail(LevelDbProblem::Failed, "the database changed while it was being cleaned");

    // LevelDB's own way to switch versions: CURRENT written aside, then renamed over.
    const std::wstring temporary = NumberedName(manifestNumber, L".dbtmp");
    if (LevelDbOutcome ok = WriteNewFile(state.folder, temporary, Utf8FromWide(manifestName) + "\n", &made); !ok)
        return fail(ok.problem, ok.reason);
    PassWritePoint("leveldb: switch CURRENT");
    if (!::MoveFileExW(Join(state.folder, temporary).c_str(), Join(state.folder, L"CURRENT").c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(LevelDbProblem::Failed, "CURRENT cannot be replaced (" + ErrorText(::GetLastError()) + ")");
    PassWritePoint("leveldb: CURRENT switched");
    state.open = false;
    return {};
}

} // namespace sweepora
