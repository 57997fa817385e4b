#pragma once
// Runs of the console program that the Task Scheduler starts, so that a machine is cleaned
// with nobody at the program. They live in a task folder of their own, \Sweepora.
#include "platform/TaskScheduler.h"

#include <ostream>
#include <string>
#include <vector>

namespace sweepora {

constexpr int kExitSchedulerRefused = 3;

enum class ScheduleCommand { Add, List, Remove };

// schedule add (--at-logon | --daily HH:MM | --weekly DAY HH:MM) [--clean | --preview]
// schedule list | schedule remove NAME | schedule remove --all
struct ScheduleOptions {
    ScheduleCommand command = ScheduleCommand::List;
    TaskTrigger when;
    bool preview = false;
    std::string name; // the task to remove; empty for remove --all
};

// The arguments after "schedule". False, with the reason, for anything else.
bool ParseScheduleArguments(const std::vector<std::string>& args, ScheduleOptions& options, std::string& error);

// "at logon", "daily 18:30", "weekly Mon 09:00" (several days joined by commas).
std::string ScheduleInWords(const TaskTrigger& when);

// "Sweepora clean at logon", "Sweepora preview weekly Mon 09:00".
std::string ScheduledTaskName(const ScheduleOptions& options);

// add: registers the task for the current user (interactive, no stored password) and prints
// what it runs. list: one line per task of \Sweepora, "name<TAB>when<TAB>mode[<TAB>next run]".
// remove: deletes the named task, or every task of the folder and the folder itself.
// Returns the exit status: kExitSchedulerRefused, with the Task Scheduler's words on err,
// when it refuses.
int RunSchedule(const ScheduleOptions& options, std::ostream& out, std::ostream& err);

} // namespace sweepora
