#include "platform/TaskScheduler.h"

#include "platform/ComText.h"
#include "platform/ErrorText.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/WideText.h"

#define SECURITY_WIN32
#include <security.h>
#include <taskschd.h>

#include <sddl.h>

#include <algorithm>
#include <cstdio>

namespace sweepora {

namespace {

// MinGW-w64's taskschd.h declares neither of these two trigger interfaces.
struct LogonTrigger : public ITrigger {
    virtual HRESULT STDMETHODCALLTYPE get_Delay(BSTR* delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Delay(BSTR delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserId(BSTR* user) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserId(BSTR user) = 0;
};
constexpr GUID kIidLogonTrigger = {0x72dade38, 0xfae4, 0x4b3e, {0xba, 0xf4, 0x5d, 0x00, 0x9a, 0xf0, 0x2b, 0x1c}};

struct WeeklyTrigger : public ITrigger {
    virtual HRESULT STDMETHODCALLTYPE get_DaysOfWeek(short* days) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DaysOfWeek(short days) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WeeksInterval(short* weeks) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WeeksInterval(short weeks) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RandomDelay(BSTR* delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RandomDelay(BSTR delay) = 0;
};
constexpr GUID kIidWeeklyTrigger = {0x5038fc98, 0x82ff, 0x436d, {0x87, 0x28, 0xa5, 0x12, 0xa5, 0x7c, 0x9d, 0xc1}};

// Thrown inside this file only: each public call turns it into its result.
struct Refusal {
    TaskSchedulerResult result;
};

void Check(HRESULT hr, TaskStep step)
{
    if (FAILED(hr)) throw Refusal{{hr, step}};
}

template <typename Steps>
TaskSchedulerResult Guarded(Steps&& steps)
{
    try {
        steps();
    } catch (const Refusal& r) {
        return r.result;
    }
    return {};
}

template <typename Interface>
ComPtr<Interface> Query(IUnknown& from, const GUID& iid, TaskStep step)
{
    ComPtr<Interface> to;
    Check(from.QueryInterface(iid, reinterpret_cast<void**>(to.put())), step);
    return to;
}

bool IsMissing(HRESULT hr)
{
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

std::string TwoDigits(int n) { return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Null when the folder is missing and that is fine.
ComPtr<ITaskFolder> OpenFolder(ITaskService& service, const std::string& path, bool mustExist)
{
    ComPtr<ITaskFolder> folder;
    const HRESULT hr = service.GetFolder(MakeBstr(path).get(), folder.put());
    if (mustExist || !IsMissing(hr)) Check(hr, TaskStep::OpenFolder);
    return folder;
}

ComPtr<ITaskFolder> OpenRoot(ITaskService& service)
{
    ComPtr<ITaskFolder> root;
    Check(service.GetFolder(MakeBstr("\\").get(), root.put()), TaskStep::OpenRoot);
    return root;
}

// Level by level from the root, so that every folder above is made as well.
ComPtr<ITaskFolder> OpenOrCreateFolder(ITaskService& service, const std::string& path)
{
    ComPtr<ITaskFolder> folder = OpenFolder(service, path, false);
    if (folder) return folder;
    ComPtr<ITaskFolder> parent = OpenRoot(service);
    std::string sofar;
    for (std::size_t start = path.find_first_not_of('\\'); start != std::string::npos;
         start = path.find_first_not_of('\\', start)) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string part = path.substr(start, end - start);
        sofar += "\\" + part;
        ComPtr<ITaskFolder> next = OpenFolder(service, sofar, false);
        if (!next) {
            const Variant noSecurity;
            Check(parent.get()->CreateFolder(MakeBstr(part).get(), noSecurity.get(), next.put()),
                  TaskStep::CreateFolder);
        }
        parent = std::move(next);
        start = end;
    }
    return parent;
}

void AddTrigger(ITaskDefinition& task, const TaskTrigger& when, const std::string& user)
{
    ComPtr<ITriggerCollection> triggers;
    Check(task.get_Triggers(triggers.put()), TaskStep::GiveTriggers);
    const TASK_TRIGGER_TYPE2 type = when.kind == TaskTriggerKind::AtLogon ? TASK_TRIGGER_LOGON
                                    : when.kind == TaskTriggerKind::Daily ? TASK_TRIGGER_DAILY
                                                                          : TASK_TRIGGER_WEEKLY;
    constexpr TaskStep step = TaskStep::MakeTrigger;
    ComPtr<ITrigger> trigger;
    Check(triggers.get()->Create(type, trigger.put()), step);
    if (when.kind == TaskTriggerKind::AtLogon) {
        // Only this user's logon: any user's would need an administrator.
        Check(Query<LogonTrigger>(*trigger.get(), kIidLogonTrigger, step).get()->put_UserId(MakeBstr(user).get()), step);
        return;
    }
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    Check(trigger.get()->put_StartBoundary(MakeBstr(StartBoundaryText(today, when.hour, when.minute)).get()), step);
    if (when.kind == TaskTriggerKind::Daily) {
        Check(Query<IDailyTrigger>(*trigger.get(), IID_IDailyTrigger, step).get()->put_DaysInterval(1), step);
    } else {
        const ComPtr<WeeklyTrigger> weekly = Query<WeeklyTrigger>(*trigger.get(), kIidWeeklyTrigger, step);
        Check(weekly.get()->put_DaysOfWeek(static_cast<short>(when.daysOfWeek)), step);
        Check(weekly.get()->put_WeeksInterval(1), step);
    }
}

ComPtr<ITaskDefinition> NewDefinition(ITaskService& service, const TaskRegistration& task)
{
    ComPtr<ITaskDefinition> definition;
    Check(service.NewTask(0, definition.put()), TaskStep::NewTask);
    ComPtr<IRegistrationInfo> info;
    Check(definition.get()->get_RegistrationInfo(info.put()), TaskStep::Describe);
    Check(info.get()->put_Author(MakeBstr(task.author).get()), TaskStep::Describe);
    Check(info.get()->put_Description(MakeBstr(task.description).get()), TaskStep::Describe);
    ComPtr<IPrincipal> principal;
    Check(definition.get()->get_Principal(principal.put()), TaskStep::GiveUser);
    Check(principal.get()->put_UserId(MakeBstr(task.user).get()), TaskStep::GiveUser);
    ComPtr<ITaskSettings> settings;
    Check(definition.get()->get_Settings(settings.put()), TaskStep::GiveSettings);
    // A run missed while the machine was off comes later; a laptop on battery still runs it.
    Check(settings.get()->put_StartWhenAvailable(VARIANT_TRUE), TaskStep::GiveSettings);
    Check(settings.get()->put_DisallowStartIfOnBatteries(VARIANT_FALSE), TaskStep::GiveSettings);
    Check(settings.get()->put_StopIfGoingOnBatteries(VARIANT_FALSE), TaskStep::GiveSettings);
    Check(settings.get()->put_ExecutionTimeLimit(MakeBstr("PT2H").get()), TaskStep::GiveSettings);
    AddTrigger(*definition.get(), task.trigger, task.user);

    ComPtr<IActionCollection> actions;
    Check(definition.get()->get_Actions(actions.put()), TaskStep::GiveAction);
    ComPtr<IAction> action;
    Check(actions.get()->Create(TASK_ACTION_EXEC, action.put()), TaskStep::GiveAction);
    const ComPtr<IExecAction> exec = Query<IExecAction>(*action.get(), IID_IExecAction, TaskStep::GiveAction);
    Check(exec.get()->put_Path(MakeBstr(task.action.program).get()), TaskStep::GiveAction);
    Check(exec.get()->put_Arguments(MakeBstr(task.action.arguments).get()), TaskStep::GiveAction);
    Check(exec.get()->put_WorkingDirectory(MakeBstr(task.action.workingFolder).get()), TaskStep::GiveAction);
    return definition;
}

// The trigger as TaskTrigger says it; Other for kinds and starts it has no words for.
TaskTrigger ReadTrigger(ITrigger& trigger)
{
    TaskTrigger read;
    read.kind = TaskTriggerKind::Other;
    TASK_TRIGGER_TYPE2 type = TASK_TRIGGER_EVENT;
    Check(trigger.get_Type(&type), TaskStep::GiveTriggerKind);
    if (type == TASK_TRIGGER_LOGON) {
        read.kind = TaskTriggerKind::AtLogon;
        return read;
    }
    if (type != TASK_TRIGGER_DAILY && type != TASK_TRIGGER_WEEKLY) return read;
    Bstr start;
    Check(trigger.get_StartBoundary(start.put()), TaskStep::GiveTriggerStart);
    int hour = 0, minute = 0;
    if (!TimeOfStartBoundary(TextOf(start), hour, minute)) return read;
    read.hour = hour;
    read.minute = minute;
    if (type == TASK_TRIGGER_WEEKLY) {
        short days = 0;
        Check(Query<WeeklyTrigger>(trigger, kIidWeeklyTrigger, TaskStep::GiveTriggerDays).get()->get_DaysOfWeek(&days),
              TaskStep::GiveTriggerDays);
        read.daysOfWeek = days;
    }
    read.kind = type == TASK_TRIGGER_DAILY ? TaskTriggerKind::Daily : TaskTriggerKind::Weekly;
    return read;
}

// Where the scheduler keeps a folder's task files: the 64-bit System32 even for a 32-bit program.
std::wstring StoreFolder(const std::string& folder)
{
    wchar_t windows[MAX_PATH] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    return LongPath(std::wstring(windows, length) + (wow64 ? L"\\Sysnative\\Tasks" : L"\\System32\\Tasks") +
                    WideFromUtf8(folder));
}

} // namespace

std::string TaskSchedulerResult::Answer() const
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(hr));
    const std::string words = ErrorText(static_cast<DWORD>(hr));
    // ErrorText falls back to the number when the system has no words for it.
    return words.rfind("Error ", 0) == 0 ? hex : std::string(hex) + " (" + words + ")";
}

std::string CurrentTaskUser()
{
    wchar_t name[512];
    ULONG size = sizeof name / sizeof name[0];
    if (::GetUserNameExW(NameSamCompatible, name, &size)) return Utf8FromWide(name, size);
    DWORD plainSize = sizeof name / sizeof name[0];
    return ::GetUserNameW(name, &plainSize) ? Utf8FromWide(name, plainSize - 1) : std::string();
}

std::string CurrentUserSid()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
    std::string sid;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    LPWSTR text = nullptr;
    if (::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        sid = Utf8FromWide(text);
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return sid;
}

std::string StartBoundaryText(const SYSTEMTIME& day, int hour, int minute)
{
    return std::to_string(day.wYear) + "-" + TwoDigits(day.wMonth) + "-" + TwoDigits(day.wDay) + "T" +
           TwoDigits(hour) + ":" + TwoDigits(minute) + ":00";
}

bool TimeOfStartBoundary(const std::string& boundary, int& hour, int& minute)
{
    const std::size_t t = boundary.find('T');
    if (t == std::string::npos || boundary.size() < t + 6) return false;
    const char* s = boundary.c_str() + t + 1; // HH:MM
    if (!IsDigit(s[0]) || !IsDigit(s[1]) || s[2] != ':' || !IsDigit(s[3]) || !IsDigit(s[4])) return false;
    const int h = (s[0] - '0') * 10 + (s[1] - '0');
    const int m = (s[3] - '0') * 10 + (s[4] - '0');
    if (h > 23 || m > 59) return false;
    hour = h;
    minute = m;
    return true;
}

TaskDefinitionView::TaskDefinitionView() = default;
TaskDefinitionView::~TaskDefinitionView() = default;
TaskDefinitionView::TaskDefinitionView(TaskDefinitionView&&) noexcept = default;
TaskDefinitionView& TaskDefinitionView::operator=(TaskDefinitionView&&) noexcept = default;

TaskSchedulerResult TaskDefinitionView::Triggers(std::vector<TaskTrigger>& triggers) const
{
    triggers.clear();
    return Guarded([&] {
        ComPtr<ITriggerCollection> collection;
        Check(definition_.get()->get_Triggers(collection.put()), TaskStep::GiveTriggers);
        LONG count = 0;
        Check(collection.get()->get_Count(&count), TaskStep::CountTriggers);
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<ITrigger> trigger;
            Check(collection.get()->get_Item(i, trigger.put()), TaskStep::GiveTrigger);
            triggers.push_back(ReadTrigger(*trigger.get()));
        }
    });
}

TaskSchedulerResult TaskDefinitionView::FirstProgram(TaskAction& action, bool& found) const
{
    found = false;
    action = {};
    return Guarded([&] {
        ComPtr<IActionCollection> actions;
        Check(definition_.get()->get_Actions(actions.put()), TaskStep::GiveActions);
        LONG count = 0;
        Check(actions.get()->get_Count(&count), TaskStep::CountActions);
        ComPtr<IAction> first;
        ComPtr<IExecAction> exec;
        if (count < 1 || FAILED(actions.get()->get_Item(1, first.put())) ||
            FAILED(first.get()->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(exec.put()))))
            return;
        Bstr path, arguments;
        Check(exec.get()->get_Path(path.put()), TaskStep::GiveProgram);
        Check(exec.get()->get_Arguments(arguments.put()), TaskStep::GiveArguments);
        action.program = TextOf(path);
        action.arguments = TextOf(arguments);
        found = true;
    });
}

TaskSchedulerResult TaskDefinitionView::User(std::string& user) const
{
    user.clear();
    return Guarded([&] {
        ComPtr<IPrincipal> principal;
        Check(definition_.get()->get_Principal(principal.put()), TaskStep::GiveUser);
        Bstr id;
        Check(principal.get()->get_UserId(id.put()), TaskStep::GiveUser);
        user = TextOf(id);
    });
}

RegisteredTask::RegisteredTask() = default;
RegisteredTask::~RegisteredTask() = default;
RegisteredTask::RegisteredTask(RegisteredTask&&) noexcept = default;
RegisteredTask& RegisteredTask::operator=(RegisteredTask&&) noexcept = default;

TaskSchedulerResult RegisteredTask::Name(std::string& name) const
{
    Bstr text;
    const HRESULT hr = task_.get()->get_Name(text.put());
    name = TextOf(text);
    return {hr, FAILED(hr) ? TaskStep::GiveName : TaskStep::None};
}

TaskSchedulerResult RegisteredTask::Definition(TaskDefinitionView& definition) const
{
    const HRESULT hr = task_.get()->get_Definition(definition.definition_.put());
    return {hr, FAILED(hr) ? TaskStep::GiveDefinition : TaskStep::None};
}

bool RegisteredTask::NextRun(SYSTEMTIME& when) const
{
    DATE next = 0;
    return SUCCEEDED(task_.get()->get_NextRunTime(&next)) && next != 0 && ::VariantTimeToSystemTime(next, &when);
}

// MTA on purpose: a single-threaded apartment would bring up a desktop window under Wine.
TaskScheduler::TaskScheduler() : comStarted_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}

