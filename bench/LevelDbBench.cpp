// The LevelDB line: our clean of a Local Storage database against LevelDB's own library
// deleting the same keys and compacting, on copies of the same files, the library being
// the floor.
#include "BenchTiming.h"
#include "LevelDbBench.h"
#include "QuietHost.h"

#include "browsers/BrowserSites.h"
#include "browsers/ChromiumWebStorage.h"
#include "engine/Session.h"
#include "engine/SilentDesktop.h"
#include "platform/LongPath.h"
#include "settings/SettingsStore.h"

#include <leveldb/db.h>
#include <leveldb/write_batch.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sweepora::bench {

namespace {

constexpr int kOrigins = 10000;
constexpr int kKeysPerOrigin = 20;
constexpr int kRounds = 3;
constexpr std::size_t kBatch = 1000;

// Origin n; the even ones are kept.
std::string Origin(int n) { return "https://site" + std::to_string(n) + ".example"; }

std::unique_ptr<leveldb::DB> Open(const std::string& folder, bool create)
{
    leveldb::Options options;
    options.create_if_missing = create;
    options.error_if_exists = create;
    leveldb::DB* db = nullptr;
    const leveldb::Status status = leveldb::DB::Open(options, folder, &db);
    if (!status.ok()) std::fprintf(stderr, "bench: LevelDB cannot open %s: %s\n", folder.c_str(), status.ToString().c_str());
    return std::unique_ptr<leveldb::DB>(db);
}

bool Write(leveldb::DB& db, leveldb::WriteBatch& batch)
{
    const leveldb::Status status = db.Write(leveldb::WriteOptions(), &batch);
    batch.Clear();
    if (!status.ok()) std::fprintf(stderr, "bench: LevelDB cannot write: %s\n", status.ToString().c_str());
    return status.ok();
}

// Local Storage as Chromium lays it out: "VERSION", then per origin "META:<origin>" and its
// values "_<origin>\0<key>", keys and values Latin-1 (a leading 1), compacted into tables.
bool MakeLocalStorage(const std::string& folder)
{
    const std::unique_ptr<leveldb::DB> db = Open(folder, true);
    if (!db) return false;
    leveldb::WriteBatch batch;
    batch.Put("VERSION", "1");
    for (int n = 0; n < kOrigins; ++n) {
        const std::string origin = Origin(n);
        batch.Put("META:" + origin, std::string("\x08\x80\x80\x80\x80\x80\x80\x80\x01\x10", 10) + std::to_string(n));
        for (int k = 0; k < kKeysPerOrigin; ++k)
            batch.Put("_" + origin + std::string(1, '\0') + "\1item" + std::to_string(k),
                      "\1value " + std::to_string(n) + "/" + std::to_string(k) + " of a site's storage");
        if ((n + 1) % 50 == 0 && !Write(*db, batch)) return false;
    }
    if (!Write(*db, batch)) return false;
    db->CompactRange(nullptr, nullptr);
    return true;
}

std::vector<std::string> FileNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

// `database` copied to <profile>\Local Storage\leveldb, as in a profile's folder.
bool CopyIntoProfile(const std::string& database, const std::string& profile)
{
    ::CreateDirectoryA(profile.c_str(), nullptr);
    ::CreateDirectoryA((profile + "\\Local Storage").c_str(), nullptr);
    const std::string to = profile + "\\Local Storage\\leveldb";
    ::CreateDirectoryA(to.c_str(), nullptr);
    for (const std::string& name : FileNames(database))
        if (!::CopyFileA((database + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE)) return false;
    return true;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + "\\" + name);
            else
                ::DeleteFileA((folder + "\\" + name).c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

// The floor: the library reads every entry (checksums verified, as ours does), deletes
// the keys of the origins that go in write batches, and compacts the whole database so
// that nothing of them is left in its files.
bool LibraryClean(const std::string& folder, const std::set<std::string>& gone)
{
    const std::unique_ptr<leveldb::DB> db = Open(folder, false);
    if (!db) return false;
    leveldb::ReadOptions read;
    read.verify_checksums = true;
    leveldb::WriteBatch batch;
    std::size_t pending = 0;
    {
        const std::unique_ptr<leveldb::Iterator> it(db->NewIterator(read));
        for (it->SeekToFirst(); it->Valid(); it->Next()) {
            const std::string key = it->key().ToString();
            std::string origin;
            if (key.compare(0, 5, "META:") == 0)
                origin = key.substr(5);
            else if (key[0] == '_')
                origin = key.substr(1, key.find('\0') - 1);
            if (!gone.count(origin)) continue;
            batch.Delete(key);
            if (++pending % kBatch == 0 && !Write(*db, batch)) return false;
        }
        if (!it->status().ok()) return false;
    }
    if (!Write(*db, batch)) return false;
    db->CompactRange(nullptr, nullptr);
    return true;
}

} // namespace

int BenchLevelDb()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string work = std::string(temp) + "sweepora-leveldb-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(work.c_str(), nullptr);
    const std::string source = work + "\\source";
    if (!MakeLocalStorage(source)) {
        RemoveTree(work);
        return 1;
    }

    std::vector<std::string> keep;
    std::set<std::string> gone;
    for (int n = 0; n < kOrigins; ++n) {
        if (n % 2 == 0)
            keep.push_back("site" + std::to_string(n) + ".example");
        else
            gone.insert(Origin(n));
    }
    const KeptSite kept = SitesKept(keep);
    RegistrySettingsStore store("Software\\SweeporaBench");
    QuietHost host;
    SilentDesktop desktop;
    Session session(store, host, desktop, work + "\\sweepora.exe");
    session.run.live = true;

    const std::string ours = work + "\\ours\\User Data", floor = work + "\\floor\\User Data";
    std::vector<double> oursRuns, floorRuns;
    std::int64_t origins = 0;
    bool failed = false;
    for (int round = 0; round < kRounds && !failed; ++round) {
        // Alternating who goes first, so that neither always meets a busier disk.
        for (int turn = 0; turn < 2 && !failed; ++turn) {
            if ((turn + round) % 2 == 0) {
                ::CreateDirectoryA((work + "\\ours").c_str(), nullptr);
                ::CreateDirectoryA(ours.c_str(), nullptr);
                failed |= !CopyIntoProfile(source, ours + "\\Default");
                BrowserProfile profile;
                profile.name = "Default";
                profile.folder = LongPath(ours + "\\Default");
                profile.dataFolder = LongPath(ours);
                EraseContext context = session.Erasure();
                std::vector<StoreOutcome> outcomes;
                oursRuns.push_back(Seconds([&] { outcomes = CleanChromiumWebStorage(context, profile, kept); }));
                origins = 0;
                for (const StoreOutcome& o : outcomes) {
                    if (!o.problem.empty()) {
                        std::fprintf(stderr, "bench: %s: %s\n", o.store.c_str(), o.problem.c_str());
                        failed = true;
                    }
                    origins += o.rows;
                }
                failed |= origins != static_cast<std::int64_t>(gone.size());
                RemoveTree(work + "\\ours");
            } else {
                ::CreateDirectoryA((work + "\\floor").c_str(), nullptr);
                ::CreateDirectoryA(floor.c_str(), nullptr);
                failed |= !CopyIntoProfile(source, floor + "\\Default");
                const std::string database = floor + "\\Default\\Local Storage\\leveldb";
                floorRuns.push_back(Seconds([&] { failed |= !LibraryClean(database, gone); }));
                RemoveTree(work + "\\floor");
            }
        }
    }
    RemoveTree(work);
    if (failed) {
        std::fprintf(stderr, "bench: a Local Storage clean failed\n");
        return 1;
    }
    std::printf("leveldb-clean-floor %.2f s (LevelDB 1.23: the same keys deleted in batches, then compacted)\n",
                Median(floorRuns));
    std::printf("leveldb-clean %.2f s, %lld origins removed\n", Median(oursRuns), static_cast<long long>(origins));
    std::printf("ratio leveldb-clean/floor %.2f\n", Median(oursRuns) / Median(floorRuns));
    std::fflush(stdout);
    return 0;
}

} // namespace sweepora::bench
