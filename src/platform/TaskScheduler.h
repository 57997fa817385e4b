#pragma once
// The Task Scheduler 2.0 through COM, cut down to what a program needs for runs of its
// own: register a task in a folder, list a folder's tasks, delete them. Every call answers
// with the HRESULT and the step the scheduler refused, so the caller can say it in its words.
#include "platform/ComPtr.h"

#include <windows.h>

#include <string>
#include <vector>

struct ITaskService;
struct ITaskDefinition;
struct IRegisteredTask;

namespace sweepora {

// What was being asked of the scheduler when it refused.
enum class TaskStep {
    None,
    Start, Connect,
    OpenFolder, OpenRoot, CreateFolder,
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

// "DOMAIN\user", the form the scheduler takes for a principal; empty when unknown.
std::string CurrentTaskUser();

// "2024-05-01T18:30:00": the day's date and the time, local with no zone, so that the hour
// follows daylight saving.
std::string StartBoundaryText(const SYSTEMTIME& day, int hour, int minute);
// The time of a start boundary, which may carry a zone after the seconds.
bool TimeOfStartBoundary(const std::string& boundary, int& hour, int& minute);

// What a registered task does and when, read piece by piece.
class TaskDefinitionView {
public:
    TaskDefinitionView();
    ~TaskDefinitionView();
    TaskDefinitionView(TaskDefinitionView&&) noexcept;
    TaskDefinitionView& operator=(TaskDefinitionView&&) noexcept;

    TaskSchedulerResult Triggers(std::vector<TaskTrigger>& triggers) const;
    // False in `found` when the first action is missing or starts no program.
    TaskSchedulerResult FirstProgram(TaskAction& action, bool& found) const;

private:
    friend class RegisteredTask;
    ComPtr<ITaskDefinition> definition_;
};

class RegisteredTask {
public:
    ~RegisteredTask();
    RegisteredTask(RegisteredTask&&) noexcept;
    RegisteredTask& operator=(RegisteredTask&&) noexcept;

    TaskSchedulerResult Name(std::string& name) const;
    TaskSchedulerResult Definition(TaskDefinitionView& definition) const;
    // Local time; false when no run is planned.
    bool NextRun(SYSTEMTIME& when) const;

private:
    friend class TaskScheduler;
    RegisteredTask();
    ComPtr<IRegisteredTask> task_;
};

// The scheduler of this machine, for the calling thread (COM, multithreaded apartment).
// Tasks and views it hands out must go before it does.
class TaskScheduler {
public:
    TaskScheduler();
    ~TaskScheduler();
    TaskScheduler(const TaskScheduler&) = delete;
    TaskScheduler& operator=(const TaskScheduler&) = delete;

    // Before anything else.
    TaskSchedulerResult Connect();
    // Folders are paths such as "\Sweepora", directly under the root. The folder is made
    // when missing; a task of the same name is replaced.
    TaskSchedulerResult Register(const std::string& folder, const std::string& name, const TaskRegistration& task);
    // Hidden tasks too, in the scheduler's order; none when the folder is missing.
    TaskSchedulerResult List(const std::string& folder, std::vector<RegisteredTask>& tasks);
    // In order, stopping at the first refusal, with `deleted` counting those gone. The
    // folder goes with its last task, and an empty one with none; a missing folder is a
    // refusal only when there are names to delete.
    TaskSchedulerResult Delete(const std::string& folder, const std::vector<std::string>& names, std::size_t& deleted);

private:
    bool comStarted_;
    ComPtr<ITaskService> service_;
};

} // namespace sweepora
