#include "app/hook_helper_process_win.h"

#include <string>

#include "win32/kernel_handle_win.h"
#include "win32/wide_path_win.h"

namespace {

const char kHelperName[] = "wordlark32.exe";
// A helper that cannot run (a system without 32-bit support) or ends at once is started again
// less and less often; one that ran a while is started again at once.
const DWORD kFirstRestartDelayMs = 5000;
const DWORD kLongestRestartDelayMs = 300000;
const DWORD kHealthyRunMs = 60000;

struct HookHelper {
    std::string path;
    KernelHandle process;
    DWORD threadId = 0; // the helper's only thread, which a WM_QUIT ends
    DWORD lastStart = 0;
    DWORD restartDelay = kFirstRestartDelayMs;
    bool started = false;
} helper;

void launch() {
    helper.process.reset();
    helper.threadId = 0;
    helper.lastStart = GetTickCount();
    helper.started = true;
    std::wstring commandLine = L"\"" + widePath(helper.path) + L"\" " + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(widePath(helper.path).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return;
    CloseHandle(started.hThread);
    helper.process.reset(started.hProcess);
    helper.threadId = started.dwThreadId;
}

} // namespace

void startHookHelper(const std::string &programFolder) {
    helper.path = programFolder + kHelperName;
    if (GetFileAttributesW(widePath(helper.path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        helper.path.clear();
        return;
    }
    launch();
}

void keepHookHelperRunning() {
    if (helper.path.empty() || !helper.started)
        return;
    const bool running = helper.process && WaitForSingleObject(helper.process.get(), 0) == WAIT_TIMEOUT;
    if (running)
        return;
    const DWORD sinceStart = GetTickCount() - helper.lastStart;
    if (sinceStart < helper.restartDelay)
        return;
    if (sinceStart >= helper.restartDelay + kHealthyRunMs)
        helper.restartDelay = kFirstRestartDelayMs;
    else if (helper.restartDelay < kLongestRestartDelayMs)
        helper.restartDelay *= 2;
    launch();
}

void stopHookHelper() {
    helper.started = false;
    if (helper.threadId)
        PostThreadMessageA(helper.threadId, WM_QUIT, 0, 0);
    helper.process.reset();
    helper.threadId = 0;
}
