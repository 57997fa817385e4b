#include "shell/MainWindow.h"
#include "shell/SingleInstance.h"
#include "shell/Win32Desktop.h"
#include "storage/Paths.h"
#include "storage/SettingsStore.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    using namespace sweepora;
    SingleInstance instance;
    if (!instance.First()) return 0;

    RegistrySettingsStore store(std::string("Software\\") + kAppTitle);
    Win32Desktop desktop;
    MainWindowOptions options;
    options.startupArg = StartupArgument(commandLine);
    MainWindow window(store, desktop, ExecutablePath(), options);
    if (!window.Create()) return 1;
    desktop.SetOwner(window.Handle());
    return window.RunMessageLoop();
}
