// Runs the console program as a user would: a copy in its own folder, real registry traces.
#include "engine/RegistryMruCleaners.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "platform/UrlHistory.h"
#include "safelists/TypedUrlLoader.h"
#include "settings/DataFolder.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

using namespace sweepora;
using test::Texts;

namespace {

struct Result : test::ProgramResult {
    Texts tasks; // the first column of each line
};

Result RunProgram(const std::string& exe, const std::string& args)
{
    Result r;
    static_cast<test::ProgramResult&>(r) = test::RunProgram(exe, args);
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        std::string task = line.substr(0, line.find_first_of("\t\r"));
        // A run may cross a second boundary: the summary's elapsed time is not compared.
        const std::size_t time = task.find(" time taken : ");
        if (time != std::string::npos) task.resize(time + 14);
        r.tasks.push_back(task);
    }
    return r;
}

std::size_t Left(const char* key) { return test::ValueNames(HKEY_CURRENT_USER, key).size(); }

struct CliFixture : ::testing::Test {
    test::ScratchKey settings{"Software\\Sweepora"}, run{kRunMruKey}, docFind{kDocFindMruKey},
        filesNamed{kFilesNamedMruKey}, typed{kTypedUrlsKey};
    test::ScratchHistory scratchHistory;
    test::TempFolder folder;
    std::string exe = folder.File("sweepora-cli.exe");
    // The program's temporary folder, which the temp cleaner empties.
    std::string trace = folder.File("temp\\trace.tmp");
    test::ScopedEnvironment tmp{"TMP", FolderOf(trace)};

    void SetUp() override
    {
        ::CreateDirectoryA(FolderOf(trace).c_str(), nullptr);
        test::WriteFileBytes(trace, "t");
        const std::string built = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
        ASSERT_TRUE(::CopyFileA(built.c_str(), exe.c_str(), FALSE)) << built;
        // The AutoComplete helper as installed beside it: the live run waits for its answer.
        const std::string helper = AddBackslash(FolderOf(ExecutablePath())) + "iea.exe";
        ASSERT_TRUE(::CopyFileA(helper.c_str(), folder.File("iea.exe").c_str(), FALSE)) << helper;
        const char* values[][3] = {{kRunMruKey, "a", "notepad\\1"}, {kRunMruKey, "MRUList", "a"},
                                   {kDocFindMruKey, "a", "*.doc"}, {kFilesNamedMruKey, "001", "secret"},
                                   {kTypedUrlsKey, "url1", "http://bank.example/"},
                                   {kTypedUrlsKey, "url2", "http://kept.example/"},
                                   {kTypedUrlsKey, "url3", "http://news.example/"}};
        for (const auto& v : values) test::WriteString(HKEY_CURRENT_USER, v[0], v[1], v[2]);
        test::WriteFileBytes(folder.File(kSafeUrlsFile), "http://KEPT.example/\r\n");
        CURLHistory history;
        history.AddURL("http://visited.example/", "", 0);
        history.AddURL("http://kept.example/", "", 0);
        test::WriteFileBytes(folder.File(kSafeHistoryFile), "http://kept.example/\r\n");
    }
    std::size_t Remaining() const
    {
        return Left(kRunMruKey) + Left(kDocFindMruKey) + Left(kFilesNamedMruKey) + Left(kTypedUrlsKey) +
               test::HistoryUrls().size() + FileExists(trace);
    }
};

} // namespace

TEST_F(CliFixture, PreviewErasesNothingAndCleanKeepsTheSafeList)
{
    const Result preview = RunProgram(exe, "preview --report \"" + folder.File("run report.txt") + "\"");
    EXPECT_EQ(preview.exitCode, 0u) << preview.out;
    // A line per cleaner and store, the summary last; the two index.dat files the cache walks
    // left held open have a line each.
    ASSERT_EQ(preview.tasks.size(), 27u) << preview.out;
    EXPECT_NE(std::find(preview.tasks.begin(), preview.tasks.end(), "Testing : " + trace + " deleted, not overwritten"),
              preview.tasks.end());
    EXPECT_NE(preview.out.find("Testing : Netscape History\tTerminated"), std::string::npos); // no profile here
    EXPECT_EQ(Remaining(), 7u + 2u + 1u);
    const std::string report = test::ReadFileBytes(folder.File("run report.txt"));
    // The four keys seeded above; the lists that are not there are not counted.
    EXPECT_NE(report.find("\r\nTesting : Finished :- Space saved : 0 MB, Files : 1 (1 deleted, not overwritten),"
                          "Registory keys : 4,"),
              std::string::npos)
        << report;

    // The run says what the preview said, line for line.
    const Result clean = RunProgram(exe, "clean");
    EXPECT_EQ(clean.exitCode, 0u) << clean.out;
    Texts marked;
    for (const std::string& t : clean.tasks) marked.push_back("Testing : " + t);
    EXPECT_EQ(preview.tasks, marked) << clean.out;
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), Texts{"url2"});
    EXPECT_EQ(test::HistoryUrls(), Texts{"http://kept.example/"});
    EXPECT_EQ(Remaining(), 2u);
    // The console program does not rewrite the settings it runs with.
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, "Software\\Sweepora"));
}

