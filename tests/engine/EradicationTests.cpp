#include "engine/DirectoryList.h"
#include "engine/Eradication.h"
#include "engine/LogReport.h"
#include "erasure/FileGuard.h"
#include "platform/FileIo.h"
#include "platform/HostPlatform.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "settings/SettingsPersistence.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace sweepora;

using test::Texts;

namespace {

struct EradicationFixture : test::SessionFixture {
    std::string Seed(const std::string& name, std::size_t size)
    {
        test::WriteFileBytes(folder.File(name), std::string(size, 'x'));
        return folder.File(name);
    }
    using CountPair = std::pair<std::int64_t, std::int64_t>;
    CountPair Counted() const { return {session.run.files, session.run.spaceSaved}; }
    // Still there, grown to `size`, all one pattern digit: overwritten, not merely kept.
    static void ExpectOverwritten(const std::string& path, std::size_t size)
    {
        const std::string bytes = test::ReadFileBytes(path);
        EXPECT_EQ(bytes.size(), size);
        EXPECT_TRUE(bytes[0] >= '0' && bytes[0] <= '9' && bytes.find_first_not_of(bytes[0]) == std::string::npos);
    }
    static bool MakeFolder(const std::string& path) { return ::CreateDirectoryW(LongPath(path).c_str(), nullptr); }
};

// Refuses what the tests name, as a file system, a driver in the way or a full disk would;
// `streams` claims an NTFS Zone.Identifier the file system here does not have.
struct Refusing final : EraseIo {
    bool deletes = false, renames = false, streams = false;
    DWORD extraAttributes = 0;
    mutable int goodWrites = -1; // fails every write after these; -1: none fails
    DWORD Write(HANDLE file, std::uint64_t offset, const char* bytes, DWORD length) const override
    {
        if (goodWrites == 0) return ERROR_DISK_FULL;
        if (goodWrites > 0) --goodWrites;
        return EraseIo::Write(file, offset, bytes, length);
    }
    DWORD Delete(HANDLE file) const override { return deletes ? ERROR_ACCESS_DENIED : EraseIo::Delete(file); }
    DWORD Rename(HANDLE file, const std::wstring& name) const override
    {
        return renames ? ERROR_ACCESS_DENIED : EraseIo::Rename(file, name);
    }
    bool Facts(HANDLE file, FileFacts& facts) const override
    {
        const bool known = EraseIo::Facts(file, facts);
        facts.attributes |= extraAttributes;
        return known;
    }
    std::vector<StreamInfo> Streams(HANDLE file) const override
    {
        return streams ? std::vector<StreamInfo>{{L":Zone.Identifier:$DATA", 26}} : EraseIo::Streams(file);
    }
};

} // namespace

TEST_F(EradicationFixture, FilesAreCountedOverwrittenInPassesAndDeleted)
{
    EradicateFile(session, folder.File("missing.txt"), 7); // says nothing
    const std::string ten = Seed("ten.txt", 10);
    EradicateFile(session, ten, 7); // test mode: counted, logged, kept
    EXPECT_EQ(test::ReadFileBytes(ten), std::string(10, 'x'));
    session.run.live = true;
    EradicateFile(session, ten, 0);
    EXPECT_FALSE(FileExists(ten));
    EXPECT_EQ(Tasks(), (Texts{"Testing : " + ten + " eradicated", ten + " deleted, not overwritten"}));
    // No passes: deleted and counted, but never called eradicated, and counted apart.
    EXPECT_NE(session.log.Lines().back().status.find("the content stays on the disk"), std::string::npos);
    EXPECT_EQ(Counted(), CountPair(2, 20));
    EXPECT_EQ(session.run.filesNotOverwritten, 1);

    // Abort confirmed after the first of seven passes: the file stays, grown to whole blocks.
    const std::string seven = Seed("seven.txt", 2048);
    host.onYield = [&] { session.run.abort = true; };
    EradicateFile(session, seven, 7);
    ExpectOverwritten(seven, 3072);
    EXPECT_EQ(Last(), seven + " **** aborted by user|@");
    EXPECT_EQ(Counted(), CountPair(2, 20)); // an aborted file is not erased, so not counted
    host.onYield = nullptr;
    session.run.abort = false;
    host.yields = 0;
    EradicateFile(session, seven, 7);
    EXPECT_GE(host.yields, 7); // one after each pass at least
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    // Past 32 MiB the block count needs more than 16 bits; the file is still overwritten.
    const std::size_t big = 33 * 1024 * 1024 + 5;
    const std::string large = Seed("large.bin", big);
    host.onYield = [&] { session.run.abort = true; };
    EradicateFile(session, large, 1);
    ExpectOverwritten(large, (big / 1024 + 1) * 1024);
}

