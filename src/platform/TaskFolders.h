#pragma once
// What a command needs of the Task Scheduler, folder by folder. The machine's scheduler is
// TaskScheduler; tests give their own where Wine cannot show what Windows does.
#include <windows.h>

#include <string>
#include <vector>

namespace sweepora {

// What was being asked of the scheduler when it refused.
enum class TaskStep {
    None,
    Start, Connect,
    OpenFolder, OpenRoot, CreateFolder, ListFolders,
    NewTask, Describe, GiveUser, GiveSettings, MakeTrigger, GiveAction, Register,
    ListTasks, CountTasks, GiveTask, GiveName, GiveDefinition,
    GiveTriggers, CountTriggers, GiveTrigger, GiveTriggerKind, GiveTriggerStart, GiveTriggerDays,
    GiveActions, CountActions, GiveProgram, GiveArguments,
    DeleteTask,
};

struct TaskSchedulerResult {
    HRESULT hr = S_OK;
    TaskStep step = TaskStep::None;
    bool ok() const { return SUCCEEDED(hr); }
    // The folder or task asked for is not there.
    bool missing() const
    {
        return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    // The scheduler's answer: "0x80004001 (Not implemented.)", the number alone when the
    // system has no words for it.
    std::string Answer() const;
};

enum class TaskTriggerKind { AtLogon, Daily, Weekly, Other };

// At logon of the task's user, or daily or weekly at a local time. Other is read back only:
// a kind this wrapper does not make.
struct TaskTrigger {
    TaskTriggerKind kind = TaskTriggerKind::AtLogon;
    int hour = 0;
    int minute = 0;
    int daysOfWeek = 0; // weekly: 1 Sunday, 2 Monday ... 64 Saturday
};

struct TaskAction {
    std::string program;
    std::string arguments;
    std::string workingFolder; // not read back
};

struct TaskRegistration {
    std::string user; // CurrentTaskUser(): the task runs as this user, only while logged on
    std::string author;
    std::string description;
    TaskTrigger trigger;
    TaskAction action;
};

// A registered task as read back.
struct TaskSummary {
    std::string name;
    std::string user; // as the task's principal gives it
    std::vector<TaskTrigger> triggers;
    TaskAction action;
    bool runsProgram = false; // false when the first action is missing or starts no program
    bool hasNextRun = false;
    SYSTEMTIME nextRun = {}; // local time
};

// Folders are paths from the root, "\Sweepora\S-1-5-21-...". A missing folder has no tasks
// and no subfolders; only deleting from it is a refusal.
class TaskFolders {
public:
    virtual ~TaskFolders() = default;
    // Makes the folder and those above it when missing; a task of the same name is replaced.
    virtual TaskSchedulerResult Register(const std::string& folder, const std::string& name,
                                         const TaskRegistration& task) = 0;
    // Hidden tasks too, in the scheduler's order. On a refusal `tasks` holds those read before.
    virtual TaskSchedulerResult Read(const std::string& folder, std::vector<TaskSummary>& tasks) = 0;
    // One task, by name; a missing one is a refusal.
    virtual TaskSchedulerResult ReadTask(const std::string& folder, const std::string& name, TaskSummary& task) = 0;
    virtual TaskSchedulerResult Names(const std::string& folder, std::vector<std::string>& names) = 0;
    virtual TaskSchedulerResult Subfolders(const std::string& folder, std::vector<std::string>& names) = 0;
    virtual TaskSchedulerResult DeleteTask(const std::string& folder, const std::string& name) = 0;
    // Removes the folder only when it holds neither tasks nor folders; false otherwise.
    virtual bool DropIfEmpty(const std::string& folder) = 0;
};

} // namespace sweepora
