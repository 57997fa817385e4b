#pragma once
#include <string>

namespace sweepora {

// The shell folder with the given CSIDL number (UTF-8), without a trailing backslash;
// empty when the shell does not know it.
std::string GetSpecialFolderPath(int csidl);

// The Windows folder ("C:\WINDOWS"), empty when it cannot be read.
std::string GetWindowsFolder();

} // namespace sweepora
