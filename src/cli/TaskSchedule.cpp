#include "cli/TaskSchedule.h"

#include "cli/CliApp.h"
#include "platform/ComPtr.h"
#include "settings/DataFolder.h"
#include "platform/ErrorText.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WideText.h"

#include <windows.h>
#define SECURITY_WIN32
#include <oleauto.h>
#include <security.h>
#include <taskschd.h>

#include <cstdio>

namespace sweepora {

namespace {

constexpr const char* kDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};

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

struct BstrTraits {
    using Type = BSTR;
    static Type Invalid() { return nullptr; }
    static void Close(Type b) { ::SysFreeString(b); }
};
using Bstr = UniqueHandle<BstrTraits>;

Bstr MakeBstr(const std::string& utf8)
{
    const std::wstring wide = WideFromUtf8(utf8);
    return Bstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

std::string TextOf(const Bstr& b) { return b ? Utf8FromWide(b.get(), ::SysStringLen(b.get())) : std::string(); }

// A VARIANT that owns what it holds.
class Variant {
public:
    Variant() { ::VariantInit(&v_); }
    explicit Variant(const std::string& text) : Variant()
    {
        v_.vt = VT_BSTR;
        v_.bstrVal = MakeBstr(text).release();
    }
    explicit Variant(LONG number) : Variant()
    {
        v_.vt = VT_I4;
        v_.lVal = number;
    }
    ~Variant() { ::VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    const VARIANT& get() const { return v_; }

private:
    VARIANT v_;
};

// What the Task Scheduler refused, in its own words; ends the command with status 3.
struct Refusal {
    std::string what;
    HRESULT hr;
};

void Check(HRESULT hr, const std::string& what)
{
    if (FAILED(hr)) throw Refusal{what, hr};
}

std::string HresultText(HRESULT hr)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(hr));
    const std::string words = ErrorText(static_cast<DWORD>(hr));
    // ErrorText falls back to the number when the system has no words for it.
    return words.rfind("Error ", 0) == 0 ? hex : std::string(hex) + " (" + words + ")";
}

bool IsMissing(HRESULT hr)
{
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// MTA on purpose: a single-threaded apartment would bring up a desktop window under Wine.
class ComForThisThread {
public:
    ComForThisThread() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComForThisThread()
    {
        if (initialised_) ::CoUninitialize();
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    bool initialised_;
};

// "DOMAIN\user", the form the Task Scheduler takes for a principal.
std::string CurrentUser()
{
    wchar_t name[512];
    ULONG size = sizeof name / sizeof name[0];
    if (::GetUserNameExW(NameSamCompatible, name, &size)) return Utf8FromWide(name, size);
    DWORD plainSize = sizeof name / sizeof name[0];
    return ::GetUserNameW(name, &plainSize) ? Utf8FromWide(name, plainSize - 1) : std::string();
}

bool ParseTime(const std::string& text, ScheduleOptions& options)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() != colon + 3) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != colon && (text[i] < '0' || text[i] > '9')) return false;
    options.hour = std::stoi(text.substr(0, colon));
    options.minute = std::stoi(text.substr(colon + 1));
    return options.hour < 24 && options.minute < 60;
}

bool ParseDay(const std::string& text, ScheduleOptions& options)
{
    for (int d = 0; d < 7; ++d) {
        if (EqualsIgnoringCase(text, kDayNames[d]) || EqualsIgnoringCase(text, kLongDayNames[d])) {
            options.daysOfWeek = 1 << d;
            return true;
        }
    }
    return false;
}

std::string TwoDigits(int n) { return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10); }

