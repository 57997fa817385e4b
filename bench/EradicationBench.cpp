// Prints eradication throughput, folder-walk and URL cache walk rates for this machine, one
// figure per line as "name value unit"; the eradication figures are medians of three runs.
#include "BenchTiming.h"
#include "BrowsersBench.h"
#include "DefinitionsBench.h"
#include "LevelDbBench.h"
#include "UrlCacheBench.h"
#include "engine/Eradication.h"
#include "engine/SilentDesktop.h"
#include "erasure/FileOverwrite.h"
#include "platform/FileIo.h"
#include "platform/FolderListing.h"
#include "platform/UniqueHandle.h"
#include "settings/SettingsStore.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace sweepora;
using bench::Median;
using bench::Seconds;

namespace {

class BenchHost final : public RunHost {
public:
    void YieldToQueue() override {}
    void SelectStatusTab() override {}
    void RunStarted() override {}
    void RunFinished(bool) override {}
};

constexpr std::size_t kBigFile = 64u << 20;
constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr std::size_t kSmallFile = 1000;

void MakeTree(const std::string& root)
{
    ::CreateDirectoryA(root.c_str(), nullptr);
    const std::string data(kSmallFile, 's');
    for (int d = 0; d < kFolders; ++d) {
        const std::string folder = root + "\\d" + std::to_string(d);
        ::CreateDirectoryA(folder.c_str(), nullptr);
        for (int f = 0; f < kFilesPerFolder; ++f) WriteWholeFile(folder + "\\f" + std::to_string(f) + ".txt", data);
    }
}

// The platform's floor for one file: delete-file and nothing else; with `passes`, the file
// first gets that many flushed 1 KiB writes, as the bare form of an overwrite.
void FloorWalkFile(const std::wstring& path, int passes)
{
    static const std::string block(1024, 'f');
    if (passes > 0) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        for (int pass = 0; pass < passes; ++pass) {
            DWORD written = 0;
            ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
            ::WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
            ::FlushFileBuffers(file);
        }
        ::CloseHandle(file);
    }
    ::DeleteFileW(path.c_str());
}

