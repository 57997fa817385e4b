// The console program's JSON report, read back from real runs of a copy of the program.
#include "cli/JsonReport.h"
#include "engine/RegistryMruCleaners.h"
#include "engine/SystemInfo.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"
#include "settings/AppSettings.h"
#include "settings/PolicySettingsStore.h"
#include "settings/SettingsStore.h"

#include "support/SqliteFiles.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>
#include <shlobj.h>

#include <algorithm>
#include <ctime>
#include <iomanip>
#include <regex>
#include <sstream>

using namespace sweepora;
using nlohmann::json;

namespace {

std::string UtcNow()
{
    const std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return text;
}

long long SecondsOf(const std::string& iso)
{
    std::tm t = {};
    std::istringstream(iso) >> std::get_time(&t, "%Y-%m-%dT%H:%M:%SZ");
    return static_cast<long long>(_mkgmtime(&t));
}

struct JsonReportFixture : ::testing::Test {
    test::ScratchKey settings{"Software\\Sweepora"}, runMru{kRunMruKey};
    test::TempFolder folder;
    std::string exe = folder.File("sweepora-cli.exe");
    std::string custom = folder.File("custom");
    std::string diary = custom + "\\日記.txt";
    test::ScopedEnvironment tmp{"TMP", folder.File("temp")};

    void SetUp() override
    {
        const std::string built = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
        ASSERT_TRUE(::CopyFileA(built.c_str(), exe.c_str(), FALSE)) << built;
        for (const std::string& dir : {custom, folder.File("temp")}) ::CreateDirectoryA(dir.c_str(), nullptr);
        test::WriteFileBytes(diary, std::string(1000, 'd'));
        test::WriteFileBytes(folder.File("temp\\trace.tmp"), "t");
        test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "a", "notepad\\1");
        test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "MRUList", "a");
        RegistrySettingsStore store("Software\\Sweepora");
        store.Set(kSectionErase, "CustomDirs", "1");
        store.Set(kSectionErase, kCustomDirListKey, custom);
    }

    // Runs the program with --json and checks the document against its own printed log.
    json Run(const std::string& mode)
    {
        const std::string path = folder.File(mode + ".json");
        const std::string before = UtcNow();
        const test::ProgramResult r = test::RunProgram(exe, mode + " --json \"" + path + "\"");
        const std::string after = UtcNow();
        EXPECT_EQ(r.exitCode, 0u) << r.out;
        const json doc = json::parse(test::ReadFileBytes(path));

        const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
        EXPECT_TRUE(std::regex_match(doc.at("version").get<std::string>(), std::regex(R"(\d+\.\d+\.\d+)")));
        wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        ::GetComputerNameW(computer, &size);
        EXPECT_EQ(doc.at("machine"), Utf8FromWide(computer, size));
        EXPECT_EQ(doc.at("user"), GetNetUserName());
        EXPECT_EQ(doc.at("mode"), mode);
        const std::string started = doc.at("started").get<std::string>(), finished = doc.at("finished").get<std::string>();
        EXPECT_TRUE(std::regex_match(started, iso) && std::regex_match(finished, iso)) << started << ' ' << finished;
        EXPECT_TRUE(before <= started && started <= finished && finished <= after)
            << before << ' ' << started << ' ' << finished << ' ' << after;
        EXPECT_EQ(doc.at("aborted"), false);
        EXPECT_EQ(doc.at("outcome"), "completed");
        EXPECT_EQ(doc.at("exitCode"), r.exitCode);

        const json& summary = doc.at("summary");
        for (const char* key : {"bytesFreed", "files", "filesNotOverwritten", "registryKeys", "seconds"})
            EXPECT_TRUE(summary.at(key).is_number_integer()) << key;
        EXPECT_EQ(summary.at("bytesFreed"), 1001);
        EXPECT_EQ(summary.at("seconds"), SecondsOf(finished) - SecondsOf(started));

        // Every printed line, in order, is an entry; the summary line carries the same counts.
        std::vector<std::pair<std::string, std::string>> printed, entries;
        std::istringstream out(r.out);
        for (std::string line; std::getline(out, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t tab = line.find('\t');
            printed.emplace_back(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
        }
        for (const json& e : doc.at("entries")) entries.emplace_back(e.at("task").get<std::string>(), e.at("status").get<std::string>());
        EXPECT_EQ(entries, printed);
        const int notOverwritten = summary.at("filesNotOverwritten").get<int>();
        const std::string counts = "Files : " + std::to_string(summary.at("files").get<int>()) +
                                   (notOverwritten ? " (" + std::to_string(notOverwritten) + " deleted, not overwritten)"
                                                   : "") +
                                   ",Registory keys : " + std::to_string(summary.at("registryKeys").get<int>()) + ",";
        EXPECT_NE(r.out.find(counts), std::string::npos) << counts << '\n' << r.out;
        return doc;
    }
};

} // namespace

