#pragma once
#include "erasure/EraseContext.h"

#include <windows.h>

#include <functional>
#include <string>

namespace sweepora {

// Deletes the values of an open key from the first on, passing over those `keep` names
// (ANSI), until the list ends, a value cannot be deleted or the run is aborted. A test run
// deletes nothing. Names of 255 characters or more end the walk.
void EraseValues(EraseContext& context, HKEY key, const std::function<bool(const std::string& name)>& keep = nullptr);

} // namespace sweepora
