#pragma once
// The program's check box, window class "Sweepora.xpcheckbox". The caption is the window
// text, the enabled state the window's; value and colours come from XpControlParams at
// creation and from BM_SETCHECK (0, 1, 2 for grayed) and XPM_SETBACKCOLOR /
// XPM_SETFORECOLOR later. A click reaches the parent as BN_CLICKED, the cursor leaving
// as XPN_MOUSEOUT.
#include "controls/ControlMessages.h"

namespace sweepora {

constexpr const char* kXpCheckBoxClass = "Sweepora.xpcheckbox";

// Registers the class once per process; true when it is there.
bool RegisterXpCheckBox(HINSTANCE instance);

} // namespace sweepora
