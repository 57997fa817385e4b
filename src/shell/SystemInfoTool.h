#pragma once
#include "engine/Desktop.h"

#include <windows.h>

#include <string>

namespace sweepora {

constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// A value of at most 1024 characters as text: REG_SZ as it is, REG_DWORD as "&h" and the
// bytes in hexadecimal from the last to the first, anything else raw. A final NUL is
// dropped first. False, with `value` empty, when the key or the value cannot be read.
bool GetKeyValue(HKEY root, const std::string& keyName, const std::string& valueName, std::string& value);

// Starts the system-information tool the registry names under `root`, or says it cannot.
void StartSysInfo(Desktop& desktop, HKEY root = HKEY_LOCAL_MACHINE);

} // namespace sweepora
