#pragma once

namespace sweepora {

// What the engine needs from whoever drives it: the main window, the console or a test.
class RunHost {
public:
    virtual ~RunHost() = default;

    // Lets pending messages run (painting, the Abort button, the tray).
    virtual void YieldToQueue() = 0;
    // Show the log before a Start Cleaning run.
    virtual void SelectStatusTab() = 0;
    // The scheduler is stopped and the window takes its running look.
    virtual void RunStarted() = 0;
    // Back to the idle look; the scheduler restarts only when `rearmScheduler`.
    virtual void RunFinished(bool rearmScheduler) = 0;
};

} // namespace sweepora
