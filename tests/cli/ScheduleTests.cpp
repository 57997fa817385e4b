// Schedules runs of the real console program with the Task Scheduler of the machine (Wine's
// here) and checks the result through the Task Scheduler itself.
#include "cli/TaskSchedule.h"
#include "platform/ComPtr.h"
#include "platform/ComText.h"
#include "platform/HostPlatform.h"
#include "platform/Paths.h"
#include "platform/TaskName.h"
#include "platform/TaskScheduler.h"
#include "settings/DataFolder.h"

#include "support/TestSupport.h"

#include <oleauto.h>
#include <taskschd.h>

#include <map>
#include <set>
#include <sstream>

using namespace sweepora;

namespace {

// The test's own look at this user's tasks in the root, and its cleaner: what it finds there
// or left where earlier versions put them it removes.
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
        for (const char* name : {"Sweepora preview daily 07-05", "Sweepora clean at logon",
                                 "Sweepora clean weekly Mon 09-00", "Sweepora preview daily 07:05"}) {
            if (auto root = Open("\\")) root.get()->DeleteTask(MakeBstr(Users(name)).get(), 0);
            if (auto older = Open("\\Sweepora")) older.get()->DeleteTask(MakeBstr(name).get(), 0);
        }
        if (auto root = Open("\\")) root.get()->DeleteFolder(MakeBstr("Sweepora").get(), 0);
    }
    bool Connected() const { return static_cast<bool>(service_); }
    // The folder earlier versions made.
    bool Exists() const { return static_cast<bool>(Open("\\Sweepora")); }
    bool Has(const std::string& name, const std::string& path) const
    {
        ComPtr<IRegisteredTask> task;
        const ComPtr<ITaskFolder> folder = Open(path);
        return folder && SUCCEEDED(folder.get()->GetTask(MakeBstr(name).get(), task.put()));
    }
    bool Has(const std::string& name) const { return Has(Users(name), "\\"); }
    static std::string Users(const std::string& name) { return name + " (" + CurrentUserSid() + ")"; }
    // As versions before the per-user folders registered it, with a name Windows refuses.
    bool RegisterOlder(const std::string& name)
    {
        ComPtr<ITaskFolder> root, folder;
        ComPtr<ITaskDefinition> task;
        ComPtr<IActionCollection> actions;
        ComPtr<IAction> action;
        ComPtr<IRegisteredTask> registered;
        VARIANT none;
        ::VariantInit(&none);
        return SUCCEEDED(service_.get()->GetFolder(MakeBstr("\\").get(), root.put())) &&
               SUCCEEDED(root.get()->CreateFolder(MakeBstr("Sweepora").get(), none, folder.put())) &&
               SUCCEEDED(service_.get()->NewTask(0, task.put())) && SUCCEEDED(task.get()->get_Actions(actions.put())) &&
               SUCCEEDED(actions.get()->Create(TASK_ACTION_EXEC, action.put())) &&
               SUCCEEDED(folder.get()->RegisterTaskDefinition(MakeBstr(name).get(), task.get(), TASK_CREATE_OR_UPDATE,
                                                              none, none, TASK_LOGON_INTERACTIVE_TOKEN, none,
                                                              registered.put()));
    }

private:
    ComPtr<ITaskFolder> Open(const std::string& path) const
    {
        ComPtr<ITaskFolder> folder;
        if (service_) service_.get()->GetFolder(MakeBstr(path).get(), folder.put());
        return folder;
    }
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
        ASSERT_FALSE(tasks.Exists() || tasks.Has("Sweepora preview daily 07-05")) << "left from elsewhere";
    }
    test::ProgramResult Schedule(const std::string& args) { return test::RunProgram(exe, "schedule " + args); }
};

} // namespace

