#pragma once
#include <windows.h>

#include <string>

namespace sweepora {

// The system's name for the report: "Microsoft Windows 98", "Microsoft Windows XP Build 2600",
// "Microsoft Windows 10 Build 19045", "Microsoft Windows Server 2019 Build 17763", ...
// `server` tells the server releases of the NT versions from 5.2 on apart. Empty for a
// version the program does not know.
std::string OSNameFromVersion(const OSVERSIONINFOA& version, bool server = false);
// The name of the running system, from its real version (RtlGetVersion, which unlike
// GetVersionEx does not report 6.2 to a program without a compatibility manifest).
std::string GetOSName();

// The network user name (UTF-8), or "None".
std::string GetNetUserName();

} // namespace sweepora