// The trigger's first start, local time with no zone, so the hour follows daylight saving.
std::string StartBoundary(const ScheduleOptions& options)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return std::to_string(now.wYear) + "-" + TwoDigits(now.wMonth) + "-" + TwoDigits(now.wDay) + "T" +
           TwoDigits(options.hour) + ":" + TwoDigits(options.minute) + ":00";
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string ActionArguments(bool preview, const std::string& perUser)
{
    const std::string folder = AddBackslash(perUser);
    return std::string(preview ? "preview" : "clean") + " --report " + Quoted(folder + "last-run.txt") + " --json " +
           Quoted(folder + "last-run.json");
}

ComPtr<ITaskService> ConnectToScheduler()
{
    ComPtr<ITaskService> service;
    Check(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                             reinterpret_cast<void**>(service.put())),
          "start");
    const Variant none;
    Check(service.get()->Connect(none.get(), none.get(), none.get(), none.get()), "connect");
    return service;
}

// Null when the folder is not there and that is fine.
ComPtr<ITaskFolder> OpenFolder(ITaskService& service, bool mustExist = false)
{
    ComPtr<ITaskFolder> folder;
    const HRESULT hr = service.GetFolder(MakeBstr("\\Sweepora").get(), folder.put());
    if (mustExist || !IsMissing(hr)) Check(hr, "open the task folder \\Sweepora");
    return folder;
}

ComPtr<ITaskFolder> OpenOrCreateFolder(ITaskService& service)
{
    ComPtr<ITaskFolder> folder = OpenFolder(service);
    if (folder) return folder;
    ComPtr<ITaskFolder> root;
    Check(service.GetFolder(MakeBstr("\\").get(), root.put()), "open its root folder");
    const Variant noSecurity;
    Check(root.get()->CreateFolder(MakeBstr("\\Sweepora").get(), noSecurity.get(), folder.put()),
          "create the task folder \\Sweepora");
    return folder;
}

void AddTrigger(ITaskDefinition& task, const ScheduleOptions& options, const std::string& user)
{
    ComPtr<ITriggerCollection> triggers;
    Check(task.get_Triggers(triggers.put()), "give the task's triggers");
    const TASK_TRIGGER_TYPE2 type = options.when == ScheduleWhen::AtLogon  ? TASK_TRIGGER_LOGON
                                    : options.when == ScheduleWhen::Daily ? TASK_TRIGGER_DAILY
                                                                          : TASK_TRIGGER_WEEKLY;
    const std::string words = "make a trigger " + ScheduleInWords(options);
    ComPtr<ITrigger> trigger;
    Check(triggers.get()->Create(type, trigger.put()), words);
    if (options.when == ScheduleWhen::AtLogon) {
        // Only this user's logon: any user's would need an administrator.
        ComPtr<LogonTrigger> logon;
        Check(trigger.get()->QueryInterface(kIidLogonTrigger, reinterpret_cast<void**>(logon.put())), words);
        Check(logon.get()->put_UserId(MakeBstr(user).get()), words);
        return;
    }
    Check(trigger.get()->put_StartBoundary(MakeBstr(StartBoundary(options)).get()), words);
    if (options.when == ScheduleWhen::Daily) {
        ComPtr<IDailyTrigger> daily;
        Check(trigger.get()->QueryInterface(IID_IDailyTrigger, reinterpret_cast<void**>(daily.put())), words);
        Check(daily.get()->put_DaysInterval(1), words);
    } else {
        ComPtr<WeeklyTrigger> weekly;
        Check(trigger.get()->QueryInterface(kIidWeeklyTrigger, reinterpret_cast<void**>(weekly.put())), words);
        Check(weekly.get()->put_DaysOfWeek(static_cast<short>(options.daysOfWeek)), words);
        Check(weekly.get()->put_WeeksInterval(1), words);
    }
}

