#include "app/hook_thread_win.h"

#include <windows.h>

#include "hooklib/larkhook.h"
#include "win32/kernel_handle_win.h"

namespace {

const DWORD kStartWaitMs = 10000;
const DWORD kStopWaitMs = 5000;

struct HookThread {
    KernelHandle thread;
    DWORD id = 0;
    KernelHandle started;
} hookThread;

DWORD WINAPI serveHooks(LPVOID) {
    MSG msg;
    // The thread's message queue exists before anyone posts WM_QUIT to it.
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    Start();
    SetEvent(hookThread.started.get());
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    Stop();
    return 0;
}

} // namespace

bool startHookThread() {
    hookThread.started.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!hookThread.started)
        return false;
    hookThread.thread.reset(CreateThread(nullptr, 0, serveHooks, nullptr, 0, &hookThread.id));
    if (!hookThread.thread)
        return false;
    // Above the user-interface thread: a key of another program waits for this thread.
    SetThreadPriority(hookThread.thread.get(), THREAD_PRIORITY_ABOVE_NORMAL);
    return WaitForSingleObject(hookThread.started.get(), kStartWaitMs) == WAIT_OBJECT_0;
}

void stopHookThread() {
    if (!hookThread.thread)
        return;
    PostThreadMessageA(hookThread.id, WM_QUIT, 0, 0);
    WaitForSingleObject(hookThread.thread.get(), kStopWaitMs);
    hookThread.thread.reset();
    hookThread.id = 0;
    // Windows unloads the hook library from a program when that program next takes a message:
    // every program gets one now, so that an installer finds the library free soon after.
    PostMessageA(HWND_BROADCAST, WM_NULL, 0, 0);
}