TEST_F(ScheduleFixture, AddsListsAndRemovesTasksOfEachKindAndOnesLeftInTheOlderSharedFolder)
{
    const std::string reports = AddBackslash(PerUserFolder());
    const std::string sid = CurrentUserSid();
    ASSERT_EQ(sid.rfind("S-1-", 0), 0u) << sid;
    const test::ProgramResult daily = Schedule("add --daily 7:05 --preview");
    EXPECT_EQ(daily.exitCode, 0u) << daily.out;
    EXPECT_NE(daily.out.find("Scheduled \\Sweepora preview daily 07-05 (" + sid + ") for "), std::string::npos)
        << daily.out;
    EXPECT_NE(daily.out.find("  runs \"" + exe + "\" preview --report \"" + reports + "last-run.txt\" --json \"" +
                             reports + "last-run.json\""),
              std::string::npos)
        << daily.out;
    EXPECT_TRUE(tasks.Has("Sweepora preview daily 07-05"));

    // Wine 8 makes neither trigger and cannot read a task's user: the refusal is reported as such.
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
        EXPECT_FALSE(tasks.Has("Sweepora clean at logon") || tasks.Has("Sweepora clean weekly Mon 09-00"));
        EXPECT_EQ(list.exitCode, 3u);
        EXPECT_NE(list.out.find("could not give the task's user: 0x80004001"), std::string::npos) << list.out;
        // Wine cannot count a folder's tasks: their names come from its store instead, and only
        // this user's of ours go.
        const test::ProgramResult r = Schedule("remove --all-users");
        EXPECT_EQ(r.exitCode, 0u) << r.out;
        EXPECT_NE(r.out.find("Removed \\Sweepora preview daily 07-05 (" + sid + ")"), std::string::npos) << r.out;
        EXPECT_FALSE(tasks.Has("Sweepora preview daily 07-05"));
        EXPECT_EQ(Schedule("add --daily 7:05 --preview").exitCode, 0u);
    } else {
        EXPECT_EQ(logon.exitCode + weekly.exitCode + list.exitCode, 0u) << logon.out << weekly.out << list.out;
        EXPECT_NE(list.out.find("Sweepora clean at logon\tat logon\tclean"), std::string::npos) << list.out;
        EXPECT_NE(list.out.find("Sweepora clean weekly Mon 09-00\tweekly Mon 09:00\tclean"), std::string::npos)
            << list.out;
        EXPECT_NE(list.out.find("Sweepora preview daily 07-05\tdaily 07:05\tpreview"), std::string::npos) << list.out;
    }
    const test::ProgramResult removed = Schedule("remove \"Sweepora preview daily 07-05\"");
    EXPECT_EQ(removed.exitCode, 0u) << removed.out;
    EXPECT_FALSE(tasks.Has("Sweepora preview daily 07-05"));
    EXPECT_TRUE(wine || Schedule("remove --all").exitCode == 0u);
    EXPECT_FALSE(tasks.Exists()); // no folder is made
    const test::ProgramResult again = Schedule("remove \"Sweepora preview daily 07-05\"");
    EXPECT_EQ(again.exitCode, 3u);
    EXPECT_NE(again.out.find("could not remove \\Sweepora preview daily 07-05 (" + sid + "): 0x80070002"),
              std::string::npos)
        << again.out;

    // Wine stored the names with ':' that versions before the per-user folders made.
    ASSERT_TRUE(tasks.RegisterOlder("Sweepora preview daily 07:05"));
    const test::ProgramResult older = Schedule("remove \"Sweepora preview daily 07:05\"");
    EXPECT_EQ(older.exitCode, 0u) << older.out;
    EXPECT_NE(older.out.find("Removed \\Sweepora\\Sweepora preview daily 07:05"), std::string::npos) << older.out;
    EXPECT_FALSE(tasks.Has("Sweepora preview daily 07:05", "\\Sweepora"));
    EXPECT_FALSE(tasks.Exists());
}

TEST_F(ScheduleFixture, RejectsBadArgumentsWithoutTouchingTheScheduler)
{
    for (const char* args : {"", "bogus", "add", "add --daily", "add --daily 24:00", "add --daily 7:5",
                             "add --daily 18:30 --at-logon", "add --weekly Funday 09:00", "add --weekly mon",
                             "add --at-logon --clean --preview", "list more", "remove", "remove a b",
                             "remove --all --all-users"}) {
        const test::ProgramResult r = Schedule(args);
        EXPECT_EQ(r.exitCode, 2u) << args;
        EXPECT_EQ(r.out.rfind("usage: sweepora-cli ", 0), 0u) << args << ": " << r.out;
    }
    EXPECT_FALSE(tasks.Exists());
}

