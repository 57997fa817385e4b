#pragma once
#include <windows.h>

#include <string>

namespace sweepora {

// The system's name for the report: "Microsoft Windows 98", "Microsoft Windows XP Build 2600", ...
// Empty for versions the program does not name (5.2 and everything from 6.0 on).
std::string OSNameFromVersion(const OSVERSIONINFOA& version);
std::string GetOSName();

// The network user name, or "None".
std::string GetNetUserName();

} // namespace sweepora