TaskScheduler::~TaskScheduler()
{
    service_.reset();
    if (comStarted_) ::CoUninitialize();
}

TaskSchedulerResult TaskScheduler::Connect()
{
    return Guarded([&] {
        Check(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                 reinterpret_cast<void**>(service_.put())),
              TaskStep::Start);
        const Variant none;
        Check(service_.get()->Connect(none.get(), none.get(), none.get(), none.get()), TaskStep::Connect);
    });
}

TaskSchedulerResult TaskScheduler::Register(const std::string& folder, const std::string& name,
                                            const TaskRegistration& task)
{
    return Guarded([&] {
        const ComPtr<ITaskDefinition> definition = NewDefinition(*service_.get(), task);
        const ComPtr<ITaskFolder> into = OpenOrCreateFolder(*service_.get(), folder);
        ComPtr<IRegisteredTask> registered;
        // An interactive token: no password is stored, and the task runs only while the user is logged on.
        const Variant user(task.user), noPassword, noSecurity;
        Check(into.get()->RegisterTaskDefinition(MakeBstr(name).get(), definition.get(), TASK_CREATE_OR_UPDATE,
                                                 user.get(), noPassword.get(), TASK_LOGON_INTERACTIVE_TOKEN,
                                                 noSecurity.get(), registered.put()),
              TaskStep::Register);
    });
}

