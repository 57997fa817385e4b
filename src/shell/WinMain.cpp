#include "engine/Win32Desktop.h"
#include "platform/ApplicationEventLog.h"
#include "platform/Paths.h"
#include "settings/PolicySettingsStore.h"
#include "shell/MainWindow.h"
#include "shell/RecordingDesktop.h"
#include "shell/SingleInstance.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    using namespace sweepora;
    SingleInstance instance;
    if (!instance.First()) return 0;

    RegistrySettingsStore own(std::string("Software\\") + kAppTitle);
    PolicySettingsStore store(own);
    Win32Desktop desktop;
    // End-to-end tests press the log-off hotkey: the session's end is only written down then.
    char record[MAX_PATH] = {};
    const bool recording = ::GetEnvironmentVariableA("SWEEPORA_RECORD_SESSION_END", record, sizeof record) > 0;
    RecordingDesktop recorder(desktop, record);
    // Before the window, so it outlives the window's session; a log that cannot be written says nothing here.
    ApplicationEventLog events;
    MainWindowOptions options;
    options.startupArg = StartupArgument(commandLine);
    MainWindow window(store, recording ? static_cast<Desktop&>(recorder) : desktop, ExecutablePath(), options);
    window.GetSession().events = &events;
    if (!window.Create()) return 1;
    desktop.SetOwner(window.Handle());
    return window.RunMessageLoop();
}
