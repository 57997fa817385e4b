#include "cli/TaskSchedule.h"

#include "cli/CliApp.h"
#include "platform/Paths.h"
#include "platform/TaskName.h"
#include "platform/TaskScheduler.h"
#include "platform/Text.h"
#include "settings/DataFolder.h"

#include <windows.h>

#include <algorithm>

namespace sweepora {

namespace {

constexpr const char* kDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};

bool ParseTime(const std::string& text, TaskTrigger& when)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() != colon + 3) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != colon && (text[i] < '0' || text[i] > '9')) return false;
    when.hour = std::stoi(text.substr(0, colon));
    when.minute = std::stoi(text.substr(colon + 1));
    return when.hour < 24 && when.minute < 60;
}

bool ParseDay(const std::string& text, TaskTrigger& when)
{
    for (int d = 0; d < 7; ++d) {
        if (EqualsIgnoringCase(text, kDayNames[d]) || EqualsIgnoringCase(text, kLongDayNames[d])) {
            when.daysOfWeek = 1 << d;
            return true;
        }
    }
    return false;
}

std::string TwoDigits(int n) { return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10); }

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string ActionArguments(bool preview, const std::string& perUser)
{
    const std::string folder = AddBackslash(perUser);
    return std::string(preview ? "preview" : "clean") + " --report " + Quoted(folder + "last-run.txt") + " --json " +
           Quoted(folder + "last-run.json");
}

// "\Sweepora clean at logon (S-1-...)" in the root, "\Sweepora\name" in a folder.
std::string TaskPath(const std::string& folder, const std::string& name)
{
    return (folder == kRootTaskFolder ? folder : folder + "\\") + name;
}

// The ending that makes a task in the root one user's: " (S-1-5-21-...)".
std::string UserSuffix(const ScheduleUser& user) { return " (" + user.sid + ")"; }

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// One of ours in the root, whoever's: "Sweepora ... (S-...)".
bool IsOursInRoot(const std::string& name)
{
    return name.rfind("Sweepora ", 0) == 0 && EndsWith(name, ")") && name.find(" (S-") != std::string::npos;
}

bool IsUsersInRoot(const std::string& name, const ScheduleUser& user)
{
    return name.rfind("Sweepora ", 0) == 0 && EndsWith(name, UserSuffix(user));
}

// What the scheduler was refused, after "could not". `folder` and `task` name the folder and
// task concerned, and `when` the trigger being made.
std::string StepInWords(TaskStep step, const std::string& folder, const std::string& task, const TaskTrigger& when)
{
    switch (step) {
    case TaskStep::None: break;
    case TaskStep::Start: return "start";
    case TaskStep::Connect: return "connect";
    case TaskStep::OpenFolder: return "open the task folder " + folder;
    case TaskStep::OpenRoot: return "open its root folder";
    case TaskStep::CreateFolder: return "create the task folder " + folder;
    case TaskStep::ListFolders: return "list the folders of " + folder;
    case TaskStep::NewTask: return "make a new task";
    case TaskStep::Describe: return "describe the task";
    case TaskStep::GiveUser: return "give the task's user";
    case TaskStep::GiveSettings: return "give the task's settings";
    case TaskStep::MakeTrigger: return "make a trigger " + ScheduleInWords(when);
    case TaskStep::GiveAction: return "give the task's action";
    case TaskStep::Register: return "register " + TaskPath(folder, task);
    case TaskStep::ListTasks: return "list the tasks of " + folder;
    case TaskStep::CountTasks: return "count the tasks of " + folder;
    case TaskStep::GiveTask: return "give a task of " + folder;
    case TaskStep::GiveName: return "give a task's name";
    case TaskStep::GiveDefinition: return "give the task " + task;
    case TaskStep::GiveTriggers: return "give the task's triggers";
    case TaskStep::CountTriggers: return "count the task's triggers";
    case TaskStep::GiveTrigger: return "give a trigger";
    case TaskStep::GiveTriggerKind: return "give a trigger's kind";
    case TaskStep::GiveTriggerStart: return "give a trigger's start";
    case TaskStep::GiveTriggerDays: return "give a trigger's days";
    case TaskStep::GiveActions: return "give the task's actions";
    case TaskStep::CountActions: return "count the task's actions";
    case TaskStep::GiveProgram: return "give the task's program";
    case TaskStep::GiveArguments: return "give the task's arguments";
    case TaskStep::DeleteTask: return "remove " + TaskPath(folder, task);
    }
    return "do what was asked";
}

