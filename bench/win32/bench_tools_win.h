#pragma once
// What the Win32 benchmark tools share: timing, percentiles, injected keys, and a wordlark.exe
// started and ended by the tool.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace benchtools {

inline double microsecondsSince(const LARGE_INTEGER &start) {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1e6 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

inline void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

inline void sendKey(WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

// The top-level windows of Wordlark's class in one process: the main window (no owner) and a
// visible owned one (the suggestion list, when shown).
struct WordlarkWindows {
    DWORD pid;
    HWND main, visible;
};

inline BOOL CALLBACK collectWordlarkWindow(HWND w, LPARAM p) {
    auto *found = reinterpret_cast<WordlarkWindows *>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (owner != found->pid || lstrcmpA(cls, "WORDLARK") != 0)
        return TRUE;
    if (!GetWindow(w, GW_OWNER))
        found->main = w;
    else if (IsWindowVisible(w))
        found->visible = w;
    return TRUE;
}

inline WordlarkWindows findWordlark(DWORD pid) {
    WordlarkWindows found = {pid, nullptr, nullptr};
    EnumWindows(collectWordlarkWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A wordlark.exe run by the tool: started and waited for until its main window exists, ended
// through its Exit command.
class RunningWordlark {
public:
    bool start(const char *exe) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (!CreateProcessA(exe, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_)) {
            fprintf(stderr, "cannot start %s\n", exe);
            return false;
        }
        for (int i = 0; i < 300 && !main_; ++i) {
            Sleep(100);
            main_ = findWordlark(process_.dwProcessId).main;
        }
        return true;
    }
    ~RunningWordlark() {
        if (!process_.hProcess)
            return;
        if (main_)
            PostMessageA(main_, WM_COMMAND, 105, 0);
        WaitForSingleObject(process_.hProcess, 30000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    HANDLE process() const { return process_.hProcess; }
    DWORD pid() const { return process_.dwProcessId; }

private:
    PROCESS_INFORMATION process_ = {};
    HWND main_ = nullptr;
};

} // namespace benchtools
