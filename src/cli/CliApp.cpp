#include "cli/CliApp.h"

#include "browsers/BrowserSites.h"
#include "cli/JsonReport.h"
#include "engine/CleaningRun.h"
#include "engine/IEHistoryCleaner.h"
#include "engine/LogReport.h"
#include "engine/Session.h"
#include "engine/SessionPlugins.h"
#include "engine/SystemInfo.h"
#include "engine/Win32Desktop.h"
#include "platform/ApplicationEventLog.h"
#include "platform/Paths.h"
#include "platform/RunEvents.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "safelists/CookieLoader.h"
#include "safelists/HistoryLoader.h"
#include "safelists/TypedUrlLoader.h"
#include "settings/PolicySettingsStore.h"
#include "settings/SettingsPersistence.h"

#include <windows.h>

#include <atomic>

namespace sweepora {

namespace {

constexpr const char* kPolicyTask = "Group Policy";

// The console has no window to repaint; pumping keeps COM and other hidden windows alive.
class ConsoleHost final : public RunHost {
public:
    void YieldToQueue() override
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    void SelectStatusTab() override {}
    void RunStarted() override {}
    void RunFinished(bool) override {}
};

class ConsolePrinter final : public LogObserver {
public:
    explicit ConsolePrinter(std::ostream& out) : out_(out) {}
    void LineAdded(const LogLine& line) override { out_ << line.task << '\t' << line.status << std::endl; }
    void Cleared() override {}

private:
    std::ostream& out_;
};

// Ctrl+C asks the run to stop. The system calls the handler on a thread of its own
// and gives it no context, so the one run it may stop sits in a process-wide slot
// that only this binding fills and empties.
class ConsoleAbortBinding {
public:
    explicit ConsoleAbortBinding(std::atomic<bool>& abort)
    {
        Slot() = &abort;
        ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    }
    ~ConsoleAbortBinding()
    {
        ::SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
        Slot() = nullptr;
    }
    ConsoleAbortBinding(const ConsoleAbortBinding&) = delete;
    ConsoleAbortBinding& operator=(const ConsoleAbortBinding&) = delete;

private:
    static std::atomic<std::atomic<bool>*>& Slot()
    {
        static std::atomic<std::atomic<bool>*> slot{nullptr};
        return slot;
    }
    static BOOL WINAPI OnConsoleControl(DWORD event)
    {
        if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
        if (std::atomic<bool>* flag = Slot().load()) *flag = true;
        return TRUE;
    }
};

} // namespace

bool ParseCliArguments(const std::vector<std::string>& args, CliOptions& options, std::string& error)
{
    const auto fail = [&error](const std::string& why) {
        error = why;
        return false;
    };
    bool haveMode = false;
    bool haveReport = false;
    bool haveJson = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--report" || a == "--only") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return fail(a + " needs a " + (a == "--only" ? "name" : "file name"));
            if (a == "--only") {
                options.only.push_back(args[++i]);
                continue;
            }
            if (haveReport) return fail("--report given twice");
            options.reportPath = args[++i];
            haveReport = true;
        } else if (a == "--json") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return fail("--json needs a file name");
            if (haveJson) return fail("--json given twice");
            options.jsonPath = args[++i];
            haveJson = true;
        } else if (a == "preview" || a == "clean" || a == "definitions") {
            if (haveMode) return fail("give one of preview, clean or definitions");
            options.live = a == "clean";
            options.listDefinitions = a == "definitions";
            haveMode = true;
        } else if (a == "--all") {
            options.allDefinitions = true;
        } else {
            return fail("unknown argument: " + a);
        }
    }
    if (!haveMode) return fail("give one of preview, clean or definitions");
    if (options.listDefinitions && (haveReport || haveJson || !options.only.empty()))
        return fail("definitions takes only --all");
    if (!options.listDefinitions && options.allDefinitions) return fail("--all goes with definitions");
    return true;
}

namespace {

int ListDefinitions(const DefinitionSources& sources, bool all, std::ostream& out)
{
    for (const LoadedDefinition& d : sources.all) {
        if (!all && !d.offered) continue;
        out << d.entry.group << '\t' << d.entry.name << '\t' << d.entry.source;
        if (d.unusable)
            out << "\tunusable";
        else if (!d.offered)
            out << "\tnot offered: " << d.notOfferedReason;
        out << '\n';
    }
    const DefinitionsReport& r = sources.report;
    out << r.entries << " entries: " << r.offered << " offered, " << r.notOffered << " not offered, " << r.unusable
        << " unusable; keys skipped: " << r.badKeys << " of the wrong shape, " << r.unknownVariableKeys
        << " with an unknown variable, " << r.ignoredKeys << " not read" << std::endl;
    return kExitCompleted;
}

// Ticks exactly the named plugins and definitions; false, naming it, for one that is not there.
bool TickOnly(PluginList& list, const std::vector<std::string>& names, std::string& missing)
{
    for (PluginLine& line : list.Lines()) line.ticked = false;
    for (const std::string& name : names) {
        bool found = false;
        for (PluginLine& line : list.Lines()) {
            if (!EqualsIgnoringCase(TrimBlanks(line.name), TrimBlanks(name))) continue;
            line.ticked = true;
            found = true;
        }
        if (!found) {
            missing = name;
            return false;
        }
    }
    return true;
}

// What the exception being handled says.
std::string CurrentFailure()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an unknown error";
    }
}

} // namespace