int Refused(const TaskSchedulerResult& result, const std::string& folder, const std::string& task,
            const TaskTrigger& when, std::ostream& out, std::ostream& err)
{
    out.flush();
    err << "sweepora-cli: the Task Scheduler could not " << StepInWords(result.step, folder, task, when) << ": "
        << result.Answer() << std::endl;
    return kExitSchedulerRefused;
}

int Refused(const TaskSchedulerResult& result, const std::string& folder, const std::string& task, std::ostream& out,
            std::ostream& err)
{
    return Refused(result, folder, task, TaskTrigger{}, out, err);
}

int AddTask(TaskFolders& scheduler, const ScheduleUser& user, const ScheduleOptions& options, std::ostream& out,
            std::ostream& err)
{
    const std::string perUser = PerUserFolder();
    if (perUser.empty() || user.account.empty() || user.sid.empty()) {
        const char* missing = perUser.empty()         ? "no per-user folder for the reports"
                              : user.account.empty() ? "no user name"
                                                     : "no SID for the user";
        err << "sweepora-cli: " << missing << ": nothing scheduled" << std::endl;
        return kExitSchedulerRefused;
    }
    const std::string folder = kRootTaskFolder;
    const std::string name = UserTaskName(options, user);
    // Wine takes names that Windows refuses: say so here rather than pass only on Wine.
    const std::string why = TaskNameRefusal(name);
    if (!why.empty()) {
        err << "sweepora-cli: cannot schedule \"" << name << "\": " << why << std::endl;
        return kExitSchedulerRefused;
    }
    TaskRegistration task;
    task.user = user.account;
    task.author = user.account;
    task.description = "Sweepora's console program, " + ScheduleInWords(options.when);
    task.trigger = options.when;
    task.action.program = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
    task.action.arguments = ActionArguments(options.preview, perUser);
    task.action.workingFolder = perUser;
    const TaskSchedulerResult registered = scheduler.Register(folder, name, task);
    if (!registered.ok()) return Refused(registered, folder, name, options.when, out, err);
    out << "Scheduled " << TaskPath(folder, name) << " for " << user.account << '\n'
        << "  runs " << Quoted(task.action.program) << ' ' << task.action.arguments << std::endl;
    return kExitCompleted;
}

std::string TriggersInWords(const std::vector<TaskTrigger>& triggers)
{
    std::string words;
    for (const TaskTrigger& when : triggers) words += (words.empty() ? "" : ", ") + ScheduleInWords(when);
    return words.empty() ? "no trigger" : words;
}

// "clean" or "preview" for a run of ours, otherwise what the task starts.
std::string ActionInWords(const TaskAction& action, bool found)
{
    if (!found) return "no program";
    const std::string mode = action.arguments.substr(0, action.arguments.find(' '));
    if (EqualsIgnoringCase(BaseNameWithoutExtension(action.program), "sweepora-cli") &&
        (mode == "clean" || mode == "preview"))
        return mode;
    return "runs " + action.program + (action.arguments.empty() ? "" : " " + action.arguments);
}

std::string NextRunInWords(const TaskSummary& task)
{
    if (!task.hasNextRun) return "";
    const SYSTEMTIME& when = task.nextRun;
    return "\tnext run " + std::to_string(when.wYear) + "-" + TwoDigits(when.wMonth) + "-" + TwoDigits(when.wDay) +
           " " + TwoDigits(when.wHour) + ":" + TwoDigits(when.wMinute);
}

// A task older versions left directly in \Sweepora, for every user alike, is this user's
// when it runs as them; the scheduler may give the principal with or without the domain.
bool IsUsersOlderTask(const TaskSummary& task, const ScheduleUser& user)
{
    const std::size_t slash = user.account.find('\\');
    const std::string bare = slash == std::string::npos ? user.account : user.account.substr(slash + 1);
    return !task.user.empty() && (EqualsIgnoringCase(task.user, user.account) ||
                                  EqualsIgnoringCase(task.user, user.sid) || EqualsIgnoringCase(task.user, bare));
}