// Wine keeps no trigger, so reading a trigger's time back is checked here.
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
    // A zone is read past; what is refused leaves the time as it was.
    for (const char* text : {"2024-05-01T18:30:00+02:00", "2024-05-01T18:30:00Z", "2024-05-01T18:30:00.000-05:00", "",
                             "2024-05-01", "2024-05-01T", "2024-05-01T18:3", "2024-05-01T1830:00",
                             "2024-05-01T7:05:00", "2024-05-01T24:00:00", "2024-05-01T18:60:00"}) {
        int hour = -1, minute = -1;
        const bool zoned = std::string(text).size() > 19;
        EXPECT_EQ(TimeOfStartBoundary(text, hour, minute), zoned) << text;
        EXPECT_EQ(hour * 100 + minute, zoned ? 1830 : -101) << text;
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

namespace {

// The Task Scheduler as Windows keeps it for several users, which Wine cannot show (it
// checks no rights): anyone may register in the root, only an administrator makes a folder;
// a folder made for a task and each task have an owner; others may not open that folder,
// nor see a task unless it is shared, nor delete it. An administrator may do everything.
// Names are checked as Windows does.
class MachineScheduler : public TaskFolders {
public:
    MachineScheduler() { folders_["\\"]; }
    std::string caller;
    bool administrator = false;

    void Put(const std::string& folder, const std::string& name, const std::string& owner, bool shared = false)
    {
        MakeFolders(folder, owner);
        TaskSummary task;
        task.name = name;
        task.user = owner;
        folders_[folder].tasks[name] = task;
        if (shared) folders_[folder].shared.insert(name);
    }
    bool Has(const std::string& folder, const std::string& name) const
    {
        const auto f = folders_.find(folder);
        return f != folders_.end() && f->second.tasks.count(name);
    }
    bool HasFolder(const std::string& folder) const { return folders_.count(folder) != 0; }

    TaskSchedulerResult Register(const std::string& folder, const std::string& name,
                                 const TaskRegistration& task) override
    {
        if (!TaskNameRefusal(name).empty()) return {HRESULT_FROM_WIN32(ERROR_INVALID_NAME), TaskStep::Register};
        if (!folders_.count(folder) && !administrator) return {E_ACCESSDENIED, TaskStep::CreateFolder};
        MakeFolders(folder, caller);
        Folder& into = folders_[folder];
        if (!May(into.owner)) return {E_ACCESSDENIED, TaskStep::Register};
        const auto same = into.tasks.find(name);
        if (same != into.tasks.end() && !May(same->second.user)) return {E_ACCESSDENIED, TaskStep::Register};
        TaskSummary& summary = into.tasks[name];
        summary.name = name;
        summary.user = task.user;
        summary.triggers = {task.trigger};
        summary.action = task.action;
        summary.runsProgram = true;
        return {};
    }
    TaskSchedulerResult Read(const std::string& folder, std::vector<TaskSummary>& tasks) override
    {
        tasks.clear();
        const auto f = folders_.find(folder);
        if (f == folders_.end()) return {};
        if (!May(f->second.owner)) return {E_ACCESSDENIED, TaskStep::OpenFolder};
        for (const auto& task : f->second.tasks)
            if (May(task.second.user) || f->second.shared.count(task.first)) tasks.push_back(task.second);
        return {};
    }
    TaskSchedulerResult ReadTask(const std::string& folder, const std::string& name, TaskSummary& task) override
    {
        std::vector<TaskSummary> tasks;
        const TaskSchedulerResult result = Read(folder, tasks);
        for (const TaskSummary& t : tasks)
            if (t.name == name) task = t;
        return !result.ok() || task.name == name ? result
                                                 : TaskSchedulerResult{HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                                                                       TaskStep::GiveTask};
    }
    TaskSchedulerResult Names(const std::string& folder, std::vector<std::string>& names) override
    {
        std::vector<TaskSummary> tasks;
        const TaskSchedulerResult result = Read(folder, tasks);
        names.clear();
        for (const TaskSummary& task : tasks) names.push_back(task.name);
        return result;
    }
    TaskSchedulerResult Subfolders(const std::string& folder, std::vector<std::string>& names) override
    {
        names.clear();
        for (const auto& f : folders_)
            if (f.first.rfind(folder + "\\", 0) == 0 && f.first.find('\\', folder.size() + 1) == std::string::npos)
                names.push_back(f.first.substr(folder.size() + 1));
        return {};
    }
    TaskSchedulerResult DeleteTask(const std::string& folder, const std::string& name) override
    {
        const auto f = folders_.find(folder);
        if (f == folders_.end()) return {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), TaskStep::OpenFolder};
        if (!May(f->second.owner)) return {E_ACCESSDENIED, TaskStep::OpenFolder};
        const auto task = f->second.tasks.find(name);
        if (task == f->second.tasks.end()) return {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), TaskStep::DeleteTask};
        if (!May(task->second.user)) return {E_ACCESSDENIED, TaskStep::DeleteTask};
        f->second.tasks.erase(task);
        return {};
    }
    bool DropIfEmpty(const std::string& folder) override
    {
        std::vector<std::string> below;
        Subfolders(folder, below);
        const auto f = folders_.find(folder);
        if (f == folders_.end() || !May(f->second.owner) || !f->second.tasks.empty() || !below.empty()) return false;
        folders_.erase(f);
        return true;
    }

private:
    struct Folder {
        std::string owner; // empty: open to everyone, as \Sweepora is
        std::map<std::string, TaskSummary> tasks;
        std::set<std::string> shared;
    };
    bool May(const std::string& owner) const { return administrator || owner.empty() || owner == caller; }
    // The folder a task goes into belongs to whoever made it; those above are open.
    void MakeFolders(const std::string& path, const std::string& owner)
    {
        for (std::size_t at = path.find('\\', 1); at != std::string::npos; at = path.find('\\', at + 1))
            folders_[path.substr(0, at)];
        if (!folders_.count(path) && path.find('\\', 1) != std::string::npos) folders_[path].owner = owner;
        folders_[path];
    }
    std::map<std::string, Folder> folders_;
};

