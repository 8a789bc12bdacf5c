#pragma once

#include <windows.h>

#include "hooklib/hook_state.h"
#include "hooklib/key_owner.h"

// What the keyboard hook reads of the program a key is typed in, the same way whether the hook
// procedure runs inside that program or out of context in an installing thread of another process
// (Windows calls it there for programs that cannot load the library).
namespace hookstate {

const hookkeys::Bitness kOwnBitness = sizeof(void *) == 8 ? hookkeys::Bitness::Bits64 : hookkeys::Bitness::Bits32;

// The program a key is typed in. In context that is the thread that reads the key, whatever has
// the foreground by then (keys queued to a busy program are read after the user moved on); out of
// context only the foreground window can name it.
struct TypedInProgram {
    DWORD processId = 0;
    DWORD threadId = 0;
    bool here = true; // the procedure runs inside it
    bool known = true; // false out of context with no foreground window
    hookkeys::Bitness bitness = kOwnBitness;
};
TypedInProgram typedInProgram(bool outOfContext);

// A program's bitness and executable (UTF-8), read from outside it once per program and thread:
// Unknown and an empty path when the process cannot be opened.
struct ProgramFacts {
    DWORD processId = 0;
    hookkeys::Bitness bitness = hookkeys::Bitness::Unknown;
    char path[kPathSize] = "";
};
const ProgramFacts &factsOf(DWORD processId);

// The full path of the program's executable, in UTF-8.
const char *moduleFileNameOf(const TypedInProgram &program);

struct FocusAndCaret {
    HWND focus = nullptr;
    HWND caretWindow = nullptr;
    RECT caret = {0, 0, 0, 0}; // client coordinates of caretWindow
};
FocusAndCaret focusAndCaretOf(const TypedInProgram &program);

// The keys as they were when the key was pressed. Inside the program typed in that is its thread's
// key state, read in one call, or as the thread's own record of its keys has it (tracked_keys.h);
// out of context the installing thread has no key state of that program, so the keys' physical
// state stands in for the modifiers and Caps Lock.
struct KeyboardState {
    BYTE keys[256];
    bool ctrl = false, alt = false, shift = false, win = false;
};
void readKeyboardState(const TypedInProgram &program, KeyboardState &state);
// The modifiers of the keys as they stand in state.keys.
void takeModifiers(KeyboardState &state);

} // namespace hookstate