// The name as the user gave it to add and gives it to remove: without their SID.
void PrintTask(const TaskSummary& task, const std::string& suffix, std::ostream& out)
{
    const std::string shown = EndsWith(task.name, suffix) ? task.name.substr(0, task.name.size() - suffix.size())
                                                          : task.name;
    out << shown << '\t' << TriggersInWords(task.triggers) << '\t' << ActionInWords(task.action, task.runsProgram)
        << NextRunInWords(task) << '\n';
}

// The user's tasks in each place, the current one first, then where earlier versions put
// them: their folder \Sweepora\<SID>, and \Sweepora itself, shared by every user.
struct Place {
    std::string folder;
    bool root = false;   // only the names ending in the user's SID are theirs
    bool shared = false; // only the tasks that run as the user are theirs
};

std::vector<Place> UsersPlaces(const ScheduleUser& user)
{
    return {{kRootTaskFolder, true, false}, {UserScheduleFolder(user), false, false}, {kScheduleFolder, false, true}};
}

bool IsUsers(const Place& place, const TaskSummary& task, const ScheduleUser& user)
{
    return place.root ? IsUsersInRoot(task.name, user) : !place.shared || IsUsersOlderTask(task, user);
}

// The user's tasks of one place. In the root only ours are read, by name: the root holds
// every program's tasks, and one that cannot be read is no concern of ours.
TaskSchedulerResult ReadUsers(TaskFolders& scheduler, const Place& place, const ScheduleUser& user,
                              std::vector<TaskSummary>& tasks, std::string& failedTask)
{
    tasks.clear();
    if (!place.root) {
        const TaskSchedulerResult result = scheduler.Read(place.folder, tasks);
        tasks.erase(std::remove_if(tasks.begin(), tasks.end(),
                                   [&](const TaskSummary& task) { return !IsUsers(place, task, user); }),
                    tasks.end());
        return result;
    }
    std::vector<std::string> names;
    TaskSchedulerResult result = scheduler.Names(place.folder, names);
    for (const std::string& name : names) {
        if (!IsUsersInRoot(name, user)) continue;
        TaskSummary task;
        const TaskSchedulerResult read = scheduler.ReadTask(place.folder, name, task);
        if (!read.ok()) {
            failedTask = name;
            return read;
        }
        tasks.push_back(std::move(task));
    }
    return result;
}

// What was read stays printed when the scheduler refuses part way.
int ListTasks(TaskFolders& scheduler, const ScheduleUser& user, std::ostream& out, std::ostream& err)
{
    for (const Place& place : UsersPlaces(user)) {
        std::vector<TaskSummary> tasks;
        std::string failedTask;
        const TaskSchedulerResult result = ReadUsers(scheduler, place, user, tasks, failedTask);
        for (const TaskSummary& task : tasks) PrintTask(task, UserSuffix(user), out);
        if (!result.ok()) return Refused(result, place.folder, failedTask, out, err);
    }
    out.flush();
    return kExitCompleted;
}

// Deletes each task, going on past refusals, which it reports; false when any.
bool DeleteEach(TaskFolders& scheduler, const std::string& folder, const std::vector<std::string>& names,
                std::ostream& out, std::ostream& err)
{
    bool all = true;
    for (const std::string& name : names) {
        const TaskSchedulerResult result = scheduler.DeleteTask(folder, name);
        if (result.ok()) {
            out << "Removed " << TaskPath(folder, name) << '\n';
        } else {
            Refused(result, folder, name, out, err);
            all = false;
        }
    }
    return all;
}

// The earlier versions' folders go once they hold nothing.
void DropOlderFolders(TaskFolders& scheduler, const ScheduleUser& user)
{
    scheduler.DropIfEmpty(UserScheduleFolder(user));
    scheduler.DropIfEmpty(kScheduleFolder);
}