int AddTask(ITaskService& service, const ScheduleOptions& options, std::ostream& out, std::ostream& err)
{
    const std::string perUser = PerUserFolder();
    const std::string user = CurrentUser();
    if (perUser.empty() || user.empty()) {
        err << "sweepora-cli: " << (perUser.empty() ? "no per-user folder for the reports" : "no user name")
            << ": nothing scheduled" << std::endl;
        return kExitSchedulerRefused;
    }
    const std::string program = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
    const std::string arguments = ActionArguments(options.preview, perUser);

    ComPtr<ITaskDefinition> task;
    Check(service.NewTask(0, task.put()), "make a new task");
    ComPtr<IRegistrationInfo> info;
    Check(task.get()->get_RegistrationInfo(info.put()), "describe the task");
    Check(info.get()->put_Author(MakeBstr(user).get()), "describe the task");
    Check(info.get()->put_Description(MakeBstr("Sweepora's console program, " + ScheduleInWords(options)).get()),
          "describe the task");
    ComPtr<IPrincipal> principal;
    Check(task.get()->get_Principal(principal.put()), "give the task's user");
    Check(principal.get()->put_UserId(MakeBstr(user).get()), "give the task's user");
    ComPtr<ITaskSettings> settings;
    Check(task.get()->get_Settings(settings.put()), "give the task's settings");
    // A run missed while the machine was off comes later; a laptop on battery still cleans.
    Check(settings.get()->put_StartWhenAvailable(VARIANT_TRUE), "give the task's settings");
    Check(settings.get()->put_DisallowStartIfOnBatteries(VARIANT_FALSE), "give the task's settings");
    Check(settings.get()->put_StopIfGoingOnBatteries(VARIANT_FALSE), "give the task's settings");
    Check(settings.get()->put_ExecutionTimeLimit(MakeBstr("PT2H").get()), "give the task's settings");
    AddTrigger(*task.get(), options, user);

    ComPtr<IActionCollection> actions;
    Check(task.get()->get_Actions(actions.put()), "give the task's action");
    ComPtr<IAction> action;
    Check(actions.get()->Create(TASK_ACTION_EXEC, action.put()), "give the task's action");
    ComPtr<IExecAction> exec;
    Check(action.get()->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(exec.put())), "give the task's action");
    Check(exec.get()->put_Path(MakeBstr(program).get()), "give the task's action");
    Check(exec.get()->put_Arguments(MakeBstr(arguments).get()), "give the task's action");
    Check(exec.get()->put_WorkingDirectory(MakeBstr(perUser).get()), "give the task's action");

    const std::string name = ScheduledTaskName(options);
    ComPtr<ITaskFolder> folder = OpenOrCreateFolder(service);
    ComPtr<IRegisteredTask> registered;
    const Variant principalName(user), noPassword, noSecurity;
    Check(folder.get()->RegisterTaskDefinition(MakeBstr(name).get(), task.get(), TASK_CREATE_OR_UPDATE,
                                                principalName.get(), noPassword.get(), TASK_LOGON_INTERACTIVE_TOKEN,
                                                noSecurity.get(), registered.put()),
          "register \\Sweepora\\" + name);
    out << "Scheduled \\Sweepora\\" << name << " for " << user << '\n'
        << "  runs " << Quoted(program) << ' ' << arguments << std::endl;
    return kExitCompleted;
}

// The trigger back in the form add takes; Other for kinds this program does not make.
ScheduleOptions ReadTrigger(ITrigger& trigger)
{
    ScheduleOptions read;
    read.when = ScheduleWhen::Other;
    TASK_TRIGGER_TYPE2 type = TASK_TRIGGER_EVENT;
    Check(trigger.get_Type(&type), "give a trigger's kind");
    if (type == TASK_TRIGGER_LOGON) {
        read.when = ScheduleWhen::AtLogon;
        return read;
    }
    if (type != TASK_TRIGGER_DAILY && type != TASK_TRIGGER_WEEKLY) return read;
    Bstr start;
    Check(trigger.get_StartBoundary(start.put()), "give a trigger's start");
    const std::string boundary = TextOf(start); // 2024-05-01T18:30:00, perhaps with a zone after it
    const std::size_t t = boundary.find('T');
    ScheduleOptions time;
    if (t == std::string::npos || !ParseTime(boundary.substr(t + 1, 5), time)) return read;
    read.hour = time.hour;
    read.minute = time.minute;
    if (type == TASK_TRIGGER_WEEKLY) {
        ComPtr<WeeklyTrigger> weekly;
        short days = 0;
        Check(trigger.QueryInterface(kIidWeeklyTrigger, reinterpret_cast<void**>(weekly.put())), "give a trigger's days");
        Check(weekly.get()->get_DaysOfWeek(&days), "give a trigger's days");
        read.daysOfWeek = days;
    }
    read.when = type == TASK_TRIGGER_DAILY ? ScheduleWhen::Daily : ScheduleWhen::Weekly;
    return read;
}