TaskSchedulerResult TaskScheduler::List(const std::string& folder, std::vector<RegisteredTask>& tasks)
{
    tasks.clear();
    return Guarded([&] {
        const ComPtr<ITaskFolder> from = OpenFolder(*service_.get(), folder, false);
        if (!from) return;
        ComPtr<IRegisteredTaskCollection> collection;
        Check(from.get()->GetTasks(TASK_ENUM_HIDDEN, collection.put()), TaskStep::ListTasks);
        LONG count = 0;
        const HRESULT counted = collection.get()->get_Count(&count);
        if (counted == E_NOTIMPL) {
            // Wine's scheduler cannot count a folder's tasks. Its store names them, and a name
            // counts only when the scheduler itself opens the task.
            const FolderListing store = ListFolder(StoreFolder(folder));
            if (store.error != ERROR_SUCCESS && store.error != ERROR_FILE_NOT_FOUND &&
                store.error != ERROR_PATH_NOT_FOUND)
                Check(counted, TaskStep::CountTasks);
            for (const ListedEntry& entry : store.entries) {
                if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                RegisteredTask task;
                if (SUCCEEDED(from.get()->GetTask(MakeBstr(Utf8FromWide(entry.name)).get(), task.task_.put())))
                    tasks.push_back(std::move(task));
            }
            return;
        }
        Check(counted, TaskStep::CountTasks);
        for (LONG i = 1; i <= count; ++i) {
            RegisteredTask task;
            Check(collection.get()->get_Item(Variant(i).get(), task.task_.put()), TaskStep::GiveTask);
            tasks.push_back(std::move(task));
        }
    });
}