// One preview and one clean over the fixture's traces, a browser store and a policy past its bound.
TEST_F(JsonReportFixture, PreviewAndCleanReportTheRunWithTheRealNamesTheStoresAndARefusedPolicy)
{
    test::ScratchKey policies{kPolicyRoot};
    const std::string policy = std::string(kPolicyRoot) + "\\" + kSectionErase;
    test::WriteString(HKEY_CURRENT_USER, policy, kRequiredDefinitionsKey, std::string(kMaxPolicyCharacters + 1, 'r'));
    char local[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local), S_OK);
    test::ScratchFolder chrome(std::string(local) + "\\Google");
    const std::string profile = chrome.File("Chrome\\User Data\\Default");
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, profile.c_str(), nullptr), ERROR_SUCCESS);
    test::CreateDatabase(profile + "\\History",
                         std::string(test::kChromiumHistorySchema) +
                             "INSERT INTO urls VALUES(1,'https://clinic.example/a','A',1,1,13300000000000000,0),"
                             "(2,'https://clinic.example/b','B',1,0,13300000000000001,0);"
                             "INSERT INTO visits(id,url,visit_time,transition) VALUES(1,1,1,0),(2,2,2,0),(3,2,3,0);");
    // The typed box follows the history box, which takes the typed address first.
    RegistrySettingsStore boxes("Software\\Sweepora");
    boxes.Set(kSectionErase, "NetHistory", "1");
    boxes.Set(kSectionErase, "NetTypedUrls", "1");

    const json preview = Run("preview");
    EXPECT_EQ(preview.at("summary").at("files"), 2);
    const json refusal = {{"task", "Testing : Group Policy"},
                          {"status", "the policy HKEY_CURRENT_USER\\" + policy + "\\" + kRequiredDefinitionsKey +
                                         " is longer than 1048576 characters and was not applied"}};
    EXPECT_NE(std::find(preview.at("entries").begin(), preview.at("entries").end(), refusal),
              preview.at("entries").end())
        << preview.at("entries").dump();
    EXPECT_TRUE(FileExists(diary));

    const json clean = Run("clean");
    EXPECT_EQ(clean.at("summary").at("files"), 2);
    EXPECT_EQ(clean.at("summary").at("filesNotOverwritten"), 2); // no passes chosen
    EXPECT_GE(clean.at("summary").at("registryKeys"), 1);
    EXPECT_FALSE(FileExists(diary));
    // The browser lines as the log printed them, the preview's mark taken off: the same in both.
    std::vector<std::string> browserLines[2];
    for (int i = 0; i < 2; ++i)
        for (const json& e : (i ? clean : preview).at("entries")) {
            std::string task = e.at("task").get<std::string>();
            if (task.rfind("Testing : ", 0) == 0) task.erase(0, 10);
            if (task.rfind("Google Chrome (Default) ", 0) == 0) browserLines[i].push_back(task + "|" + e.at("status").get<std::string>());
        }
    EXPECT_EQ(browserLines[0], browserLines[1]);
    bool named = false;
    for (const json& e : clean.at("entries")) named = named || e.at("task") == diary + " deleted, not overwritten";
    EXPECT_TRUE(named) << clean.at("entries").dump();
    EXPECT_EQ(preview.at("browserStores"), clean.at("browserStores"));
    const json& stores = clean.at("browserStores");
    EXPECT_EQ(browserLines[1].size(), stores.size());
    ASSERT_FALSE(stores.empty()) << clean.dump(2);
    EXPECT_EQ(stores[0], (json{{"box", "history"},
                               {"browser", "Google Chrome"},
                               {"profile", "Default"},
                               {"store", "History"},
                               {"rows", 5},
                               {"status", "5 rows removed; left alone: history_sync_metadata, journeys"}}));
    EXPECT_EQ(test::QueryRows(profile + "\\History", "SELECT count(*) FROM urls"), (test::Texts{"0"}));

    // A report that cannot be written is said so; the run's status stays its own.
    const test::ProgramResult r = test::RunProgram(exe, "preview --json " + folder.File("no\\such\\run.json"));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(r.out.find("sweepora-cli: could not write the JSON report to "), std::string::npos) << r.out;
}