TEST_F(EradicationFixture, ReadOnlyAndHeldFilesAreReportedAlikeByThePreviewAndTheRun)
{
    for (bool live : {false, true}) {
        session.run.live = live;
        for (std::int16_t passes : {std::int16_t{7}, std::int16_t{0}}) {
            const std::string path = Seed("locked" + std::to_string(passes) + ".txt", 100);
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
            EradicateFile(session, path, passes);
            EXPECT_EQ(test::ReadFileBytes(path), std::string(100, 'x'));
            EXPECT_EQ(Last(), (live ? "" : "Testing : ") + path + "|" + ErrorText(ERROR_ACCESS_DENIED));
            EXPECT_EQ(Counted(), CountPair(0, 0));
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        // Held open by another program, as a running browser holds its files.
        const std::string held = Seed("held.db", 10);
        const UniqueFile holder(::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        EradicateFile(session, held, 7);
        EXPECT_EQ(Last(), (live ? "" : "Testing : ") + held + "|" + ErrorText(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(Counted(), CountPair(0, 0));
    }
}

TEST_F(EradicationFixture, TheNameGoesBeforeTheFileAndWhatThePassesCannotReachOrWriteIsSaid)
{
    session.run.live = true;
    Refusing refusing;
    session.eraseIo = &refusing;
    // With the delete refused the file stays, overwritten and under a one-letter name.
    refusing.deletes = true;
    const std::string secret = Seed("secret plans for the merger.txt", 300);
    EradicateFile(session, secret, 7);
    EXPECT_EQ(Last(), secret + "|" + ErrorText(ERROR_ACCESS_DENIED));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::u8path(folder.Path())))
        names.push_back(e.path().filename().u8string());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].size(), 1u) << names[0];
    EXPECT_EQ(test::ReadFileBytes(folder.File(names[0])), ""); // emptied before the rename
    std::filesystem::remove(std::filesystem::u8path(folder.File(names[0])));

    // A rename that fails is said on the line; the file still goes.
    refusing.deletes = false;
    refusing.renames = true;
    const std::string named = Seed("named.txt", 10);
    EradicateFile(session, named, 7);
    EXPECT_FALSE(FileExists(named));
    const LogLine& renamed = session.log.Lines().back();
    EXPECT_EQ(renamed.task, named + " eradicated");
    EXPECT_NE(renamed.status.find("(its name was not scrubbed: " + ErrorText(ERROR_ACCESS_DENIED) + ")"),
              std::string::npos)
        << renamed.status;

    // A compressed file takes the passes on new clusters: deleted, said, not counted as
    // erased, alike in the preview and in the run.
    refusing.renames = false;
    refusing.extraAttributes = FILE_ATTRIBUTE_COMPRESSED;
    const std::string packed = Seed("packed.txt", 10);
    const CountPair before = Counted();
    for (bool live : {false, true}) {
        session.run.live = live;
        EradicateFile(session, packed, 7);
        const LogLine& line = session.log.Lines().back();
        EXPECT_EQ(line.task, (live ? "" : "Testing : ") + packed + " deleted, not overwritten");
        EXPECT_NE(line.status.find("compressed"), std::string::npos) << line.status;
        EXPECT_EQ(FileExists(packed), !live);
    }
    EXPECT_EQ(Counted(), before);

    // A failed write ends the passes and the line says so.
    session.run.live = true;
    refusing.extraAttributes = 0;
    refusing.goodWrites = 1;
    const std::string path = Seed("full.txt", 5000);
    EradicateFile(session, path, 7);
    EXPECT_FALSE(FileExists(path)); // the user wants it gone all the same
    EXPECT_EQ(Last(), path + " deleted, but the overwrite was incomplete|pass 1 of 7: " + ErrorText(ERROR_DISK_FULL));
    EXPECT_EQ(Counted(), before);

    refusing.goodWrites = -1;
    refusing.streams = true;
    const std::string tagged = Seed("downloaded.zip", 10);
    EradicateFile(session, tagged, 7);
    EXPECT_FALSE(FileExists(tagged));
    const std::string line = Last();
    EXPECT_EQ(line.rfind(tagged + " deleted, but the overwrite was incomplete|stream :Zone.Identifier:$DATA: ", 0), 0u)
        << line;

    // Sparse files: only their allocated ranges, then the padding to whole blocks.
    const std::vector<Extent> ranges = {{0, 4096}, {1 << 20, 4096}, {1 << 30, 4096}};
    EXPECT_EQ(OverwriteExtents(2 << 20, &ranges),
              (std::vector<Extent>{{0, 4096}, {1 << 20, 4096}, {2 << 20, 1024}}));
    EXPECT_EQ(OverwriteExtents(2048, nullptr), (std::vector<Extent>{{0, 2048}, {2048, 1024}}));
}

