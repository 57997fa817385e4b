#pragma once
// Runs of the console program that the Task Scheduler starts, so that a machine is cleaned
// with nobody at the program. Each user's live in the scheduler's root folder with the user's
// SID at the end of their names: a standard user may register tasks there, while making a
// task folder takes an administrator.
#include "platform/TaskFolders.h"

#include <ostream>
#include <string>
#include <vector>

namespace sweepora {

constexpr int kExitSchedulerRefused = 3;

enum class ScheduleCommand { Add, List, Remove };

// schedule add (--at-logon | --daily HH:MM | --weekly DAY HH:MM) [--clean | --preview]
// schedule list | schedule remove NAME | schedule remove --all | schedule remove --all-users
struct ScheduleOptions {
    ScheduleCommand command = ScheduleCommand::List;
    TaskTrigger when;
    bool preview = false;
    std::string name; // the task to remove; empty for remove --all and --all-users
    bool allUsers = false;
};

// Whose tasks a command handles.
struct ScheduleUser {
    std::string sid;     // ends the names of the user's tasks
    std::string account; // "DOMAIN\user", the tasks' principal
};

constexpr const char* kRootTaskFolder = "\\";
// Where earlier versions put the tasks: every user's in \Sweepora, then each user's in
// \Sweepora\<SID>. Their tasks are still listed and removed.
constexpr const char* kScheduleFolder = "\\Sweepora";
// "\Sweepora\S-1-5-21-...".
std::string UserScheduleFolder(const ScheduleUser& user);

// The arguments after "schedule". False, with the reason, for anything else.
bool ParseScheduleArguments(const std::vector<std::string>& args, ScheduleOptions& options, std::string& error);

// "at logon", "daily 18:30", "weekly Mon 09:00" (several days joined by commas).
std::string ScheduleInWords(const TaskTrigger& when);

// "Sweepora clean at logon", "Sweepora preview weekly Mon 09-00": the scheduler refuses ':'
// in a name.
std::string ScheduledTaskName(const ScheduleOptions& options);
// The name registered: "Sweepora clean daily 18-30 (S-1-5-21-...-1001)".
std::string UserTaskName(const ScheduleOptions& options, const ScheduleUser& user);

// add: registers the user's task in the root (interactive, no stored password) and prints
// what it runs. list: one line per task of the user's, "name<TAB>when<TAB>mode[<TAB>next run]",
// the name without the SID. remove: deletes the named task, or with --all every task of the
// user's, or with --all-users every user's it may, going on past refusals. The user's tasks
// where earlier versions put them count too; their emptied folders go. Returns the exit status: kExitSchedulerRefused, with the Task Scheduler's words
// on err, when it refuses anything.
int RunSchedule(const ScheduleOptions& options, TaskFolders& scheduler, const ScheduleUser& user, std::ostream& out,
                std::ostream& err);
// The same with this machine's scheduler for the current user.
int RunSchedule(const ScheduleOptions& options, std::ostream& out, std::ostream& err);

} // namespace sweepora
