// Schedules runs of the real console program with the Task Scheduler of the machine (Wine's
// here) and checks the result through the Task Scheduler itself.
#include "platform/ComPtr.h"
#include "platform/ComText.h"
#include "platform/HostPlatform.h"
#include "platform/Paths.h"
#include "platform/TaskScheduler.h"
#include "platform/WideText.h"
#include "settings/DataFolder.h"

#include "support/TestSupport.h"

#include <oleauto.h>
#include <taskschd.h>

using namespace sweepora;

namespace {

// The test's own look into \Sweepora, and its cleaner: what it finds there it removes.
class SweeporaTaskFolder {
public:
    SweeporaTaskFolder()
    {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        VARIANT none;
        ::VariantInit(&none);
        if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                      reinterpret_cast<void**>(service_.put()))) ||
            FAILED(service_.get()->Connect(none, none, none, none)))
            service_.reset();
    }
    ~SweeporaTaskFolder()
    {
        for (const char* name : {"Sweepora preview daily 07:05", "Sweepora clean at logon", "Sweepora clean weekly Mon 09:00"})
            if (auto folder = Open()) folder.get()->DeleteTask(Text(name), 0);
        ComPtr<ITaskFolder> root;
        if (service_ && SUCCEEDED(service_.get()->GetFolder(Text("\\"), root.put())))
            root.get()->DeleteFolder(Text("Sweepora"), 0);
    }
    bool Connected() const { return static_cast<bool>(service_); }
    bool Exists() const { return static_cast<bool>(Open()); }
    bool Has(const std::string& name) const
    {
        ComPtr<IRegisteredTask> task;
        const ComPtr<ITaskFolder> folder = Open();
        return folder && SUCCEEDED(folder.get()->GetTask(Text(name), task.put()));
    }

private:
    ComPtr<ITaskFolder> Open() const
    {
        ComPtr<ITaskFolder> folder;
        if (service_) service_.get()->GetFolder(Text("\\Sweepora"), folder.put());
        return folder;
    }
    // Freed when the full expression ends.
    struct Text {
        explicit Text(const std::string& s) : b(::SysAllocString(WideFromUtf8(s).c_str())) {}
        ~Text() { ::SysFreeString(b); }
        operator BSTR() const { return b; }
        BSTR b;
    };
    ComPtr<ITaskService> service_;
};

struct ScheduleFixture : ::testing::Test {
    test::TempFolder folder;
    std::string exe = folder.File("sweepora-cli.exe");
    SweeporaTaskFolder tasks;

    void SetUp() override
    {
        const std::string built = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
        ASSERT_TRUE(::CopyFileA(built.c_str(), exe.c_str(), FALSE)) << built;
        ASSERT_TRUE(tasks.Connected());
        ASSERT_FALSE(tasks.Exists()) << "\\Sweepora is left from elsewhere";
    }
    test::ProgramResult Schedule(const std::string& args) { return test::RunProgram(exe, "schedule " + args); }
};

} // namespace

TEST_F(ScheduleFixture, AddsListsAndRemovesTasksOfEachKind)
{
    const std::string reports = AddBackslash(PerUserFolder());
    const test::ProgramResult daily = Schedule("add --daily 7:05 --preview");
    EXPECT_EQ(daily.exitCode, 0u) << daily.out;
    EXPECT_NE(daily.out.find("Scheduled \\Sweepora\\Sweepora preview daily 07:05 for "), std::string::npos) << daily.out;
    EXPECT_NE(daily.out.find("  runs \"" + exe + "\" preview --report \"" + reports + "last-run.txt\" --json \"" +
                             reports + "last-run.json\""),
              std::string::npos)
        << daily.out;
    EXPECT_TRUE(tasks.Has("Sweepora preview daily 07:05"));

    // Wine 8 makes neither trigger and cannot enumerate a folder: the refusal is reported as such.
    const bool wine = RunningUnderWine();
    const test::ProgramResult logon = Schedule("add --at-logon --clean");
    const test::ProgramResult weekly = Schedule("add --weekly monday 09:00");
    const test::ProgramResult list = Schedule("list");
    if (wine) {
        EXPECT_EQ(logon.exitCode, 3u);
        EXPECT_NE(logon.out.find("could not make a trigger at logon: 0x80004001"), std::string::npos) << logon.out;
        EXPECT_EQ(weekly.exitCode, 3u);
        EXPECT_NE(weekly.out.find("could not make a trigger weekly Mon 09:00: 0x80004001"), std::string::npos)
            << weekly.out;
        EXPECT_FALSE(tasks.Has("Sweepora clean at logon") || tasks.Has("Sweepora clean weekly Mon 09:00"));
        EXPECT_EQ(list.exitCode, 3u);
        EXPECT_NE(list.out.find("could not count the tasks of \\Sweepora: 0x80004001"), std::string::npos) << list.out;
    } else {
        EXPECT_EQ(logon.exitCode + weekly.exitCode + list.exitCode, 0u) << logon.out << weekly.out << list.out;
        EXPECT_NE(list.out.find("Sweepora clean at logon\tat logon\tclean"), std::string::npos) << list.out;
        EXPECT_NE(list.out.find("Sweepora clean weekly Mon 09:00\tweekly Mon 09:00\tclean"), std::string::npos)
            << list.out;
        EXPECT_NE(list.out.find("Sweepora preview daily 07:05\tdaily 07:05\tpreview"), std::string::npos) << list.out;
    }

    const test::ProgramResult removed = Schedule("remove \"Sweepora preview daily 07:05\"");
    EXPECT_EQ(removed.exitCode, 0u) << removed.out;
    EXPECT_FALSE(tasks.Has("Sweepora preview daily 07:05"));
    if (!wine) {
        EXPECT_EQ(Schedule("remove --all").exitCode, 0u);
    }
    // The folder goes with its last task.
    EXPECT_FALSE(tasks.Exists());
    const test::ProgramResult again = Schedule("remove \"Sweepora preview daily 07:05\"");
    EXPECT_EQ(again.exitCode, 3u);
    EXPECT_NE(again.out.find("could not open the task folder \\Sweepora: 0x8007000"), std::string::npos) << again.out;
}

