#pragma once
#include <windows.h>

#include <string>

namespace sweepora {

// "Version <major>.<minor>.<build>" from the module's version resource; empty without one.
std::string ProgramVersionText(HMODULE module = nullptr);
// The resource's ProductName, empty without one.
std::string ProgramProductName(HMODULE module = nullptr);

} // namespace sweepora
