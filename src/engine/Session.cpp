#include "engine/Session.h"

#include "storage/Paths.h"

namespace sweepora {

Session::Session(SettingsStore& settingsStore, RunHost& runHost, std::string executablePath)
    : store(settingsStore), host(runHost), exePath(std::move(executablePath)), programFolder(FolderOf(exePath))
{
}

} // namespace sweepora