namespace {

TaskSchedulerResult Summarize(const RegisteredTask& registered, TaskSummary& summary)
{
    TaskDefinitionView definition;
    TaskSchedulerResult result;
    if (!(result = registered.Name(summary.name)).ok() || !(result = registered.Definition(definition)).ok() ||
        !(result = definition.User(summary.user)).ok() || !(result = definition.Triggers(summary.triggers)).ok() ||
        !(result = definition.FirstProgram(summary.action, summary.runsProgram)).ok())
        return result;
    summary.hasNextRun = registered.NextRun(summary.nextRun);
    return result;
}

} // namespace

TaskSchedulerResult TaskScheduler::Read(const std::string& folder, std::vector<TaskSummary>& tasks)
{
    tasks.clear();
    std::vector<RegisteredTask> registered;
    TaskSchedulerResult result = List(folder, registered);
    for (std::size_t i = 0; result.ok() && i < registered.size(); ++i) {
        TaskSummary summary;
        if ((result = Summarize(registered[i], summary)).ok()) tasks.push_back(std::move(summary));
    }
    return result;
}

TaskSchedulerResult TaskScheduler::ReadTask(const std::string& folder, const std::string& name, TaskSummary& task)
{
    task = {};
    RegisteredTask registered;
    const TaskSchedulerResult opened = Guarded([&] {
        const ComPtr<ITaskFolder> from = OpenFolder(*service_.get(), folder, true);
        Check(from.get()->GetTask(MakeBstr(name).get(), registered.task_.put()), TaskStep::GiveTask);
    });
    return opened.ok() ? Summarize(registered, task) : opened;
}

