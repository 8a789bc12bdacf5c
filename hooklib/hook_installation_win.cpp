#define LARKHOOK_BUILD
#include "hooklib/larkhook.h"

#include "hooklib/hook_installation_win.h"

#include "hooklib/hook_state_win.h"
#include "hooklib/hooked_threads.h"
#include "hooklib/published_state_win.h"
#include "hooklib/typed_in_program_win.h"
#include "win32/kernel_handle_win.h"

using namespace hookstate;

namespace {

HINSTANCE hookModule = nullptr;
HHOOK keyboardHook = nullptr;
HHOOK mouseHook = nullptr;
thread_local bool installingThread = false;

// The helper's hooks, one keyboard and one mouse hook per thread of a program of its bitness, in
// the helper's process. A global hook's chain is shared by every program: where the first hook of
// that chain cannot be loaded (a library of the other bitness) Wine ends the chain, and Windows
// calls it out of context. A thread's own hooks come before the global ones in every system, so
// the helper's library is always the first hook in a program of its bitness, and the main
// library's global hooks serve the programs of the main bitness.
HookedThreads hookedThreads;

uint64_t fileTimeValue(const FILETIME &time) {
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// The thread's id and creation time; false when it ended or cannot be asked.
bool identityOf(DWORD threadId, ThreadIdentity &identity) {
    KernelHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, threadId));
    FILETIME created, exited, kernel, user;
    if (!thread || WaitForSingleObject(thread.get(), 0) != WAIT_TIMEOUT ||
        !GetThreadTimes(thread.get(), &created, &exited, &kernel, &user))
        return false;
    identity.id = threadId;
    identity.created = fileTimeValue(created);
    return true;
}

bool isAlive(const ThreadIdentity &thread) {
    ThreadIdentity now;
    return identityOf(thread.id, now) && now.created == thread.created;
}

void unhook(const HookedThread &hooked) {
    if (hooked.keyboardHook)
        UnhookWindowsHookEx(static_cast<HHOOK>(hooked.keyboardHook));
    if (hooked.mouseHook)
        UnhookWindowsHookEx(static_cast<HHOOK>(hooked.mouseHook));
}

} // namespace

namespace hookstate {

void setHookModule(HINSTANCE module) { hookModule = module; }

bool isInstallingThread() { return installingThread; }

} // namespace hookstate

HHOOK Start() {
    installingThread = true;
    // What a main program that ended without cleaning up left in the block does not carry over.
    if (kRole == kMainLibrary)
        if (HookState *s = publishedHookState())
            resetVolatileHookState(*s);
    publishHooksInstalled(true);
    // The helper hooks the threads of its programs one by one (ServeThreadOf).
    if (kRole != kMainLibrary)
        return nullptr;
    keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, hookModule, 0);
    mouseHook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, hookModule, 0);
    return mouseHook;
}

BOOL ServeThreadOf(HWND window) {
    DWORD processId = 0;
    const DWORD threadId = window ? GetWindowThreadProcessId(window, &processId) : 0;
    ThreadIdentity thread;
    if (!threadId || processId == GetCurrentProcessId() || !identityOf(threadId, thread))
        return FALSE;
    if (hookedThreads.serves(thread))
        return TRUE;
    if (factsOf(processId).bitness != kOwnBitness)
        return FALSE;
    installingThread = true;
    // Checked only when a thread is added: the records of threads that ended go, whose hooks
    // ended with them.
    for (const HookedThread &ended : hookedThreads.dropEnded(thread, isAlive))
        unhook(ended);
    HookedThread hooked;
    hooked.thread = thread;
    hooked.keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, hookModule, threadId);
    hooked.mouseHook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, hookModule, threadId);
    if (!hooked.keyboardHook && !hooked.mouseHook)
        return FALSE;
    if (!hookedThreads.add(hooked)) {
        unhook(hooked);
        return FALSE;
    }
    return TRUE;
}

BOOL Stop() {
    for (const HookedThread &hooked : hookedThreads.takeAll())
        unhook(hooked);
    if (keyboardHook && UnhookWindowsHookEx(keyboardHook))
        keyboardHook = nullptr;
    BOOL removed = FALSE;
    if (mouseHook && UnhookWindowsHookEx(mouseHook)) {
        mouseHook = nullptr;
        removed = TRUE;
    }
    publishHooksInstalled(false);
    return removed;
}