TEST_F(JsonReportFixture, ARunKilledMidWayLeavesARunningDocument)
{
    // Enough files that the run is still going when the first document shows.
    for (int i = 0; i < 3000; ++i) test::WriteFileBytes(custom + "\\f" + std::to_string(i) + ".txt", "x");
    const std::string path = folder.File("killed.json");
    test::WriteFileBytes(path, "{\"outcome\": \"completed\"}");
    std::string commandLine = "\"" + exe + "\" clean --json \"" + path + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &si, &pi));
    UniqueFile process(pi.hProcess), thread(pi.hThread);
    json doc;
    const DWORD deadline = ::GetTickCount() + 60000;
    // Every read, even between the two documents, is whole JSON.
    while (::GetTickCount() < deadline && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        // The moment the new document is moved in, an open may be refused: a reader tries
        // again, and never gets part of a document.
        std::string bytes;
        if (!ReadWholeFile(path, bytes)) {
            ::Sleep(5);
            continue;
        }
        doc = json::parse(bytes);
        if (doc.at("outcome") == "running") break;
        ::Sleep(5);
    }
    ASSERT_TRUE(::TerminateProcess(process.get(), 99)) << "the run ended before it was seen running";
    ::WaitForSingleObject(process.get(), 10000);
    int left = 0;
    for (int i = 0; i < 3000; ++i) left += FileExists(custom + "\\f" + std::to_string(i) + ".txt");
    EXPECT_GT(left, 0) << "the run was not cut short";

    doc = json::parse(test::ReadFileBytes(path));
    EXPECT_EQ(doc.at("outcome"), "running");
    EXPECT_EQ(doc.at("mode"), "clean");
    EXPECT_EQ(doc.at("started").get<std::string>().size(), 20u);
    EXPECT_TRUE(doc.at("finished").is_null());
    EXPECT_EQ(doc.at("summary"),
              (json{{"bytesFreed", 0}, {"files", 0}, {"filesNotOverwritten", 0}, {"registryKeys", 0}, {"seconds", 0}}));
    EXPECT_TRUE(doc.at("entries").empty() && doc.at("browserStores").empty());
}

TEST(JsonReport, TheOutcomeFollowsTheExitStatusAndFiguresPastThirtyTwoBitsAreWrittenWhole)
{
    EXPECT_STREQ(JsonOutcomeText(OutcomeOfExitCode(0)), "completed");
    EXPECT_STREQ(JsonOutcomeText(OutcomeOfExitCode(1)), "aborted");
    EXPECT_STREQ(JsonOutcomeText(OutcomeOfExitCode(3)), "failed");
    EXPECT_STREQ(JsonOutcomeText(OutcomeOfExitCode(4)), "refused");
    JsonRunFacts facts;
    facts.started = 100;
    facts.finished = 160;
    facts.outcome = JsonOutcome::Failed;
    facts.bytesFreed = 5LL << 30;
    facts.files = 5000000000LL;
    facts.filesNotOverwritten = 4000000000LL;
    facts.registryKeys = 3000000000LL;
    const json document = json::parse(FormatJsonReport(facts, {}));
    EXPECT_EQ(document.at("outcome"), "failed");
    EXPECT_EQ(document.at("summary"),
              (json{{"bytesFreed", 5LL << 30}, {"files", 5000000000LL}, {"filesNotOverwritten", 4000000000LL},
                     {"registryKeys", 3000000000LL}, {"seconds", 60}}));
}
