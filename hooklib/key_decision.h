#pragma once

#include "hooklib/key_owner.h"

// What the keyboard hook does with the first key-down of a press. The decision is a pure function
// of what the hook sees, so it can be tested without a desktop; the hook procedure only gathers
// the inputs and carries the decision out. Everything here is plain data: the hook runs for every
// key-down on the desktop and must not allocate.

namespace hookkeys {

const int kBackspace = 0x08;
const int kEnter = 0x0D;
const int kShift = 0x10;
const int kControl = 0x11;
const int kEscape = 0x1B;
const int kSpace = 0x20;
const int kUp = 0x26;
const int kDown = 0x28;
const int kDelete = 0x2E;
// Forwarded for a letter that the system's ANSI code page cannot hold (Cyrillic on a Western
// system): the word it falls in is neither completed nor learned. Every other forwarded letter is
// its byte in that code page, 0x41 or above, above every forwarded key code.
const int kForeignLetter = 0x100;

// What a key types in the keyboard layout of the thread that reads it, read without touching the
// layout's dead-key state: what the program itself makes of the key.
enum class Typed {
    Other,         // no character, or a character that is no letter, or several characters
    Letter,        // one letter of the ANSI code page (KeyInput::letter)
    ForeignLetter, // one letter outside it
    DeadKey,       // an accent waiting for the next key, which then types the accented letter
};

// The inputs of one decision, as the hook reads them in the typing program's thread.
struct KeyInput {
    int vk = 0;
    Typed typed = Typed::Other;
    unsigned char letter = 0; // with Typed::Letter
    // An auto-repeat of a held key, and whether the press it repeats was consumed.
    bool repeat = false;
    bool heldKeyConsumed = false;
    bool ctrlDown = false;
    bool altDown = false;
    bool shiftDown = false;
    bool winDown = false;             // either Windows key
    bool enabled = true;              // the shared enable state is non-zero
    char commandKey = 0x20;
    char enableKey = 0x4D;
    char keyboardKey = 0x4F;
    bool haveCommandWindow = false;   // the command window's handle is known
    bool haveKeyboardWindow = false;
    bool suggestionsVisible = false;  // the suggestion list is shown (or about to be)
    bool focusChanged = false;        // the focus window differs from the one of the last key
    bool passwordField = false;       // the focused window has ES_PASSWORD
    bool inCommandEdit = false;       // the focus is the command window's edit field
    // Whether this library acts on the key at all (decideKeyRole): the other library of the
    // session may take it, hot keys included, so that each key acts once.
    KeyRole role = KeyRole::Acts;
};

enum class Toggle { None, Enable, CommandWindow, KeyboardWindow };

// The side effects, in the order the hook performs them.
struct KeyDecision {
    bool hideSuggestions = false; // hide the list without ending the word (before anything else)
    bool examineFocus = false;   // steps that look at the focus window: hide on change, remember it
    bool recordContext = false;  // caret, metrics and executable of the typing program
    bool dismissFirst = false;   // Escape to the suggestion window, then hide it
    Toggle toggle = Toggle::None;
    bool forward = false;        // WM_KEYDOWN to the suggestion window
    int forwardCode = 0;         // the character or virtual key that is forwarded
    // The typing program waits while the main program handles the forwarded key: a pick types
    // into it during the wait. Letters are only posted, the program typed in goes on at once.
    bool forwardWaits = false;
    bool dismissAfter = false;
    // The application never sees this key-down: a key handed over only when the main program
    // took it (it answers "taken" or "not taken"), otherwise at once.
    bool consume = false;
};

// Decides a key-down, a first press or an auto-repeat; key-ups never get here. A repeat of a
// consumed press is consumed too (only Shift+Up and Shift+Down go on walking the list); a
// letter's or Backspace's repeat changes the word as the program's text changes; every other
// repeat is the program's alone.
KeyDecision decideKeyDown(const KeyInput &in);

// Whether an auto-repeat changes the word or the list (a letter, Backspace, a held Shift+Up or
// Shift+Down on a list); every other repeat follows its press alone, consumed or passed on.
bool repeatActsOnTheWord(const KeyInput &in);

// Whether the decision on this key depends on the list being shown (the steering keys and
// Ctrl+digit): the hook then first lets the main program catch up with the letters it posted,
// so that the list state it decides on is that of the last letter.
bool dependsOnTheList(const KeyInput &in);

} // namespace hookkeys
