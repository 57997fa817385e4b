#pragma once
// Pieces the program's small windows share.
#include "controls/GdiObjects.h"

#include <windows.h>

namespace sweepora {

// A child control in the GUI font.
HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int id, RECT at);
// A popup window class with the button-face background, registered once.
void RegisterPopupClass(const char* name, WNDPROC proc);
// Runs messages until `window` is gone, with `owner` disabled meanwhile.
void RunModal(HWND owner, const UniqueWindow& window);
// Centred on the screen, with a caption, a client area of the given size.
HWND CreateCentredPopup(const char* className, const char* caption, int width, int height, HWND owner, void* self);

} // namespace sweepora

namespace sweepora {
// Selects a tab the way a click does: the parent hears TCN_SELCHANGING, then TCN_SELCHANGE.
void SelectTabAsUser(HWND tab, int index);
} // namespace sweepora
