#pragma once

#include <windows.h>

#include "hooklib/hook_state.h"
#include "hooklib/key_owner.h"

// What the keyboard hook reads of the program a key is typed in, the same way whether the hook
// procedure runs inside that program or out of context in an installing thread of another process
// (Windows calls it there for programs that cannot load the library).
namespace hookstate {

const hookkeys::Bitness kOwnBitness = sizeof(void *) == 8 ? hookkeys::Bitness::Bits64 : hookkeys::Bitness::Bits32;

// The program that owns the foreground window, whose thread gets the keyboard input.
struct TypedInProgram {
    DWORD processId = 0;
    DWORD threadId = 0;
    bool here = true; // the procedure runs inside it
    hookkeys::Bitness bitness = kOwnBitness;
};
TypedInProgram typedInProgram();

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

// The modifier keys as they were when the key was pressed. Inside the program typed in that is its
// thread's key state, read in one call; out of context the installing thread has no key state of
// that program, so the keys' physical state stands in.
struct Modifiers {
    bool ctrl = false, alt = false, shift = false, win = false;
};
Modifiers modifiersOf(const TypedInProgram &program);

} // namespace hookstate