TEST_F(EradicationFixture, NamesInEveryScriptAndAnyLengthAreErasedAndReported)
{
    const std::string root = folder.File("priv");
    // Cyrillic, CJK, an emoji, trailing blanks; then a path of 30 folders (over 1 000 characters).
    std::string deeper = root;
    for (int i = 1; i <= 30; ++i) deeper += "\\folder-with-a-rather-long-name-" + std::to_string(i);
    ASSERT_GT(deeper.size(), 1000u);
    const Texts files = {root + "\\\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82\xD1\x8B\\\xD0\xBF\xD0\xBB\xD0\xB0\xD0\xBD.txt",
                         root + "\\\xE6\x97\xA5\xE8\xA8\x98.txt", root + "\\smile \xF0\x9F\x98\x80.txt",
                         root + "\\trailing  ", deeper + "\\deeper.txt"};
    ASSERT_TRUE(MakeFolder(root));
    ASSERT_TRUE(MakeFolder(root + "\\\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82\xD1\x8B"));
    for (std::string at = root; at.size() < deeper.size();) {
        at = deeper.substr(0, deeper.find('\\', at.size() + 1));
        ASSERT_TRUE(MakeFolder(at)) << at.size();
    }
    for (const std::string& f : files) test::WriteFileBytes(f, "secret");

    session.run.live = true;
    session.settings.NoOverWrites = 7;
    std::string path = root;
    EradicateFolder(session, path, true, true);
    EXPECT_FALSE(FileExists(root));
    const Texts tasks = Tasks();
    for (const std::string& f : files)
        EXPECT_EQ(std::count(tasks.begin(), tasks.end(), f + " eradicated"), 1) << f;
    EXPECT_EQ(std::count(tasks.begin(), tasks.end(), deeper + "\\"), 1);
    EXPECT_EQ(session.run.files, 5);

    // The report shows them as they are, and Notepad knows it is UTF-8.
    const std::string report = folder.File("report.txt");
    const ReportHeader header{"Microsoft Windows", "user", {}};
    ASSERT_TRUE(WriteLogReport(report, session.log.Lines(), header, nullptr));
    const std::string bytes = test::ReadFileBytes(report);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find(files[1] + " eradicated, "), std::string::npos);
}

