#include "controls/XpRadioButton.h"

#include "controls/ToggleControl.h"

namespace sweepora {

namespace {

LRESULT CALLBACK RadioButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ToggleProc(ToggleKind::RadioButton, window, message, wParam, lParam);
}

} // namespace

bool RegisterXpRadioButton(HINSTANCE instance)
{
    return RegisterControlClass(instance, kXpRadioButtonClass, RadioButtonProc);
}

} // namespace sweepora