std::string TriggersInWords(ITaskDefinition& task)
{
    ComPtr<ITriggerCollection> triggers;
    Check(task.get_Triggers(triggers.put()), "give the task's triggers");
    LONG count = 0;
    Check(triggers.get()->get_Count(&count), "count the task's triggers");
    std::string words;
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<ITrigger> trigger;
        Check(triggers.get()->get_Item(i, trigger.put()), "give a trigger");
        words += (words.empty() ? "" : ", ") + ScheduleInWords(ReadTrigger(*trigger.get()));
    }
    return words.empty() ? "no trigger" : words;
}

// "clean" or "preview" for a run of ours, otherwise what the task starts.
std::string ActionInWords(ITaskDefinition& task)
{
    ComPtr<IActionCollection> actions;
    Check(task.get_Actions(actions.put()), "give the task's actions");
    LONG count = 0;
    Check(actions.get()->get_Count(&count), "count the task's actions");
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    if (count < 1 || FAILED(actions.get()->get_Item(1, action.put())) ||
        FAILED(action.get()->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(exec.put()))))
        return "no program";
    Bstr path, arguments;
    Check(exec.get()->get_Path(path.put()), "give the task's program");
    Check(exec.get()->get_Arguments(arguments.put()), "give the task's arguments");
    const std::string args = TextOf(arguments);
    const std::string mode = args.substr(0, args.find(' '));
    if (EqualsIgnoringCase(BaseNameWithoutExtension(TextOf(path)), "sweepora-cli") && (mode == "clean" || mode == "preview"))
        return mode;
    return "runs " + TextOf(path) + (args.empty() ? "" : " " + args);
}

std::string NextRunInWords(IRegisteredTask& task)
{
    DATE next = 0;
    SYSTEMTIME when;
    if (FAILED(task.get_NextRunTime(&next)) || next == 0 || !::VariantTimeToSystemTime(next, &when)) return "";
    return "\tnext run " + std::to_string(when.wYear) + "-" + TwoDigits(when.wMonth) + "-" + TwoDigits(when.wDay) +
           " " + TwoDigits(when.wHour) + ":" + TwoDigits(when.wMinute);
}

// Every task of the folder, in the service's order.
std::vector<ComPtr<IRegisteredTask>> TasksOf(ITaskFolder& folder)
{
    ComPtr<IRegisteredTaskCollection> collection;
    Check(folder.GetTasks(TASK_ENUM_HIDDEN, collection.put()), "list the tasks of \\Sweepora");
    LONG count = 0;
    Check(collection.get()->get_Count(&count), "count the tasks of \\Sweepora");
    std::vector<ComPtr<IRegisteredTask>> tasks;
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<IRegisteredTask> task;
        Check(collection.get()->get_Item(Variant(i).get(), task.put()), "give a task of \\Sweepora");
        tasks.push_back(std::move(task));
    }
    return tasks;
}

