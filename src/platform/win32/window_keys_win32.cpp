// Keys on Windows, taken from the window's own key messages, whose codes
// already are the virtual-key codes the program's callbacks expect; freeglut's
// key callbacks, which pass characters, stay unset.
#include "platform/window_system.h"

#include <windows.h>

#include <GL/freeglut.h>

namespace {

WNDPROC freeglut_window_proc = nullptr;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        window_key_pressed((int)wparam);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        window_key_released((int)wparam);
        break;
    case WM_KILLFOCUS:
        window_control_lost();
        break;
    }
    return CallWindowProc(freeglut_window_proc, window, message, wparam, lparam);
}

}  // namespace

// The keyboard state as of the message being handled: it also catches a
// Control pressed or released while another window had the focus.
bool window_system_control_held() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// The window of the current context: freeglut keeps its handle to itself.
void window_system_attach_keys() {
    HWND window = WindowFromDC(wglGetCurrentDC());
    if (!window) return;
    WNDPROC previous = (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)window_proc);
    if (previous != window_proc) freeglut_window_proc = previous;
}
