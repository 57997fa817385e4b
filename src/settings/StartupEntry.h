#pragma once
#include "platform/Version.h"
#include "settings/AppSettings.h"

#include <string>

namespace sweepora {

constexpr int kVersionMajor = SWEEPORA_VERSION_MAJOR;
constexpr int kVersionMinor = SWEEPORA_VERSION_MINOR;
constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// "Sweepora - 2.0"
std::string StartupEntryName();
// "\"C:\Program Files\Sweepora\sweepora.exe\" m": quoted, so a path with blanks
// cannot start another program.
std::string StartupEntryCommand(const std::string& exePath);

// Adds the per-user start-up entry when LoadStartup is "1", removes it otherwise.
void UpdateStartupEntry(const AppSettings& settings, const std::string& exePath);

} // namespace sweepora
