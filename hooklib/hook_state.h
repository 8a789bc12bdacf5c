#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The state that every hook library of the desktop session shares with the main program: the
// 64-bit library, the 32-bit one of the helper process, and the main program through its
// library's getters and setters. It lives in a named shared memory block that 32-bit and 64-bit
// processes map alike, so every field has a fixed width and the layout is the same in both
// builds: window handles are stored as 32-bit values, which Windows keeps valid across bitnesses.
//
// Any program of the session can open the block and write into it, so whatever is read from it is
// checked before use: the header (isSoundHookState) and the one string (hookStateModuleFileName).
namespace hookstate {

const uint32_t kLayoutVersion = 2;
const int kPathSize = 260;
// Enough for every key typed while the main program stands still for a while.
const unsigned kAbandonedSlots = 64;
const int32_t kReady = 2;

// Which library a field speaks of: the main program's own, or the helper's of the other bitness.
enum LibraryRole : int32_t { kMainLibrary = 0, kHelperLibrary = 1, kLibraryRoles = 2 };

struct HookState {
    // Header: set up by initHookState, ready written last.
    uint32_t size;
    uint32_t layoutVersion;
    int32_t ready;

    int32_t enableState; // completion on (non-zero) or off
    uint32_t programWindow; // the suggestion window, which takes the forwarded keys
    uint32_t focusWindow;   // the focus window of the last key-down
    uint32_t commandWindow;
    uint32_t commandCombo;
    uint32_t keyboardWindow;
    int32_t clickX, clickY; // the last left click, in screen coordinates
    int32_t caretClientX, caretClientY;
    int32_t caretScreenX, caretScreenY;
    int32_t charWidth, charHeight;
    uint8_t commandKey, enableKey, keyboardKey, reserved;
    char moduleFileName[kPathSize]; // executable of the program of the last key-down

    // Whether the suggestion list is shown or about to be: what the hooks decide on.
    int32_t suggestionsShown;
    // Forwarded keys are numbered (1 to 65535, round); the ones given up on are remembered.
    int32_t lastForwardSerial;
    int32_t abandonedSerials[kAbandonedSlots];
    int32_t forwardStalled;
    // What the context of the last key was measured for: the text metrics change only with the
    // focus window, the executable only with the process.
    uint32_t metricsWindow;
    uint32_t moduleProcessId;
    // Per library: whether its hooks are installed, and the process that installed them.
    int32_t hooksInstalled[kLibraryRoles];
    uint32_t installerProcessId[kLibraryRoles];
    // Keys the hooks posted to the main program, and how many of them it has handled: when the
    // two differ, the list state lags behind the last letter.
    int32_t postedKeys;
    int32_t postedKeysHandled;
    // A window whose focused field accessibility marks protected (a web page's password field),
    // as the main program found it: the hooks treat it as a password field.
    uint32_t protectedWindow;
};

// The defaults of a fresh block, marked ready: completion on, Ctrl+Space, Ctrl+M and Ctrl+O.
void initHookState(HookState &state);

// True when the block is one of this layout, completely set up. A block that is not is never
// used: the hooks then pass every key on.
bool isSoundHookState(const HookState &state);

// The executable name as stored, cut at the end of its field when it lacks a terminator.
std::string hookStateModuleFileName(const HookState &state);

// Stores a name, cut to fit its field with the terminator.
void setHookStateModuleFileName(HookState &state, const char *name);

} // namespace hookstate