TEST_F(CliFixture, AKeepListHeldWithoutSharingStopsBothRunsWithStatusFour)
{
    const std::string list = folder.File(kSafeUrlsFile);
    const UniqueFile held(::CreateFileA(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    for (const char* mode : {"preview", "clean"}) {
        const std::string json = folder.File(std::string(mode) + ".json");
        const Result r = RunProgram(exe, std::string(mode) + " --json \"" + json + "\"");
        EXPECT_EQ(r.exitCode, 4u) << r.out;
        EXPECT_NE(r.out.find("sweepora-cli: Nothing was cleaned"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Safe lists\tNot read: " + list + "; nothing was cleaned"), std::string::npos) << r.out;
        EXPECT_EQ(Remaining(), 7u + 2u + 1u) << mode; // the typed URL kept by the list among them
        const std::string report = test::ReadFileBytes(json);
        EXPECT_NE(report.find("\"refused\""), std::string::npos) << report;
    }
}

TEST_F(CliFixture, RejectsBadArgumentsAndFollowsTheSavedCategoriesUnderThePolicy)
{
    for (const char* args : {"", "bogus", "clean preview", "preview --report", "clean --report a --report b",
                             "preview --only", "preview --all", "definitions --only x", "clean --only Nobody"}) {
        const Result r = RunProgram(exe, args);
        EXPECT_EQ(r.exitCode, 2u) << args;
        ASSERT_FALSE(r.tasks.empty()) << args;
        EXPECT_TRUE(r.tasks[0].rfind("usage: sweepora-cli preview|clean", 0) == 0 ||
                    r.tasks[0] == "sweepora-cli: no plugin or offered definition is named Nobody")
            << r.out;
    }
    const Result unwritable = RunProgram(exe, "preview --report " + folder.File("no\\such\\report.txt"));
    EXPECT_EQ(unwritable.exitCode, 0u);
    EXPECT_NE(unwritable.out.find("could not write the report"), std::string::npos) << unwritable.out;
    EXPECT_EQ(Remaining(), 7u + 2u + 1u);

    test::WriteString(HKEY_CURRENT_USER, "Software\\Sweepora\\EraseSettings", "RunHistory", "0");
    test::WriteString(HKEY_CURRENT_USER, "Software\\Sweepora\\EraseSettings", "NetTypedUrls", " 0 ");
    const Result clean = RunProgram(exe, "clean");
    EXPECT_EQ(clean.exitCode, 0u);
    ASSERT_FALSE(clean.tasks.empty());
    EXPECT_EQ(clean.tasks[0], "Find File List cleared");
    EXPECT_EQ(Left(kRunMruKey) + Left(kTypedUrlsKey), 2u + 3u);

    // The administrator's policy goes over the user's own settings, and none is written back.
    const char* policies = "Software\\Policies\\Sweepora\\EraseSettings";
    test::ScratchKey cleanup{"Software\\Policies\\Sweepora"};
    const std::string lab = folder.File("lab");
    ::CreateDirectoryA(lab.c_str(), nullptr);
    test::WriteFileBytes(lab + "\\session.log", "x");
    test::WriteString(HKEY_CURRENT_USER, "Software\\Sweepora\\EraseSettings", "RunHistory", "1");
    test::WriteString(HKEY_CURRENT_USER, policies, "RunHistory", "0");
    test::WriteString(HKEY_CURRENT_USER, policies, "CustomDirs", "1");
    test::WriteString(HKEY_CURRENT_USER, policies, "CustomDirList", lab);
    const Result underPolicy = RunProgram(exe, "clean");
    EXPECT_EQ(underPolicy.exitCode, 0u) << underPolicy.out;
    EXPECT_EQ(Left(kRunMruKey), 2u);
    EXPECT_FALSE(FileExists(lab)) << underPolicy.out;
    EXPECT_EQ(Left("Software\\Sweepora\\EraseSettings"), 2u); // the user's two, nothing added
}

TEST_F(CliFixture, ListsTheDefinitionsAndRunsOnlyTheNamedOnes)
{
    const std::string data = folder.File("data");
    ::CreateDirectoryA(data.c_str(), nullptr);
    for (const char* name : {"a.trace", "b.other"}) test::WriteFileBytes(data + "\\" + name, "x");
    test::WriteFileBytes(folder.File("winapp2.ini"),
                         "[Mine *]\r\nLangSecRef=3024\r\nFileKey1=" + data + "|*.trace\r\n"
                         "[Other One *]\r\nFileKey1=" + data + "|*.other\r\n"
                         "[Absent *]\r\nDetectFile=" + data + "\\nothing\r\nFileKey1=" + data + "|*\r\n"
                         "[Broken *]\r\nFileKey1=no bar here\r\n");
    const Result offered = RunProgram(exe, "definitions");
    EXPECT_EQ(offered.exitCode, 0u);
    ASSERT_EQ(offered.tasks.size(), 3u) << offered.out;
    EXPECT_NE(offered.out.find("Utilities\tMine\twinapp2.ini"), std::string::npos) << offered.out;
    EXPECT_NE(offered.out.find("4 entries: 2 offered, 1 not offered, 1 unusable"), std::string::npos) << offered.out;
    const Result all = RunProgram(exe, "definitions --all");
    EXPECT_NE(all.out.find("\tAbsent\twinapp2.ini\tnot offered: "), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("\tBroken\twinapp2.ini\tunusable"), std::string::npos) << all.out;

    // Entries start unticked: a run without --only leaves both files.
    EXPECT_EQ(RunProgram(exe, "clean").exitCode, 0u);
    EXPECT_TRUE(FileExists(data + "\\a.trace") && FileExists(data + "\\b.other"));
    const Result preview = RunProgram(exe, "preview --only Mine");
    EXPECT_NE(preview.out.find("Testing : Plugin : Mine\tCompleted : "), std::string::npos) << preview.out;
    EXPECT_TRUE(FileExists(data + "\\a.trace"));
    const Result clean = RunProgram(exe, "clean --only mine");
    EXPECT_EQ(clean.exitCode, 0u);
    EXPECT_EQ(clean.out.find("Plugin : Other One"), std::string::npos) << clean.out;
    EXPECT_FALSE(FileExists(data + "\\a.trace"));
    EXPECT_TRUE(FileExists(data + "\\b.other"));
}

namespace {

// The files in a folder and below it, as paths from the folder.
Texts FolderContents(const std::string& folder)
{
    Texts names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) names.push_back(entry.path().string().substr(folder.size() + 1));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// An installed copy writes nothing beside itself: the per-user folder keeps its data, and
// the files shipped beside it are only the starting values.
TEST_F(CliFixture, AnInstalledCopyKeepsItsListsAndPluginsPerUser)
{
    test::ScratchFolder installed{test::EnvironmentText("ProgramFiles") + "\\Sweepora Test"};
    test::ScratchFolder perUser{PerUserFolder()};
    const std::string cli = installed.File("sweepora-cli.exe");
    ASSERT_TRUE(::CopyFileA(exe.c_str(), cli.c_str(), FALSE));
    test::WriteFileBytes(installed.File(kSafeUrlsFile), "http://KEPT.example/\r\n");
    ::CreateDirectoryA(installed.File("plugins").c_str(), nullptr);
    ::CreateDirectoryA(perUser.File("plugins").c_str(), nullptr);
    const std::string shipped = "[Plugin]\r\nSelected=1\r\nDescription=shipped\r\n";
    for (const char* name : {"plugins\\New.plg", "plugins\\Edited.plg"}) test::WriteFileBytes(installed.File(name), shipped);
    const std::string edited = "[Plugin]\r\nSelected=1\r\nDescription=the user's\r\n";
    test::WriteFileBytes(perUser.File("plugins\\Edited.plg"), edited);

    // The first time, the list beside the program counts; the missing plugin is copied in.
    EXPECT_EQ(RunProgram(cli, "clean").exitCode, 0u);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), Texts{"url2"});
    EXPECT_EQ(test::ReadFileBytes(perUser.File("plugins\\New.plg")), shipped);
    EXPECT_EQ(test::ReadFileBytes(perUser.File("plugins\\Edited.plg")), edited);

    // The window saves the lists into the per-user folder, and a run reads them back from there.
    test::FakeHost host;
    test::FakeDesktop desktop;
    RegistrySettingsStore store("Software\\SweeporaTests\\Session");
    Session session(store, host, desktop, cli);
    EXPECT_EQ(session.dataFolder, perUser.Path());
    session.safeLists.typedUrls.safe.Add("http://news.example/");
    SaveSafeLists(session.safeLists, session.dataFolder);
    // The shipped list kept url2; the user's own list keeps url3 instead.
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url3", "http://news.example/");
    EXPECT_EQ(RunProgram(cli, "clean").exitCode, 0u);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), Texts{"url3"});

    const Texts untouched = {"SafeURLs.dat", "output.txt", "plugins\\Edited.plg", "plugins\\New.plg", "sweepora-cli.exe"};
    EXPECT_EQ(FolderContents(installed.Path()), untouched);
    EXPECT_EQ(test::ReadFileBytes(installed.File(kSafeUrlsFile)), "http://KEPT.example/\r\n");
}
