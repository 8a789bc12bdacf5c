#pragma once

// The hook library's exports, as the main program imports them. The setters and getters are
// cdecl with undecorated names (larkhook.def); the hook procedures are CALLBACK as Windows wants.
#include <windows.h>

#ifdef LARKHOOK_BUILD
#define LARKHOOK_API extern "C" __declspec(dllexport)
#else
#define LARKHOOK_API extern "C" __declspec(dllimport)
#endif

LARKHOOK_API HWND SetProgramWindow(HWND window);
LARKHOOK_API HWND SetKeyboardWindow(HWND window);
LARKHOOK_API HWND SetCommandWindow(HWND window, HWND combo);
LARKHOOK_API int SetEnableState(int state);
LARKHOOK_API int GetEnableState();
LARKHOOK_API void SetHotKeys(char commandKey, char enableKey, char keyboardKey);
LARKHOOK_API HHOOK Start();
LARKHOOK_API BOOL Stop();
LARKHOOK_API HWND GetFocusWindow();
LARKHOOK_API int GetCaretX();
LARKHOOK_API int GetCaretY();
LARKHOOK_API int GetCharX();
LARKHOOK_API int GetCharY();
// Both write at most 260 bytes including the terminator into the buffer.
LARKHOOK_API int GetModuleName(char *buffer);
LARKHOOK_API int GetModulePath(char *buffer);
LARKHOOK_API LRESULT CALLBACK KeyboardHookProc(int code, WPARAM vk, LPARAM flags);
LARKHOOK_API LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM info);
