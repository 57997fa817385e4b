#include "controls/XpCheckBox.h"

#include "controls/ToggleControl.h"

namespace sweepora {

namespace {

LRESULT CALLBACK CheckBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ToggleProc(ToggleKind::CheckBox, window, message, wParam, lParam);
}

} // namespace

bool RegisterXpCheckBox(HINSTANCE instance) { return RegisterControlClass(instance, kXpCheckBoxClass, CheckBoxProc); }

} // namespace sweepora
