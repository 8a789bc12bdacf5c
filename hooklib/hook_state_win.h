#pragma once

#include <windows.h>

#include "hooklib/hook_state.h"

// The session's hook state block (hook_state.h) as this process sees it. Each hook library maps
// it when it is loaded into a process; the first process of the session creates it and sets it up.
namespace hookstate {

// Maps the block into this process; false when it can be neither created nor opened.
bool mapHookState();
void unmapHookState();

// The block when it is mapped and sound; null otherwise, and then nothing may be read from it.
HookState *soundHookState();

// For the main program's setters and Start: the block, set up anew when it is mapped but not sound
// (a program of the session wrote over it, or a process died while setting it up).
HookState *ownedHookState();

// Window handles are 32-bit values in the block; sign-extended back, as Windows does.
inline HWND toWindow(uint32_t value) { return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value))); }
inline uint32_t fromWindow(HWND window) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)); }

} // namespace hookstate
