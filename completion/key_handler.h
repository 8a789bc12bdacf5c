#pragma once

#include <functional>
#include <string>

class Settings;
class WordStore;

// Keys as the hook library forwards them in the wParam of WM_KEYDOWN.
namespace forwarded_key {
const int kBackspace = 0x08;
const int kEnter = 0x0D;
const int kShift = 0x10;
const int kEscape = 0x1B;
const int kSpace = 0x20; // only with Shift held
const int kUp = 0x26;    // only with Shift held
const int kDown = 0x28;  // only with Shift held
const int kDelete = 0x2E;
// A letter outside the system's ANSI code page; every other letter is its byte there, 0x41 or above.
const int kForeignLetter = 0x100;
inline bool isLetter(int key) { return key >= 0x41 && key <= kForeignLetter; }
} // namespace forwarded_key

// Everything the keystroke handler does to the desktop. The Win32 build routes these to the hook
// library, the focus window and the suggestion window; tests record them.
struct KeyHandlerSeams {
    // Module name and full path of the program the user types in.
    std::function<void(std::string &moduleName, std::string &modulePath)> focusedProgram;
    // Types one character of a chosen word into the focus window (WM_IME_CHAR), once, in order.
    std::function<void(unsigned char ch)> sendImeChar;
    // Erases the count characters before the caret in the focus window: the typed letters of a
    // word that a correction replaces. Called before its characters are typed.
    std::function<void(int count)> eraseTyped;
    // Before the handler acts on a key in the user's place (a pick, a highlight moved, a word
    // deleted, a letter erased): true when the key is its own now; false when the hook gave up
    // waiting and the key already reached the program.
    std::function<bool()> claimKey;
    // For a key the handler does not take, or could not claim: true when the word is to follow
    // now what the key did in the program (a space ends it); false when that was done already, or
    // is left to the hook's note of the key. Once per key.
    std::function<bool()> followKey;
    // Both are optional: without them every key is the handler's to take, and to follow.
    std::function<void()> hideList;
    // Measures the list and shows it at the caret without activating it.
    std::function<void()> showListAtCaret;
    // Where the user types: a number that changes with the focus window and the caret's line, so
    // that a word finished elsewhere (before a click, a focus change or a new line) is not taken
    // as the word before the next one. Optional.
    std::function<long long()> typingPlace;
};

// One forwarded key-down: feeds letters and Backspace to the word store, moves the highlight,
// deletes the highlighted word, ends the word, or picks a row and types the rest of its word.
// Runs on the UI thread while the typing program waits in the hook's call, so the typed
// characters reach it before its next key. Returns kTaken when the handler acted on the key in the
// user's place (the program must not get it), kNotTaken when the key is the program's: the word
// then changes as the key changes the program's text (a space or Enter ends it).
const int kTaken = 1;
const int kNotTaken = 0;
int handleKey(WordStore &store, Settings &settings, const KeyHandlerSeams &seams, int key);

// A rectangle of the screen: the work area of a monitor (the screen without its task bars).
struct ScreenArea {
    int left, top, right, bottom;
};

// Where the list goes: at the caret, moved right or down into the focus window's rectangle, its
// top edge 2 pixels below the caret line, with room for the window's border around the list. It
// always lies whole inside the work area of the caret's monitor: above the caret line when there
// is no room below it, shifted left at the right edge. An empty work area (the monitor could not
// be read) leaves the list where the caret puts it.
struct ListPlacement {
    int x, y, width, height;
};
ListPlacement placeList(int caretX, int caretY, int focusLeft, int focusTop, int lineHeight, int listWidth,
                        int listHeight, const ScreenArea &workArea);