struct UsersFixture : ::testing::Test {
    MachineScheduler machine;
    // Another program's task in the root, named after alice in the same way.
    UsersFixture() { machine.Put("\\", kOther, "PC\\alice"); }
    void TearDown() override { EXPECT_TRUE(machine.Has("\\", kOther)); }
    static constexpr const char* kOther = "OneDrive Standalone Update Task-S-1-5-21-1-2-3-1001";
    const ScheduleUser alice{"S-1-5-21-1-2-3-1001", "PC\\alice"};
    const ScheduleUser bob{"S-1-5-21-1-2-3-1002", "PC\\bob"};
    std::string out;

    int Run(const ScheduleUser& as, const std::vector<std::string>& args)
    {
        ScheduleOptions options;
        std::string why;
        EXPECT_TRUE(ParseScheduleArguments(args, options, why)) << why;
        machine.caller = as.account;
        std::ostringstream stream;
        const int status = RunSchedule(options, machine, as, stream, stream);
        out = stream.str();
        return status;
    }
    static std::string Folder(const ScheduleUser& user) { return "\\Sweepora\\" + user.sid; }
    static std::string Named(const std::string& name, const ScheduleUser& user) { return name + " (" + user.sid + ")"; }
};

} // namespace

TEST(ScheduleNames, EveryNameTheProgramMakesIsOneWindowsTakes)
{
    ScheduleOptions options;
    for (const bool preview : {false, true}) {
        options.preview = preview;
        options.when = {TaskTriggerKind::AtLogon};
        EXPECT_EQ(TaskNameRefusal(ScheduledTaskName(options)), "");
        for (int days = 1; days < 128; days += 9) {
            for (const TaskTriggerKind kind : {TaskTriggerKind::Daily, TaskTriggerKind::Weekly}) {
                options.when = {kind, 23, 59, days};
                // The longest SID a domain account has, at the end of the longest schedule.
                const std::string name =
                    UserTaskName(options, {"S-1-5-21-4294967295-4294967295-4294967295-4294967295", "D\\u"});
                EXPECT_EQ(TaskNameRefusal(name), "") << name;
            }
        }
    }
}

TEST_F(UsersFixture, TwoUsersSchedulingTheSameRunKeepTheirOwnTasks)
{
    ASSERT_EQ(Run(alice, {"add", "--daily", "18:30"}), 0) << out;
    EXPECT_NE(out.find("Scheduled \\Sweepora clean daily 18-30 (S-1-5-21-1-2-3-1001) for PC\\alice"), std::string::npos)
        << out;
    // Under one shared name bob was refused here, or replaced alice's task.
    ASSERT_EQ(Run(bob, {"add", "--daily", "18:30"}), 0) << out;
    ASSERT_EQ(Run(bob, {"add", "--at-logon", "--preview"}), 0) << out;
    EXPECT_TRUE(machine.Has("\\", Named("Sweepora clean daily 18-30", alice)));
    EXPECT_TRUE(machine.Has("\\", Named("Sweepora clean daily 18-30", bob)));
    EXPECT_FALSE(machine.HasFolder("\\Sweepora"));

    ASSERT_EQ(Run(alice, {"list"}), 0) << out;
    EXPECT_EQ(out, "Sweepora clean daily 18-30\tdaily 18:30\tclean\n");

    ASSERT_EQ(Run(bob, {"remove", "--all"}), 0) << out;
    EXPECT_FALSE(machine.Has("\\", Named("Sweepora clean daily 18-30", bob)));
    EXPECT_TRUE(machine.Has("\\", Named("Sweepora clean daily 18-30", alice)));
    ASSERT_EQ(Run(alice, {"remove", "Sweepora clean daily 18-30"}), 0) << out;
    EXPECT_EQ(out, "Removed \\Sweepora clean daily 18-30 (S-1-5-21-1-2-3-1001)\n");
}

