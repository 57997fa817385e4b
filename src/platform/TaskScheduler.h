#pragma once
// The Task Scheduler 2.0 through COM, cut down to what a program needs for runs of its
// own: register a task in a folder, list a folder's tasks, delete them. Every call answers
// with the HRESULT and the step the scheduler refused, so the caller can say it in its words.
#include "platform/ComPtr.h"
#include "platform/TaskFolders.h"

#include <windows.h>

#include <string>
#include <vector>

struct ITaskService;
struct ITaskDefinition;
struct IRegisteredTask;

namespace sweepora {

// "DOMAIN\user", the form the scheduler takes for a principal; empty when unknown.
std::string CurrentTaskUser();
// "S-1-5-21-...-1001": the current user's security identifier; empty when unknown.
std::string CurrentUserSid();

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
    TaskSchedulerResult User(std::string& user) const;

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
class TaskScheduler : public TaskFolders {
public:
    TaskScheduler();
    ~TaskScheduler() override;
    TaskScheduler(const TaskScheduler&) = delete;
    TaskScheduler& operator=(const TaskScheduler&) = delete;

    // Before anything else.
    TaskSchedulerResult Connect();
    TaskSchedulerResult Register(const std::string& folder, const std::string& name,
                                 const TaskRegistration& task) override;
    TaskSchedulerResult Read(const std::string& folder, std::vector<TaskSummary>& tasks) override;
    TaskSchedulerResult ReadTask(const std::string& folder, const std::string& name, TaskSummary& task) override;
    TaskSchedulerResult Names(const std::string& folder, std::vector<std::string>& names) override;
    TaskSchedulerResult Subfolders(const std::string& folder, std::vector<std::string>& names) override;
    TaskSchedulerResult DeleteTask(const std::string& folder, const std::string& name) override;
    bool DropIfEmpty(const std::string& folder) override;
    // The tasks themselves, hidden ones too, in the scheduler's order; none when the folder
    // is missing.
    TaskSchedulerResult List(const std::string& folder, std::vector<RegisteredTask>& tasks);

private:
    bool comStarted_;
    ComPtr<ITaskService> service_;
};

} // namespace sweepora
