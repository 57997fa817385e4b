#pragma once
// The program's radio button, window class "Sweepora.xpradiobutton": as the check box,
// with a value that is only on or off. One group is one control array: it starts at a
// button with WS_GROUP and runs to the next button that has it, so that two arrays on
// one window never clear each other.
#include "controls/ControlMessages.h"

namespace sweepora {

constexpr const char* kXpRadioButtonClass = "Sweepora.xpradiobutton";

bool RegisterXpRadioButton(HINSTANCE instance);

} // namespace sweepora