// remove NAME: as add named it (without the SID, or with it), then where earlier versions
// put it. A name the scheduler refuses can only be an older version's, stored by Wine.
int RemoveNamed(TaskFolders& scheduler, const ScheduleUser& user, const std::string& name, std::ostream& out,
                std::ostream& err)
{
    const std::string full = EndsWith(name, UserSuffix(user)) ? name : name + UserSuffix(user);
    const std::vector<std::pair<std::string, std::string>> candidates = {
        {kRootTaskFolder, full}, {UserScheduleFolder(user), name}, {kScheduleFolder, name}};
    const TaskSchedulerResult notHere{HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), TaskStep::DeleteTask};
    TaskSchedulerResult first;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto& [folder, task] = candidates[i];
        const TaskSchedulerResult result = TaskNameRefusal(task).empty() || i > 0 ? scheduler.DeleteTask(folder, task)
                                                                                  : notHere;
        if (result.ok()) {
            out << "Removed " << TaskPath(folder, task) << '\n';
            DropOlderFolders(scheduler, user);
            out.flush();
            return kExitCompleted;
        }
        // A refusal says more than "not here"; otherwise the first place is the one to name.
        if (!result.missing()) return Refused(result, folder, task, out, err);
        if (i == 0) first = result;
    }
    return Refused(first, kRootTaskFolder, full, out, err);
}

// remove --all: the user's tasks in every place.
int RemoveUsers(TaskFolders& scheduler, const ScheduleUser& user, std::ostream& out, std::ostream& err)
{
    bool all = true;
    for (const Place& place : UsersPlaces(user)) {
        // Names are enough where the name says whose the task is.
        std::vector<std::string> names;
        TaskSchedulerResult result;
        if (place.shared) {
            std::vector<TaskSummary> tasks;
            std::string failedTask;
            result = ReadUsers(scheduler, place, user, tasks, failedTask);
            for (const TaskSummary& task : tasks) names.push_back(task.name);
        } else {
            result = scheduler.Names(place.folder, names);
            if (place.root)
                names.erase(std::remove_if(names.begin(), names.end(),
                                           [&](const std::string& name) { return !IsUsersInRoot(name, user); }),
                            names.end());
        }
        if (!result.ok()) {
            Refused(result, place.folder, "", out, err);
            all = false;
        }
        all = DeleteEach(scheduler, place.folder, names, out, err) && all;
    }
    DropOlderFolders(scheduler, user);
    out.flush();
    return all ? kExitCompleted : kExitSchedulerRefused;
}

// remove --all-users: every user's task of ours in the root, and every task in the earlier
// versions' folders, that the caller may delete (an administrator may delete them all).
int RemoveEveryUsers(TaskFolders& scheduler, std::ostream& out, std::ostream& err)
{
    bool all = true;
    std::vector<std::string> names, ours;
    TaskSchedulerResult result = scheduler.Names(kRootTaskFolder, names);
    if (!result.ok()) {
        Refused(result, kRootTaskFolder, "", out, err);
        all = false;
    }
    for (const std::string& name : names)
        if (IsOursInRoot(name)) ours.push_back(name);
    all = DeleteEach(scheduler, kRootTaskFolder, ours, out, err) && all;

    std::vector<std::string> users;
    if (!(result = scheduler.Subfolders(kScheduleFolder, users)).ok()) {
        Refused(result, kScheduleFolder, "", out, err);
        all = false;
    }
    users.push_back(""); // \Sweepora itself
    for (const std::string& sub : users) {
        const std::string folder = sub.empty() ? std::string(kScheduleFolder) : kScheduleFolder + ("\\" + sub);
        if (!(result = scheduler.Names(folder, names)).ok()) {
            Refused(result, folder, "", out, err);
            all = false;
        }
        all = DeleteEach(scheduler, folder, names, out, err) && all;
        if (!sub.empty()) scheduler.DropIfEmpty(folder);
    }
    scheduler.DropIfEmpty(kScheduleFolder);
    out.flush();
    return all ? kExitCompleted : kExitSchedulerRefused;
}

} // namespace

