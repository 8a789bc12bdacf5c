// A system-wide keyboard hook that only passes every key on: what any such hook costs the program
// typed in, against which the keystroke latency benchmark weighs Wordlark's.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK EmptyKeyboardHook(int code, WPARAM vk, LPARAM flags) {
    return CallNextHookEx(nullptr, code, vk, flags);
}
