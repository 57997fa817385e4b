// Report files replaced whole, while another thread reads them as a collector would.
#include "platform/AtomicFile.h"
#include "platform/UniqueHandle.h"

#include "support/TestSupport.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <thread>

using namespace sweepora;

namespace {

// Every name in the folder, so a left-over temporary file shows.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Reads as a copy would, sharing deletion so the writer may replace the file once it is closed.
bool ReadShared(const std::string& path, std::string& bytes)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    bytes.clear();
    char chunk[4096];
    DWORD read = 0;
    // Small reads, so a write that was not whole would be caught half-way.
    while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return true;
}

} // namespace

TEST(AtomicFile, AReaderSeesTheOldDocumentOrTheNewOneNeverAMixAndAFailedWriteLeavesTheOld)
{
    test::TempFolder folder;
    const std::string path = folder.File("last-run.json");
    const std::string older = "{\"outcome\": \"running\"}\n" + std::string(100000, 'o');
    const std::string newer = "{\"outcome\": \"completed\"}\n" + std::string(300000, 'n');
    ASSERT_TRUE(WriteFileAtomically(path, older));

    std::atomic<bool> done{false};
    std::atomic<int> writes{0}, failures{0};
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) (WriteFileAtomically(path, i % 2 ? older : newer) ? writes : failures)++;
        done = true;
    });
    int reads = 0, torn = 0, missing = 0;
    std::string bytes;
    while (!done) {
        if (!ReadShared(path, bytes)) {
            ++missing;
            continue;
        }
        ++reads;
        if (bytes != older && bytes != newer) ++torn;
        // A copy at a time, as a collector makes: a file never closed could never be replaced.
        ::Sleep(1);
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    EXPECT_EQ(missing, 0);
    EXPECT_GT(reads, 10);
    EXPECT_EQ(writes, 200);
    EXPECT_EQ(failures, 0);

    // Held without sharing deletion, as a program that keeps it open would: it cannot be
    // replaced, and a write that fails leaves the old file and no temporary one.
    {
        UniqueFile held(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(WriteFileAtomically(path, "new"));
    }
    EXPECT_TRUE(test::ReadFileBytes(path) == older);
    // A folder that does not exist: nothing is made.
    EXPECT_FALSE(WriteFileAtomically(folder.File("no\\such\\report.txt"), "new"));
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"last-run.json"});
}