// One file at the given step of the eradicator's sequence, each step adding to the one
// before: 0 is DeleteFileW; 1 opens once and deletes through the handle; 2 adds the link
// count and file index (the handle's file descriptor, under Wine); 3 the handle's own name,
// which is how a link to a file shows; 4, with passes, the emptying and two renames.
void StepFile(const std::wstring& path, int step, int passes)
{
    static const std::string block(1024, 'f');
    if (step == 0) {
        FloorWalkFile(path, passes);
        return;
    }
    const DWORD access = DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES | (passes > 0 ? GENERIC_READ | GENERIC_WRITE : 0);
    UniqueFile file(::CreateFileW(path.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return;
    FileFacts facts;
    if (step >= 2) QueryFileFacts(file.get(), facts);
    if (step >= 3) FinalPathOf(file.get());
    static const std::string other(1024, 'g');
    // A pass writes what every pass must: each extent (the file's own bytes, then the
    // padding to a whole block) with one pattern, then the other, and a flush.
    static const std::vector<Extent> extents = OverwriteExtents(kSmallFile, nullptr);
    for (int pass = 0; pass < passes; ++pass) {
        for (const Extent& e : extents) {
            SystemEraseIo().Write(file.get(), e.offset, block.data(), static_cast<DWORD>(e.length));
            SystemEraseIo().Write(file.get(), e.offset, other.data(), static_cast<DWORD>(e.length));
        }
        SystemEraseIo().Flush(file.get());
    }
    if (step >= 4 && passes > 0) {
        FILE_END_OF_FILE_INFO end = {};
        ::SetFileInformationByHandle(file.get(), FileEndOfFileInfo, &end, sizeof end);
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
        for (const wchar_t* name : {L"q1w2e3r4t5", L"z"}) SystemEraseIo().Rename(file.get(), folder + name);
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
}

// Find-first, find-next and each file at `step`, folders removed after; step 0 is the
// floor the walks are measured against.
void StepWalk(const std::wstring& folder, int step, int passes)
{
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            StepWalk(folder + L"\\" + name, step, passes);
        else
            StepFile(folder + L"\\" + name, step, passes);
    } while (::FindNextFileW(find.get(), &data));
    find.reset();
    ::RemoveDirectoryW(folder.c_str());
}

// What each step that the eradicator may not leave out costs, as a share of the floor:
// the ceiling of the walk's ratio on this platform. The eradicator's own walk closes each
// list, so its distance from the last step is what its own bookkeeping costs.
int BenchSteps(Session& session, const std::string& work)
{
    const std::string root = work + "\\steps";
    for (int passes : {0, 7}) {
        session.settings.NoOverWrites = static_cast<std::int16_t>(passes);
        const int last = passes == 0 ? 3 : 4;
        std::vector<std::vector<double>> runs(last + 2);
        for (int round = 0; round < 3; ++round) {
            for (int step = 0; step <= last; ++step) {
                MakeTree(root);
                runs[step].push_back(Seconds([&] { StepWalk(std::wstring(root.begin(), root.end()), step, passes); }));
            }
            MakeTree(root);
            session.log.Clear();
            std::string path = root;
            runs[last + 1].push_back(Seconds([&] { EradicateFolder(session, path, true, true); }));
        }
        for (int step = 0; step <= last + 1; ++step)
            std::printf("walk-steps-level%d-%s %.1f files/s, ratio %.2f\n", passes,
                        step > last ? "eradicator" : ("step" + std::to_string(step)).c_str(),
                        kFolders * kFilesPerFolder / Median(runs[step]), Median(runs[0]) / Median(runs[step]));
        std::fflush(stdout);
    }
    ::RemoveDirectoryA(work.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // "definitions": only the definitions load.
    if (argc > 1 && std::string(argv[1]) == "definitions") return bench::BenchDefinitions();
    // "browsers": only the browsers' clean against SQLite's shell.
    if (argc > 1 && std::string(argv[1]) == "browsers") return bench::BenchBrowsers();
#ifdef SWEEPORA_BENCH_LEVELDB
    // "leveldb": only the Local Storage clean against LevelDB's own library.
    if (argc > 1 && std::string(argv[1]) == "leveldb") return bench::BenchLevelDb();
#endif
    // "walk": only the folder walks and their floors, for quick comparisons.
    const bool walksOnly = argc > 1 && std::string(argv[1]) == "walk";
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string work = std::string(temp) + "sweepora-bench-" + std::to_string(::GetCurrentProcessId());
    if (!::CreateDirectoryA(work.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", work.c_str());
        return 1;
    }

    RegistrySettingsStore store("Software\\SweeporaBench");
    BenchHost host;
    SilentDesktop desktop;
    Session session(store, host, desktop, work + "\\sweepora.exe");
    session.run.live = true;
    // "steps": what each step of the eradicator's sequence costs against the floor.
    if (argc > 1 && std::string(argv[1]) == "steps") return BenchSteps(session, work);

    const std::string big(kBigFile, 'b');
    const std::string bigPath = work + "\\big.bin";
    for (std::int16_t passes : {std::int16_t{0}, std::int16_t{7}, std::int16_t{20}}) {
        if (walksOnly) break;
        std::vector<double> runs;
        for (int i = 0; i < 3; ++i) {
            WriteWholeFile(bigPath, big);
            runs.push_back(Seconds([&] { EradicateFile(session, bigPath, passes); }));
        }
        const double s = Median(runs);
        if (passes == 0)
            std::printf("eradicate-64MiB-0 %.1f files/s\n", 1.0 / s);
        else
            std::printf("eradicate-64MiB-%d %.1f MB/s\n", passes, 64.0 * passes / s);
        std::fflush(stdout);
    }

    // Ours, the bare loop and the bare sequence of steps an erasure may not leave out take
    // turns over fresh copies of the same tree, so that all meet the same disk and the same
    // moment of this machine. The sequence is the floor the walk is held to.
    const int onlyLevel = walksOnly && argc > 2 ? std::atoi(argv[2]) : -1;
    for (std::int16_t level : {std::int16_t{0}, std::int16_t{7}}) {
        if (onlyLevel >= 0 && level != onlyLevel) continue;
        session.settings.NoOverWrites = level;
        const int required = level == 0 ? 3 : 4;
        std::vector<double> ours, bare, steps;
        const int rounds = level == 0 ? 5 : 3;
        for (int i = 0; i < rounds; ++i) {
            // Each walk takes each place in the order in turn: whatever the one before
            // leaves the disk and the Wine server busy with falls on all three alike.
            for (int turn = 0; turn < 3; ++turn) {
                std::string root = work + "\\tree";
                const std::wstring wide(root.begin(), root.end());
                MakeTree(root);
                switch ((turn + i) % 3) {
                case 0:
                    bare.push_back(Seconds([&] { StepWalk(wide, 0, level); }));
                    break;
                case 1:
                    steps.push_back(Seconds([&] { StepWalk(wide, required, level); }));
                    break;
                default:
                    session.log.Clear();
                    ours.push_back(Seconds([&] { EradicateFolder(session, root, true, true); }));
                }
            }
        }
        const double files = kFolders * kFilesPerFolder;
        std::printf("walk-10k-floor-level%d %.1f files/s\n", level, files / Median(bare));
        std::printf("walk-10k-steps-level%d %.1f files/s\n", level, files / Median(steps));
        std::printf("walk-10k-level%d %.1f files/s\n", level, files / Median(ours));
        std::printf("ratio walk-10k-level%d/steps %.2f (target 0.9)\n", level, Median(steps) / Median(ours));
        std::fflush(stdout);
    }
    if (!walksOnly) bench::BenchUrlCache(session);
    if (!walksOnly) bench::BenchDefinitions();
    if (!walksOnly) bench::BenchBrowsers();
#ifdef SWEEPORA_BENCH_LEVELDB
    if (!walksOnly) bench::BenchLevelDb();
#endif
    ::RemoveDirectoryA(work.c_str());
    return 0;
}
