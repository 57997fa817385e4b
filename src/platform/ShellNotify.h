#pragma once

namespace sweepora {

// Tells Explorer, the Start menu and every top-level window that settings changed, so they
// read them again: the shell's change notice and a WM_SETTINGCHANGE broadcast that gives up
// on a window that does not answer within a second.
void NotifyShell();

} // namespace sweepora
