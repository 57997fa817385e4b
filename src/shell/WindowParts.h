#pragma once
// Pieces the program's small windows share.
#include "controls/GdiObjects.h"

#include <windows.h>

namespace sweepora {

// A child control in the GUI font.
HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int id, RECT at);
// The same, made with the W function, so that it keeps what it is sent with W messages in
// UTF-16: for lists that show the user's own names.
HWND CreateWideChild(HWND parent, const wchar_t* className, DWORD style, int id, RECT at);
// A popup window class with the button-face background, registered once.
void RegisterPopupClass(const char* name, WNDPROC proc);
// Runs messages until `window` is gone, with `owner` disabled meanwhile. A WM_QUIT ends
// it too and is posted again, so that the program's own loop ends as well.
void RunModal(HWND owner, const UniqueWindow& window);
// Centred on the screen, with a caption, a client area of the given size.
HWND CreateCentredPopup(const char* className, const char* caption, int width, int height, HWND owner, void* self);

} // namespace sweepora

namespace sweepora {
// Selects a tab the way a click does: the parent hears TCN_SELCHANGING, then TCN_SELCHANGE.
void SelectTabAsUser(HWND tab, int index);
} // namespace sweepora
