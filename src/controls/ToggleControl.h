#pragma once
// What the check box and the radio button share: artwork cells chosen by value and look,
// hover tracking with a 10 ms timer, clicks from the mouse and the space bar.
#include "controls/XpCheckBox.h"
#include "controls/XpRadioButton.h"

namespace sweepora {

enum class ToggleKind { CheckBox, RadioButton };

LRESULT ToggleProc(ToggleKind kind, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace sweepora