TEST_F(UsersFixture, RemoveAllGoesOnPastATaskItMayNotDeleteAndSaysWhich)
{
    machine.Put("\\", Named("Sweepora clean at logon", alice), alice.account);
    // An administrator's task under her name: she sees it and may not delete it.
    machine.Put("\\", Named("Sweepora preview at logon", alice), "BUILTIN\\Administrators", true);
    // Where earlier versions put them: her own folder, and the shared one (bob's stays).
    machine.Put(Folder(alice), "Sweepora clean daily 18-30", alice.account);
    machine.Put("\\Sweepora", "Sweepora clean at logon", alice.account, true);
    machine.Put("\\Sweepora", "Sweepora preview at logon", bob.account, true);
    EXPECT_EQ(Run(alice, {"remove", "--all"}), kExitSchedulerRefused) << out;
    EXPECT_NE(out.find("could not remove \\Sweepora preview at logon (S-1-5-21-1-2-3-1001): 0x80070005"),
              std::string::npos)
        << out;
    EXPECT_FALSE(machine.Has("\\", Named("Sweepora clean at logon", alice)));
    EXPECT_FALSE(machine.HasFolder(Folder(alice)));
    EXPECT_FALSE(machine.Has("\\Sweepora", "Sweepora clean at logon"));
    EXPECT_TRUE(machine.Has("\\Sweepora", "Sweepora preview at logon"));

    ASSERT_EQ(Run(bob, {"list"}), 0) << out;
    EXPECT_EQ(out, "Sweepora preview at logon\tno trigger\tno program\n");
    ASSERT_EQ(Run(bob, {"remove", "Sweepora preview at logon"}), 0) << out;
    EXPECT_EQ(out, "Removed \\Sweepora\\Sweepora preview at logon\n");
}

TEST_F(UsersFixture, AllUsersRemovesWhatTheCallerMayAndNamesWhatItMayNot)
{
    ASSERT_EQ(Run(alice, {"add", "--daily", "18:30"}), 0) << out;
    ASSERT_EQ(Run(bob, {"add", "--weekly", "Fri", "07:00"}), 0) << out;
    machine.Put(Folder(alice), "Sweepora clean at logon", alice.account);
    machine.Put("\\Sweepora", "Sweepora clean at logon", "PC\\carol");

    EXPECT_EQ(Run(bob, {"remove", "--all-users"}), kExitSchedulerRefused) << out;
    EXPECT_NE(out.find("Removed \\Sweepora clean weekly Fri 07-00 (S-1-5-21-1-2-3-1002)"), std::string::npos) << out;
    EXPECT_NE(out.find("could not open the task folder \\Sweepora\\S-1-5-21-1-2-3-1001: 0x80070005"), std::string::npos)
        << out;
    EXPECT_TRUE(machine.Has("\\", Named("Sweepora clean daily 18-30", alice)));
    EXPECT_TRUE(machine.Has("\\Sweepora", "Sweepora clean at logon"));

    machine.administrator = true;
    EXPECT_EQ(Run(bob, {"remove", "--all-users"}), 0) << out;
    EXPECT_NE(out.find("Removed \\Sweepora clean daily 18-30 (S-1-5-21-1-2-3-1001)"), std::string::npos) << out;
    EXPECT_NE(out.find("Removed \\Sweepora\\S-1-5-21-1-2-3-1001\\Sweepora clean at logon"), std::string::npos) << out;
    EXPECT_NE(out.find("Removed \\Sweepora\\Sweepora clean at logon"), std::string::npos) << out;
    EXPECT_FALSE(machine.HasFolder("\\Sweepora"));
}
