// System-wide keyboard hooks against which the keystroke latency benchmark weighs Wordlark's: one
// that only passes every key on, what any such hook costs the program typed in; and one that also
// tells another process of each key-down with one posted message, the least a hook can do that
// lets a program elsewhere follow the typing.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK EmptyKeyboardHook(int code, WPARAM vk, LPARAM flags) {
    return CallNextHookEx(nullptr, code, vk, flags);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK PostingKeyboardHook(int code, WPARAM vk, LPARAM flags) {
    // The desktop window belongs to another process (the shell's, or the system's) and ignores
    // WM_NULL; its owner wakes for it as Wordlark's main program wakes for a letter.
    static const HWND elsewhere = GetDesktopWindow();
    if (code == HC_ACTION && !(flags & 0x80000000))
        PostMessageA(elsewhere, WM_NULL, 0, 0);
    return CallNextHookEx(nullptr, code, vk, flags);
}