bool ParseScheduleArguments(const std::vector<std::string>& args, ScheduleOptions& options, std::string& error)
{
    const auto fail = [&error](const std::string& why) {
        error = why;
        return false;
    };
    if (args.empty()) return fail("schedule needs add, list or remove");
    const std::string& command = args[0];
    if (command == "list") {
        options.command = ScheduleCommand::List;
        return args.size() == 1 || fail("schedule list takes nothing more");
    }
    if (command == "remove") {
        options.command = ScheduleCommand::Remove;
        if (args.size() != 2 || args[1].empty())
            return fail("schedule remove needs one task name, or --all, or --all-users");
        options.allUsers = args[1] == "--all-users";
        options.name = args[1] == "--all" || options.allUsers ? "" : args[1];
        return true;
    }
    if (command != "add") return fail("schedule needs add, list or remove, not " + command);
    options.command = ScheduleCommand::Add;
    bool haveWhen = false, haveMode = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--clean" || a == "--preview") {
            if (haveMode) return fail("give one of --clean or --preview");
            options.preview = a == "--preview";
            haveMode = true;
            continue;
        }
        if (a != "--at-logon" && a != "--daily" && a != "--weekly") return fail("unknown argument: " + a);
        if (haveWhen) return fail("give one of --at-logon, --daily or --weekly");
        haveWhen = true;
        if (a == "--at-logon") {
            options.when.kind = TaskTriggerKind::AtLogon;
            continue;
        }
        options.when.kind = a == "--daily" ? TaskTriggerKind::Daily : TaskTriggerKind::Weekly;
        if (options.when.kind == TaskTriggerKind::Weekly && (i + 1 >= args.size() || !ParseDay(args[++i], options.when)))
            return fail("--weekly needs a day, Mon to Sun, and a time, HH:MM");
        if (i + 1 >= args.size() || !ParseTime(args[++i], options.when)) return fail(a + " needs a time, HH:MM");
    }
    return haveWhen || fail("schedule add needs --at-logon, --daily HH:MM or --weekly DAY HH:MM");
}

std::string ScheduleInWords(const TaskTrigger& when)
{
    const std::string time = TwoDigits(when.hour) + ":" + TwoDigits(when.minute);
    switch (when.kind) {
    case TaskTriggerKind::AtLogon: return "at logon";
    case TaskTriggerKind::Daily: return "daily " + time;
    case TaskTriggerKind::Weekly: {
        std::string days;
        for (int d = 0; d < 7; ++d)
            if (when.daysOfWeek & (1 << d)) days += (days.empty() ? "" : ",") + std::string(kDayNames[d]);
        return "weekly " + days + " " + time;
    }
    case TaskTriggerKind::Other: break;
    }
    return "another kind of trigger";
}

std::string ScheduledTaskName(const ScheduleOptions& options)
{
    std::string words = ScheduleInWords(options.when);
    for (char& c : words)
        if (c == ':') c = '-';
    return std::string("Sweepora ") + (options.preview ? "preview " : "clean ") + words;
}

std::string UserScheduleFolder(const ScheduleUser& user) { return kScheduleFolder + ("\\" + user.sid); }

std::string UserTaskName(const ScheduleOptions& options, const ScheduleUser& user)
{
    return ScheduledTaskName(options) + UserSuffix(user);
}

int RunSchedule(const ScheduleOptions& options, TaskFolders& scheduler, const ScheduleUser& user, std::ostream& out,
                std::ostream& err)
{
    switch (options.command) {
    case ScheduleCommand::Add: return AddTask(scheduler, user, options, out, err);
    case ScheduleCommand::List: return ListTasks(scheduler, user, out, err);
    case ScheduleCommand::Remove:
        if (options.allUsers) return RemoveEveryUsers(scheduler, out, err);
        return options.name.empty() ? RemoveUsers(scheduler, user, out, err)
                                    : RemoveNamed(scheduler, user, options.name, out, err);
    }
    return kExitSchedulerRefused;
}

int RunSchedule(const ScheduleOptions& options, std::ostream& out, std::ostream& err)
{
    TaskScheduler scheduler;
    const TaskSchedulerResult connected = scheduler.Connect();
    if (!connected.ok()) return Refused(connected, "", "", out, err);
    const ScheduleUser user{CurrentUserSid(), CurrentTaskUser()};
    if (user.sid.empty() && !options.allUsers) {
        err << "sweepora-cli: the current user's SID is unknown: no task folder to use" << std::endl;
        return kExitSchedulerRefused;
    }
    return RunSchedule(options, scheduler, user, out, err);
}

} // namespace sweepora
