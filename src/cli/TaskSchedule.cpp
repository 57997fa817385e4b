#include "cli/TaskSchedule.h"

#include "cli/CliApp.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "settings/DataFolder.h"

#include <windows.h>

namespace sweepora {

namespace {

constexpr const char* kFolder = "\\Sweepora";
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

// What the scheduler was refused, after "could not". `task` names the task concerned, and
// `when` the trigger being made.
std::string StepInWords(TaskStep step, const std::string& task, const TaskTrigger& when)
{
    const std::string folder = kFolder;
    switch (step) {
    case TaskStep::None: break;
    case TaskStep::Start: return "start";
    case TaskStep::Connect: return "connect";
    case TaskStep::OpenFolder: return "open the task folder " + folder;
    case TaskStep::OpenRoot: return "open its root folder";
    case TaskStep::CreateFolder: return "create the task folder " + folder;
    case TaskStep::NewTask: return "make a new task";
    case TaskStep::Describe: return "describe the task";
    case TaskStep::GiveUser: return "give the task's user";
    case TaskStep::GiveSettings: return "give the task's settings";
    case TaskStep::MakeTrigger: return "make a trigger " + ScheduleInWords(when);
    case TaskStep::GiveAction: return "give the task's action";
    case TaskStep::Register: return "register " + folder + "\\" + task;
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
    case TaskStep::DeleteTask: return "remove " + folder + "\\" + task;
    }
    return "do what was asked";
}

int Refused(const TaskSchedulerResult& result, const std::string& task, const TaskTrigger& when, std::ostream& out,
            std::ostream& err)
{
    out.flush();
    err << "sweepora-cli: the Task Scheduler could not " << StepInWords(result.step, task, when) << ": "
        << result.Answer() << std::endl;
    return kExitSchedulerRefused;
}

int Refused(const TaskSchedulerResult& result, const std::string& task, std::ostream& out, std::ostream& err)
{
    return Refused(result, task, TaskTrigger{}, out, err);
}

int AddTask(TaskScheduler& scheduler, const ScheduleOptions& options, std::ostream& out, std::ostream& err)
{
    const std::string perUser = PerUserFolder();
    const std::string user = CurrentTaskUser();
    if (perUser.empty() || user.empty()) {
        err << "sweepora-cli: " << (perUser.empty() ? "no per-user folder for the reports" : "no user name")
            << ": nothing scheduled" << std::endl;
        return kExitSchedulerRefused;
    }
    TaskRegistration task;
    task.user = user;
    task.author = user;
    task.description = "Sweepora's console program, " + ScheduleInWords(options.when);
    task.trigger = options.when;
    task.action.program = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
    task.action.arguments = ActionArguments(options.preview, perUser);
    task.action.workingFolder = perUser;
    const std::string name = ScheduledTaskName(options);
    const TaskSchedulerResult registered = scheduler.Register(kFolder, name, task);
    if (!registered.ok()) return Refused(registered, name, options.when, out, err);
    out << "Scheduled " << kFolder << "\\" << name << " for " << user << '\n'
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

std::string NextRunInWords(const RegisteredTask& task)
{
    SYSTEMTIME when;
    if (!task.NextRun(when)) return "";
    return "\tnext run " + std::to_string(when.wYear) + "-" + TwoDigits(when.wMonth) + "-" + TwoDigits(when.wDay) +
           " " + TwoDigits(when.wHour) + ":" + TwoDigits(when.wMinute);
}

// Line by line as each task is read, so what was read stays printed when the scheduler refuses.
int ListTasks(TaskScheduler& scheduler, std::ostream& out, std::ostream& err)
{
    std::vector<RegisteredTask> tasks;
    TaskSchedulerResult result = scheduler.List(kFolder, tasks);
    if (!result.ok()) return Refused(result, "", out, err);
    for (const RegisteredTask& task : tasks) {
        std::string name;
        TaskDefinitionView definition;
        std::vector<TaskTrigger> triggers;
        TaskAction action;
        bool found = false;
        if (!(result = task.Name(name)).ok() || !(result = task.Definition(definition)).ok())
            return Refused(result, name, out, err);
        out << name << '\t';
        if (!(result = definition.Triggers(triggers)).ok()) return Refused(result, name, out, err);
        out << TriggersInWords(triggers) << '\t';
        if (!(result = definition.FirstProgram(action, found)).ok()) return Refused(result, name, out, err);
        out << ActionInWords(action, found) << NextRunInWords(task) << '\n';
    }
    out.flush();
    return kExitCompleted;
}

int RemoveTasks(TaskScheduler& scheduler, const ScheduleOptions& options, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> names;
    if (!options.name.empty()) {
        names.push_back(options.name);
    } else {
        std::vector<RegisteredTask> tasks;
        TaskSchedulerResult result = scheduler.List(kFolder, tasks);
        if (!result.ok()) return Refused(result, "", out, err);
        for (const RegisteredTask& task : tasks) {
            std::string name;
            if (!(result = task.Name(name)).ok()) return Refused(result, name, out, err);
            names.push_back(name);
        }
    }
    std::size_t deleted = 0;
    const TaskSchedulerResult result = scheduler.Delete(kFolder, names, deleted);
    for (std::size_t i = 0; i < deleted; ++i) out << "Removed " << kFolder << "\\" << names[i] << '\n';
    if (!result.ok()) return Refused(result, deleted < names.size() ? names[deleted] : "", out, err);
    out.flush();
    return kExitCompleted;
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
        if (args.size() != 2 || args[1].empty()) return fail("schedule remove needs one task name, or --all");
        options.name = args[1] == "--all" ? "" : args[1];
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
    return std::string("Sweepora ") + (options.preview ? "preview " : "clean ") + ScheduleInWords(options.when);
}

int RunSchedule(const ScheduleOptions& options, std::ostream& out, std::ostream& err)
{
    TaskScheduler scheduler;
    const TaskSchedulerResult connected = scheduler.Connect();
    if (!connected.ok()) return Refused(connected, "", out, err);
    switch (options.command) {
    case ScheduleCommand::Add: return AddTask(scheduler, options, out, err);
    case ScheduleCommand::List: return ListTasks(scheduler, out, err);
    case ScheduleCommand::Remove: return RemoveTasks(scheduler, options, out, err);
    }
    return kExitSchedulerRefused;
}

} // namespace sweepora
