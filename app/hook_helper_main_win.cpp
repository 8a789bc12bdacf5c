// wordlark32.exe: the helper of the other bitness. A hook library is loaded only into programs of
// its own bitness, so the 64-bit main program starts this 32-bit helper, which installs the
// 32-bit library's hooks and pumps messages for them; the library finds the main program's windows,
// settings and the rest of the state in the session's shared hook state block. It ends with the
// main program, also when that one crashes, and only one helper runs per session.
//
// usage: wordlark32.exe MAIN_PROCESS_ID
#include "hooklib/larkhook.h"
#include "win32/kernel_handle_win.h"

#include <cstdlib>

namespace {

const char kHelperMutexName[] = "Local\\WordlarkHookHelper";

// Until the main program ends or asks the helper to go (WM_QUIT).
void serveUntilTheMainProgramEnds(HANDLE mainProcess) {
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &mainProcess, FALSE, INFINITE, QS_ALLINPUT);
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
    serveUntilTheMainProgramEnds(mainProcess.get());
    Stop();
    ReleaseMutex(single.get());
    return 0;
}
