// wordlark32.exe: the helper of the other bitness. A hook library is loaded only into programs of
// its own bitness, so the 64-bit main program starts this 32-bit helper, which hooks the threads
// of the 32-bit programs with the 32-bit library as they take the focus and pumps messages for
// them; the library finds the main program's windows,
// settings and the rest of the state in the session's shared hook state block. It ends with the
// main program, also when that one crashes, and only one helper runs per session.
//
// usage: wordlark32.exe MAIN_PROCESS_ID
#include "app/process_names.h"
#include "hooklib/larkhook.h"
#include "win32/kernel_handle_win.h"

#include <cstdlib>

namespace {

// Once a second the helper puts its hooks back on record, should the main program have had to
// set the shared state up anew, and looks at the foreground program.
const DWORD kRepairIntervalMs = 1000;

// Until the main program ends or asks the helper to go (WM_QUIT).
void serveUntilTheMainProgramEnds(HANDLE mainProcess) {
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &mainProcess, FALSE, kRepairIntervalMs, QS_ALLINPUT);
        if (woken == WAIT_TIMEOUT) {
            RepairHookState();
            ServeThreadOf(GetForegroundWindow()); // should an event have been missed
            continue;
        }
        if (woken != WAIT_OBJECT_0 + 1)
            return; // the main program ended, or the wait failed
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Every window that takes the focus or comes to the foreground: its thread gets the library's
// hooks when it belongs to a program of the helper's bitness.
void CALLBACK onFocusOrForeground(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    ServeThreadOf(window);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const unsigned long mainId = std::strtoul(commandLine ? commandLine : "", nullptr, 10);
    KernelHandle mainProcess(mainId ? OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(mainId)) : nullptr);
    if (!mainProcess)
        return 1;
    KernelHandle single(CreateMutexA(nullptr, TRUE, kHelperMutexName));
    if (!single || GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;
    Start();
    // Out of context: the events come to this thread's message loop, whatever program they are of.
    const DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    HWINEVENTHOOK foreground = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                               onFocusOrForeground, 0, 0, flags);
    HWINEVENTHOOK focus =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, onFocusOrForeground, 0, 0, flags);
    ServeThreadOf(GetForegroundWindow());
    serveUntilTheMainProgramEnds(mainProcess.get());
    if (foreground)
        UnhookWinEvent(foreground);
    if (focus)
        UnhookWinEvent(focus);
    Stop();
    ReleaseMutex(single.get());
    return 0;
}
