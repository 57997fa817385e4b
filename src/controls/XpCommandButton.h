#pragma once
// The program's command button, window class "Sweepora.xpcmdbutton": the face is a cell of
// its strip stretched in nine parts over the whole button, the caption (window text, with
// its "&" access key) centred on it. XpControlParams::value is the initial State.
// A click, or BM_CLICK (which the dialog manager sends for the access key), reaches the
// parent as BN_CLICKED; the cursor leaving as XPN_MOUSEOUT.
#include "controls/ControlMessages.h"

namespace sweepora {

constexpr const char* kXpCommandButtonClass = "Sweepora.xpcmdbutton";

bool RegisterXpCommandButton(HINSTANCE instance);

} // namespace sweepora