TEST_F(ScheduleFixture, RejectsBadArgumentsWithoutTouchingTheScheduler)
{
    for (const char* args : {"", "bogus", "add", "add --daily", "add --daily 24:00", "add --daily 7:5",
                             "add --daily 18:30 --at-logon", "add --weekly Funday 09:00", "add --weekly mon",
                             "add --at-logon --clean --preview", "list more", "remove", "remove a b"}) {
        const test::ProgramResult r = Schedule(args);
        EXPECT_EQ(r.exitCode, 2u) << args;
        EXPECT_EQ(r.out.rfind("usage: sweepora-cli ", 0), 0u) << args << ": " << r.out;
    }
    EXPECT_FALSE(tasks.Exists());
}

// Wine cannot list a folder's tasks, so reading a trigger's time back is checked here.
TEST(TaskSchedulerStartBoundary, ReadsBackEveryTimeItWritesAndTheTimeBeforeAZone)
{
    SYSTEMTIME day = {};
    day.wYear = 2024;
    day.wMonth = 5;
    day.wDay = 1;
    EXPECT_EQ(StartBoundaryText(day, 7, 5), "2024-05-01T07:05:00");
    for (int h = 0; h < 24; ++h) {
        for (int m = 0; m < 60; ++m) {
            int hour = -1, minute = -1;
            ASSERT_TRUE(TimeOfStartBoundary(StartBoundaryText(day, h, m), hour, minute)) << h << ':' << m;
            ASSERT_EQ(hour * 100 + minute, h * 100 + m);
        }
    }
    for (const char* zoned : {"2024-05-01T18:30:00+02:00", "2024-05-01T18:30:00Z", "2024-05-01T18:30:00.000-05:00"}) {
        int hour = -1, minute = -1;
        EXPECT_TRUE(TimeOfStartBoundary(zoned, hour, minute)) << zoned;
        EXPECT_EQ(hour * 100 + minute, 1830) << zoned;
    }
    for (const char* bad : {"", "2024-05-01", "2024-05-01T", "2024-05-01T18:3", "2024-05-01T1830:00",
                            "2024-05-01T7:05:00", "2024-05-01T24:00:00", "2024-05-01T18:60:00"}) {
        int hour = -1, minute = -1;
        EXPECT_FALSE(TimeOfStartBoundary(bad, hour, minute)) << bad;
        EXPECT_EQ(hour, -1) << bad;
        EXPECT_EQ(minute, -1) << bad;
    }
}

// Names, user names and report paths reach the scheduler as BSTRs.
TEST(ComText, BstrsKeepEveryCharacterUpToTheirLength)
{
    for (const std::string& text : {std::string("C:\\users\\Zo\xC3\xAB\\AppData\\Local\\Sweepora \xE2\x80\x94 \xE6\x97\xA5"),
                                    std::string("before\0after", 12), std::string()}) {
        const Bstr b = MakeBstr(text);
        ASSERT_TRUE(b);
        EXPECT_EQ(TextOf(b), text);
    }
    EXPECT_EQ(TextOf(Bstr()), "");
}