TaskSchedulerResult TaskScheduler::Names(const std::string& folder, std::vector<std::string>& names)
{
    names.clear();
    std::vector<RegisteredTask> registered;
    TaskSchedulerResult result = List(folder, registered);
    for (std::size_t i = 0; result.ok() && i < registered.size(); ++i) {
        std::string name;
        if ((result = registered[i].Name(name)).ok()) names.push_back(name);
    }
    return result;
}

TaskSchedulerResult TaskScheduler::Subfolders(const std::string& folder, std::vector<std::string>& names)
{
    names.clear();
    return Guarded([&] {
        const ComPtr<ITaskFolder> from = OpenFolder(*service_.get(), folder, false);
        if (!from) return;
        ComPtr<ITaskFolderCollection> collection;
        Check(from.get()->GetFolders(0, collection.put()), TaskStep::ListFolders);
        LONG count = 0;
        Check(collection.get()->get_Count(&count), TaskStep::ListFolders);
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<ITaskFolder> sub;
            Check(collection.get()->get_Item(Variant(i).get(), sub.put()), TaskStep::ListFolders);
            Bstr name;
            Check(sub.get()->get_Name(name.put()), TaskStep::ListFolders);
            names.push_back(TextOf(name));
        }
    });
}

TaskSchedulerResult TaskScheduler::DeleteTask(const std::string& folder, const std::string& name)
{
    return Guarded([&] {
        const ComPtr<ITaskFolder> from = OpenFolder(*service_.get(), folder, true);
        Check(from.get()->DeleteTask(MakeBstr(name).get(), 0), TaskStep::DeleteTask);
    });
}

bool TaskScheduler::DropIfEmpty(const std::string& folder)
{
    const std::size_t last = folder.find_last_of('\\');
    if (last == std::string::npos || last + 1 >= folder.size()) return false;
    const std::string parentPath = last == 0 ? "\\" : folder.substr(0, last);
    ComPtr<ITaskFolder> parent;
    // The scheduler refuses while the folder holds anything, as it should.
    return SUCCEEDED(service_.get()->GetFolder(MakeBstr(parentPath).get(), parent.put())) &&
           SUCCEEDED(parent.get()->DeleteFolder(MakeBstr(folder.substr(last + 1)).get(), 0));
}

} // namespace sweepora