int ListTasks(ITaskService& service, std::ostream& out)
{
    ComPtr<ITaskFolder> folder = OpenFolder(service);
    if (!folder) return kExitCompleted;
    for (const ComPtr<IRegisteredTask>& task : TasksOf(*folder.get())) {
        Bstr name;
        Check(task.get()->get_Name(name.put()), "give a task's name");
        ComPtr<ITaskDefinition> definition;
        Check(task.get()->get_Definition(definition.put()), "give the task " + TextOf(name));
        out << TextOf(name) << '\t' << TriggersInWords(*definition.get()) << '\t' << ActionInWords(*definition.get())
            << NextRunInWords(*task.get()) << '\n';
    }
    out.flush();
    return kExitCompleted;
}

int RemoveTasks(ITaskService& service, const ScheduleOptions& options, std::ostream& out)
{
    ComPtr<ITaskFolder> folder = OpenFolder(service, !options.name.empty());
    std::vector<std::string> names;
    if (!options.name.empty()) {
        names.push_back(options.name);
    } else if (folder) {
        for (const ComPtr<IRegisteredTask>& task : TasksOf(*folder.get())) {
            Bstr name;
            Check(task.get()->get_Name(name.put()), "give a task's name");
            names.push_back(TextOf(name));
        }
    }
    for (const std::string& name : names) {
        Check(folder.get()->DeleteTask(MakeBstr(name).get(), 0), "remove \\Sweepora\\" + name);
        out << "Removed \\Sweepora\\" << name << '\n';
    }
    if (folder) {
        // The folder goes with its last task; while others remain the service refuses, as it should.
        ComPtr<ITaskFolder> root;
        if (SUCCEEDED(service.GetFolder(MakeBstr("\\").get(), root.put())))
            root.get()->DeleteFolder(MakeBstr("Sweepora").get(), 0);
    }
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
            options.when = ScheduleWhen::AtLogon;
            continue;
        }
        options.when = a == "--daily" ? ScheduleWhen::Daily : ScheduleWhen::Weekly;
        if (options.when == ScheduleWhen::Weekly && (i + 1 >= args.size() || !ParseDay(args[++i], options)))
            return fail("--weekly needs a day, Mon to Sun, and a time, HH:MM");
        if (i + 1 >= args.size() || !ParseTime(args[++i], options)) return fail(a + " needs a time, HH:MM");
    }
    return haveWhen || fail("schedule add needs --at-logon, --daily HH:MM or --weekly DAY HH:MM");
}

std::string ScheduleInWords(const ScheduleOptions& options)
{
    const std::string time = TwoDigits(options.hour) + ":" + TwoDigits(options.minute);
    switch (options.when) {
    case ScheduleWhen::AtLogon: return "at logon";
    case ScheduleWhen::Daily: return "daily " + time;
    case ScheduleWhen::Weekly: {
        std::string days;
        for (int d = 0; d < 7; ++d)
            if (options.daysOfWeek & (1 << d)) days += (days.empty() ? "" : ",") + std::string(kDayNames[d]);
        return "weekly " + days + " " + time;
    }
    case ScheduleWhen::Other: break;
    }
    return "another kind of trigger";
}

std::string ScheduledTaskName(const ScheduleOptions& options)
{
    return std::string("Sweepora ") + (options.preview ? "preview " : "clean ") + ScheduleInWords(options);
}

int RunSchedule(const ScheduleOptions& options, std::ostream& out, std::ostream& err)
{
    ComForThisThread com;
    try {
        ComPtr<ITaskService> service = ConnectToScheduler();
        switch (options.command) {
        case ScheduleCommand::Add: return AddTask(*service.get(), options, out, err);
        case ScheduleCommand::List: return ListTasks(*service.get(), out);
        case ScheduleCommand::Remove: return RemoveTasks(*service.get(), options, out);
        }
    } catch (const Refusal& r) {
        out.flush();
        err << "sweepora-cli: the Task Scheduler could not " << r.what << ": " << HresultText(r.hr) << std::endl;
    }
    return kExitSchedulerRefused;
}

} // namespace sweepora
