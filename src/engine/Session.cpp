#include "engine/Session.h"

#include "engine/SessionPlugins.h"
#include "platform/Paths.h"
#include "settings/DataFolder.h"

namespace sweepora {

Session::Session(SettingsStore& settingsStore, RunHost& runHost, Desktop& desktopSeam, std::string executablePath)
    : store(settingsStore), host(runHost), desktop(desktopSeam), exePath(std::move(executablePath)), programFolder(FolderOf(exePath)),
      dataFolder(DataFolderFor(programFolder)),
      pluginVariables(CurrentPluginVariables())
{
}

} // namespace sweepora
