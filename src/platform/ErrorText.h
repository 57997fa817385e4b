#pragma once
#include <windows.h>

#include <string>

namespace sweepora {

// The system's words for an error code, UTF-8, without the trailing line break; the
// status the user reads in the activity log.
std::string ErrorText(DWORD code);

} // namespace sweepora
