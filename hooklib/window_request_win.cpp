#include "hooklib/window_request_win.h"

#include "hooklib/larkhook.h"

const WindowRequestCalls kSystemWindowRequestCalls = {AllowSetForegroundWindow, PostMessageA};

bool requestWindowToggle(HWND program, HWND window, int showCommand, bool takesKeyboard,
                         const WindowRequestCalls &calls) {
    if (takesKeyboard) {
        DWORD processId = 0;
        if (GetWindowThreadProcessId(program, &processId) && processId)
            calls.allowSetForegroundWindow(processId);
    }
    return calls.postMessage(program, kToggleWindowMessage, reinterpret_cast<WPARAM>(window), showCommand) != FALSE;
}
