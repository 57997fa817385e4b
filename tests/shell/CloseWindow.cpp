// close-window CLASS: asks the top-level window of that class to close (WM_CLOSE), as a
// task manager's "End task" does, whatever is modal over it. Exit 0 when it was found.
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    HWND window = ::FindWindowA(argv[1], nullptr);
    return window != nullptr && ::PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