TEST_F(EradicationFixture, FolderWalkVisitsEachEntryOnceAndSaysWhyAFolderStays)
{
    const std::string root = folder.File("walk");
    for (const char* sub : {"", "\\sub", "\\sub\\deeper", "\\zsub"}) ::CreateDirectoryA((root + sub).c_str(), nullptr);
    for (const char* f : {"\\a.txt", "\\sub\\b.txt", "\\sub\\deeper\\c.txt", "\\zsub\\d.txt", "\\z.txt", "\\hidden.txt"})
        test::WriteFileBytes(root + f, "data");
    ::SetFileAttributesA((root + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);

    std::string path = root;
    EradicateFolder(session, path, true, true); // test mode: every file logged once
    EXPECT_EQ(path, root + "\\");
    const Texts preview = Tasks();
    EXPECT_EQ(preview.size(), 9u); // five files, three subfolders, the folder
    EXPECT_EQ(std::count(preview.begin(), preview.end(), "Testing : " + root + "\\a.txt deleted, not overwritten"), 1);
    // The hidden file stays, so the folder would: the preview says so, as the run will.
    const std::string kept = root + "\\|Not removed: not empty, something inside was kept";
    EXPECT_EQ(Last(), "Testing : " + kept);
    EXPECT_EQ(session.run.files, 5);
    EXPECT_TRUE(FileExists(root + "\\sub\\deeper\\c.txt"));

    session.log.Clear();
    session.run.live = true;
    session.run.previewGone.clear();
    EradicateFolder(session, path, true, true);
    Texts live = Tasks();
    for (std::string& t : live) t = "Testing : " + t;
    EXPECT_EQ(live, preview);
    EXPECT_EQ(Last(), kept);
    EXPECT_FALSE(FileExists(root + "\\sub") || FileExists(root + "\\zsub") || FileExists(root + "\\a.txt"));
    EXPECT_EQ(test::ReadFileBytes(root + "\\hidden.txt"), "data");

    session.log.Clear();
    std::string missing = folder.File("nowhere"), empty;
    EradicateFolder(session, missing, true, true);
    EradicateFolder(session, empty, true, true);
    ASSERT_EQ(Tasks(), Texts{missing});
    EXPECT_EQ(Last().rfind(missing + "|Not removed: ", 0), 0u) << Last();
}

TEST_F(EradicationFixture, CustomDirsAreKeptBetweenStartsAndEmptiedUnlessRefused)
{
    CleanCustomDirs(session);
    EXPECT_TRUE(session.log.Lines().empty());
    std::vector<std::string>& dirs = session.settings.CustomDirList;
    const std::string one = folder.File("one"), two = folder.File("two");
    EXPECT_TRUE(AddDir(dirs, one));
    // Already listed blanks aside, a bar that would split the saved list, only blanks.
    for (const std::string& refused : {"  " + one + " ", std::string("C:\\a|b"), std::string("   ")})
        EXPECT_FALSE(AddDir(dirs, refused)) << refused;
    EXPECT_TRUE(AddDir(dirs, two) && AddDir(dirs, "C:\\third"));
    RemoveDir(dirs, 2);
    RemoveDir(dirs, 9);
    SaveEraseSettingKeys(store, session.settings);
    AppSettings reloaded;
    LoadSettings(store, reloaded);
    EXPECT_EQ(reloaded.CustomDirList, (Texts{one, two}));

    for (const std::string& d : dirs) {
        ::CreateDirectoryA(d.c_str(), nullptr);
        test::WriteFileBytes(d + "\\trace.txt", "t");
    }
    // A list from an older version may hold a drive root: that entry is skipped.
    dirs.insert(dirs.begin() + 1, "C:\\");
    session.run.live = true;
    CleanCustomDirs(session);
    EXPECT_FALSE(FileExists(one) || FileExists(two));
    const std::string deleted = "\\trace.txt deleted, not overwritten";
    EXPECT_EQ(Tasks(), (Texts{one + deleted, one + "\\", "C:\\", two + deleted, two + "\\"}));
    EXPECT_EQ(session.log.Lines()[2].status, "Skipped: it is the root of a drive");

    // Which folders are refused is the guard tests' business; this machine's places lie elsewhere.
    EXPECT_NE(CustomDirRefusal(test::EnvironmentText("windir"), CurrentProtectedPlaces()), "");
    EXPECT_EQ(CustomDirRefusal(one, CurrentProtectedPlaces()), "");
}

// Links need the host side: the CTest entry engine_tests.links makes them in the prefix
// (a linked folder, a hard link and a symbolic link to files outside the walk) and names
// the folder here.
TEST_F(EradicationFixture, LinksAreNeverWrittenThrough)
{
    const char* prepared = std::getenv("SWEEPORA_LINK_WALK");
    if (!prepared) GTEST_SKIP() << "run through the engine_tests.links entry";
    const std::string walk = prepared; // gone.txt, link -> ..\target, hard.doc and soft.doc -> ..\docs\thesis.doc
    ASSERT_TRUE(::GetFileAttributesA((walk + "\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    for (bool live : {false, true}) {
        session.log.Clear();
        session.run.live = live;
        session.settings.NoOverWrites = 7;
        std::string path = walk;
        EradicateFolder(session, path, false, true);
        const std::string prefix = live ? "" : "Testing : ";
        // Wine would remove the linked folder's target in its place, so there it stays.
        const std::string linkLine = RunningUnderWine() ? "\\link\\ left in place" : "\\link\\ link removed";
        Texts expected = {prefix + walk + "\\gone.txt eradicated", prefix + walk + "\\hard.doc removed, not overwritten",
                          prefix + walk + linkLine, prefix + walk + "\\soft.doc left in place"};
        Texts tasks = Tasks();
        std::sort(tasks.begin(), tasks.end());
        EXPECT_EQ(tasks, expected);
    }
    EXPECT_FALSE(FileExists(walk + "\\gone.txt") || FileExists(walk + "\\hard.doc"));
    const auto& lines = session.log.Lines();
    const auto hard = std::find_if(lines.begin(), lines.end(), [](const LogLine& l) { return l.task.find("hard.doc") != std::string::npos; });
    ASSERT_NE(hard, lines.end());
    EXPECT_EQ(hard->status, "one of 2 names of the file: the other names still hold the data");
    // A folder reached through a link to the Windows folder is the Windows folder.
    EXPECT_EQ(CanonicalFolder(walk + "\\..\\winlink\\"), CurrentProtectedPlaces().windows);
}
