// Runs the console program as a user would: a copy in its own folder, real registry traces.
#include "engine/RegistryMruCleaners.h"
#include "safelists/TypedUrlLoader.h"
#include "storage/Paths.h"
#include "storage/UniqueHandle.h"
#include "storage/UrlHistory.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace sweepora;

namespace {

struct Result {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out; // standard output and error together
    std::vector<std::string> lines;
};

Result RunProgram(const std::string& exe, const std::string& args)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueFile readEnd, writeEnd;
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) throw std::runtime_error("no pipe");
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + exe + "\" " + args;
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        throw std::runtime_error("cannot start " + exe);
    UniqueFile process(pi.hProcess), thread(pi.hThread);
    writeEnd.reset();

    // Read until the program has ended, not to the pipe's end: under Wine the desktop
    // process that its first COM apartment starts inherits the pipe and outlives it.
    Result r;
    char chunk[4096];
    for (bool ended = false;;) {
        DWORD available = 0, n = 0;
        if (!::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr)) break;
        if (available > 0 && ::ReadFile(readEnd.get(), chunk, sizeof chunk, &n, nullptr) && n > 0) {
            r.out.append(chunk, n);
        } else if (ended) {
            break;
        } else {
            ended = ::WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0;
        }
    }
    ::WaitForSingleObject(process.get(), INFINITE);
    ::GetExitCodeProcess(process.get(), &r.exitCode);
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        r.lines.push_back(line);
    }
    return r;
}

struct CliFixture : ::testing::Test {
    test::ScratchKey settings{"Software\\Sweepora"};
    test::ScratchKey run{kRunMruKey};
    test::ScratchKey docFind{kDocFindMruKey};
    test::ScratchKey filesNamed{kFilesNamedMruKey};
    test::ScratchKey typed{kTypedUrlsKey};
    test::ScratchHistory scratchHistory;
    test::TempFolder folder;
    std::string exe = folder.File("sweepora-cli.exe");
    // The program's temporary folder: the temp cleaner empties it.
    std::string temp = folder.File("temp");
    std::string savedTemp = Environment("TEMP"), savedTmp = Environment("TMP");

    static std::string Environment(const char* name)
    {
        char value[MAX_PATH] = {};
        ::GetEnvironmentVariableA(name, value, MAX_PATH);
        return value;
    }
    void TearDown() override
    {
        ::SetEnvironmentVariableA("TEMP", savedTemp.c_str());
        ::SetEnvironmentVariableA("TMP", savedTmp.c_str());
    }
    void SetUp() override
    {
        ::CreateDirectoryA(temp.c_str(), nullptr);
        test::WriteFileBytes(temp + "\\trace.tmp", "t");
        ::SetEnvironmentVariableA("TEMP", temp.c_str());
        ::SetEnvironmentVariableA("TMP", temp.c_str());
        const std::string built = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
        ASSERT_TRUE(::CopyFileA(built.c_str(), exe.c_str(), FALSE)) << built;
        test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "a", "notepad\\1");
        test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "MRUList", "a");
        test::WriteString(HKEY_CURRENT_USER, kDocFindMruKey, "a", "*.doc");
        test::WriteString(HKEY_CURRENT_USER, kFilesNamedMruKey, "001", "secret");
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", "http://bank.example/");
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url2", "http://kept.example/");
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url3", "http://news.example/");
        test::WriteFileBytes(folder.File(kSafeUrlsFile), "http://KEPT.example/\r\n");
        CURLHistory history;
        history.AddURL("http://visited.example/", "", 0);
        history.AddURL("http://kept.example/", "", 0);
        test::WriteFileBytes(folder.File(kSafeHistoryFile), "http://kept.example/\r\n");
    }
    std::size_t Remaining() const
    {
        return test::ValueNames(HKEY_CURRENT_USER, kRunMruKey).size() +
               test::ValueNames(HKEY_CURRENT_USER, kDocFindMruKey).size() +
               test::ValueNames(HKEY_CURRENT_USER, kFilesNamedMruKey).size() +
               test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey).size();
    }
};

} // namespace

