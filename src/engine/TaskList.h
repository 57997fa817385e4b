#pragma once
#include <string>

namespace sweepora {

// Removes the process from the Windows 9x task list (Ctrl+Alt+Del). The NT family
// (names with "2000", "NT" or "XP") has no such list entry to hide, and systems without
// RegisterServiceProcess are left alone. True when the call was made.
bool HideFromTaskList(const std::string& osName);
// Puts the process back into that list, on the same terms.
bool ShowInTaskList(const std::string& osName);

} // namespace sweepora
