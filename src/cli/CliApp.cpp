#include "cli/CliApp.h"

#include "engine/CleaningRun.h"
#include "engine/IEHistoryCleaner.h"
#include "engine/LogReport.h"
#include "engine/Session.h"
#include "engine/SessionPlugins.h"
#include "safelists/CookieLoader.h"
#include "safelists/HistoryLoader.h"
#include "safelists/TypedUrlLoader.h"
#include "shell/Win32Desktop.h"
#include "storage/Paths.h"
#include "storage/SettingsPersistence.h"

#include <windows.h>

#include <atomic>

namespace sweepora {

namespace {

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
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--report") {
            if (haveReport) return fail("--report given twice");
            if (i + 1 >= args.size() || args[i + 1].empty()) return fail("--report needs a file name");
            options.reportPath = args[++i];
            haveReport = true;
        } else if (a == "preview" || a == "clean") {
            if (haveMode) return fail("give one of preview or clean");
            options.live = a == "clean";
            haveMode = true;
        } else {
            return fail("unknown argument: " + a);
        }
    }
    if (!haveMode) return fail("give one of preview or clean");
    return true;
}

int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err)
{
    RegistrySettingsStore store(std::string("Software\\") + kAppTitle);
    ConsoleHost host;
    Win32Desktop desktop;
    Session session(store, host, desktop, ExecutablePath());
    LoadSettings(store, session.settings);
    // The plugin files hold the ticks; a console run never rewrites them.
    LoadPlugins(session.plugins, SessionPluginFolder(session));
    LoadCookies(session.safeLists.cookies, session.programFolder, session.Yielder());
    LoadTypedUrls(session.safeLists.typedUrls, session.programFolder, session.Yielder());
    const std::string historyFailure =
        LoadHistory(session.safeLists.history, session.programFolder, session.Yielder());
    session.run.live = options.live;

    ConsolePrinter printer(out);
    session.log.AddObserver(&printer);
    if (!historyFailure.empty()) session.log.AddLogEntry(kIEHistoryTask, historyFailure);
    RunOutcome outcome;
    {
        ConsoleAbortBinding ctrlC(session.run.abort);
        outcome = RunCleaning(session);
    }
    session.log.RemoveObserver(&printer);

    int status = outcome == RunOutcome::Aborted ? kExitAborted : kExitCompleted;
    if (!options.reportPath.empty() &&
        !WriteLogReport(options.reportPath, session.log.Lines(), CurrentReportHeader(), session.Yielder())) {
        err << "sweepora-cli: could not write the report to " << options.reportPath << std::endl;
    }
    return status;
}

} // namespace sweepora