int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err)
{
    RegistrySettingsStore own(std::string("Software\\") + kAppTitle);
    PolicySettingsStore store(own);
    ConsoleHost host;
    Win32Desktop desktop;
    Session session(store, host, desktop, ExecutablePath());
    LoadSettings(store, session.settings);
    for (const std::string& name : PreparePluginFolder(session))
        err << "sweepora-cli: the plugin " << name << " was not copied to " << SessionPluginFolder(session) << std::endl;
    // The plugin files and the store hold the ticks; a console run never rewrites them.
    LoadPlugins(session.plugins, SessionPluginFolder(session));
    const DefinitionSources definitions = LoadSessionDefinitions(session);
    for (const auto& [file, why] : definitions.failures)
        err << "sweepora-cli: the definitions in " << file << " were not read: " << why << std::endl;
    if (options.listDefinitions) return ListDefinitions(definitions, options.allDefinitions, out);
    std::string missing;
    if (!options.only.empty() && !TickOnly(session.plugins, options.only, missing)) {
        err << "sweepora-cli: no plugin or offered definition is named " << missing << std::endl;
        return kExitUsage;
    }
    session.run.live = options.live;
    ApplicationEventLog events([&err](const std::string& line) { err << "sweepora-cli: " << line << std::endl; });
    session.events = &events;
    // Written before the safe lists load and the run starts, so a run killed from here on
    // leaves "running" behind.
    const std::time_t started = std::time(nullptr);
    const auto writeJson = [&](const JsonRunFacts& facts) {
        if (!options.jsonPath.empty() && !WriteJsonReport(options.jsonPath, facts, session.log.Lines()))
            err << "sweepora-cli: could not write the JSON report to " << options.jsonPath << std::endl;
    };
    writeJson(StartedRunFacts(session, started));

    ConsolePrinter printer(out);
    RunOutcome outcome;
    try {
        const BrowserRoots roots = CurrentBrowserRoots();
        LoadCookies(session.safeLists.cookies, session.ListFolders(), session.Yielder(), BrowserCookieSites(roots));
        LoadTypedUrls(session.safeLists.typedUrls, session.ListFolders(), session.Yielder(),
                      BrowserTypedAddresses(roots));
        const std::string historyFailure = LoadHistory(session.safeLists.history, session.ListFolders(),
                                                       session.Yielder(), {}, BrowserHistoryAddresses(roots));
        session.log.AddObserver(&printer);
        if (!historyFailure.empty()) session.log.AddLogEntry(kIEHistoryTask, historyFailure);
        for (const std::string& refusal : store.Refusals()) session.log.AddLogEntry(kPolicyTask, refusal);
        ConsoleAbortBinding ctrlC(session.run.abort);
        outcome = RunCleaning(session);
    } catch (...) {
        // main reports the error and exits with kExitFailed; the document and the event say so first.
        session.log.RemoveObserver(&printer);
        events.Report(EventKind::Error, SWEEPORA_EVENT_RUN_FAILED,
                      {options.live ? L"clean" : L"preview", WideFromUtf8(GetNetUserName()),
                       WideFromUtf8(CurrentFailure())});
        writeJson(FinishedRunFacts(session, started, false, kExitFailed));
        throw;
    }
    session.log.RemoveObserver(&printer);

    int status = outcome == RunOutcome::Aborted ? kExitAborted : kExitCompleted;
    if (outcome == RunOutcome::Refused) {
        err << "sweepora-cli: " << UnreadableListsMessage(session.safeLists) << std::endl;
        status = kExitRefused;
    }
    if (!options.reportPath.empty() &&
        !WriteLogReport(options.reportPath, session.log.Lines(), CurrentReportHeader(), session.Yielder())) {
        err << "sweepora-cli: could not write the report to " << options.reportPath << std::endl;
    }
    writeJson(FinishedRunFacts(session, started, outcome == RunOutcome::Aborted, status));
    return status;
}

} // namespace sweepora