TEST_F(CliFixture, PreviewErasesNothingAndCleanKeepsTheSafeList)
{
    const std::vector<std::string> tasks = {
        "Run History Cleared ", "Find File List cleared", "Internet Explorer History", "Netscape History", "IE Autocomplete forms Cleared",
        "Netscape Cache/Cookies", "Internet typed Urls cleared", "Clipboard Cleared", "Recycle Bin Cleared ",
        "Recent Docs List cleared", temp + "\\trace.tmp eradicated", "Windows Tempoprary Files",
        "Index.dat cleaned", "Finished :- Space saved : 0 MB, Files : 1,Registory keys : 4, time taken : 0:0:0"};
    const auto taskColumn = [](const Result& r) {
        std::vector<std::string> column;
        for (const std::string& line : r.lines) column.push_back(line.substr(0, line.find('\t')));
        return column;
    };

    const Result preview = RunProgram(exe, "preview");
    EXPECT_EQ(preview.exitCode, 0u) << preview.out;
    std::vector<std::string> marked;
    for (const std::string& t : tasks) marked.push_back("Testing : " + t);
    EXPECT_EQ(taskColumn(preview), marked) << preview.out;
    EXPECT_EQ(preview.lines[3], "Testing : Netscape History\tTerminated"); // no profile here
    EXPECT_EQ(Remaining(), 7u);
    EXPECT_EQ(test::HistoryUrls().size(), 2u);
    EXPECT_TRUE(FileExists(temp + "\\trace.tmp"));

    const Result clean = RunProgram(exe, "clean --report \"" + folder.File("run report.txt") + "\"");
    EXPECT_EQ(clean.exitCode, 0u) << clean.out;
    EXPECT_EQ(taskColumn(clean), tasks) << clean.out;
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), (std::vector<std::string>{"url2"}));
    EXPECT_EQ(Remaining(), 1u);
    EXPECT_EQ(test::HistoryUrls(), std::vector<std::string>{"http://kept.example/"});
    EXPECT_FALSE(FileExists(temp + "\\trace.tmp"));

    const std::string report = test::ReadFileBytes(folder.File("run report.txt"));
    EXPECT_EQ(report.rfind("Sweepora log Report\r\n", 0), 0u);
    EXPECT_NE(report.find("\r\nFinished :- Space saved : 0 MB, Files : 1,Registory keys : 4, time taken : "),
              std::string::npos);
    // The console program does not rewrite the settings it runs with.
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, "Software\\Sweepora"));
}

TEST_F(CliFixture, FollowsTheSavedCategories)
{
    test::WriteString(HKEY_CURRENT_USER, "Software\\Sweepora\\EraseSettings", "RunHistory", "0");
    test::WriteString(HKEY_CURRENT_USER, "Software\\Sweepora\\EraseSettings", "NetTypedUrls", " 0 ");
    const Result clean = RunProgram(exe, "clean");
    EXPECT_EQ(clean.exitCode, 0u);
    ASSERT_FALSE(clean.lines.empty());
    EXPECT_EQ(clean.lines[0].substr(0, clean.lines[0].find('\t')), "Find File List cleared");
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kRunMruKey).size(), 2u);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey).size(), 3u);
}

TEST_F(CliFixture, RejectsBadArgumentsWithUsage)
{
    for (const char* args : {"", "bogus", "clean preview", "preview --report", "clean --report a --report b"}) {
        const Result r = RunProgram(exe, args);
        EXPECT_EQ(r.exitCode, 2u) << args;
        ASSERT_EQ(r.lines.size(), 1u) << args << ": " << r.out;
        EXPECT_EQ(r.lines[0].rfind("usage: sweepora-cli preview|clean [--report FILE]", 0), 0u) << r.out;
    }
    EXPECT_EQ(Remaining(), 7u);
    EXPECT_EQ(test::HistoryUrls().size(), 2u);

    const Result unwritable = RunProgram(exe, "preview --report " + folder.File("no\\such\\report.txt"));
    EXPECT_EQ(unwritable.exitCode, 0u);
    EXPECT_NE(unwritable.out.find("could not write the report"), std::string::npos) << unwritable.out;
}

TEST_F(CliFixture, ReportNamesTheSystemWineClaimsToBe)
{
    // Wine reads the version it reports from here when a program starts.
    test::WriteString(HKEY_CURRENT_USER, "Software\\Wine", "Version", "winxp");
    const Result r = RunProgram(exe, "preview --report " + folder.File("xp.txt"));
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    EXPECT_EQ(r.exitCode, 0u) << r.out;
    const std::string report = test::ReadFileBytes(folder.File("xp.txt"));
    EXPECT_NE(report.find("\r\nOperating Sustem : Microsoft Windows XP Build 2600\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\nTesting : Run History Cleared, "), std::string::npos) << report;
}
