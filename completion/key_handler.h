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
} // namespace forwarded_key

// Everything the keystroke handler does to the desktop. The Win32 build routes these to the hook
// library's getters, SendMessageA, keybd_event and the suggestion window; tests record them.
struct KeyHandlerSeams {
    // Module name and full path of the program the user types in.
    std::function<void(std::string &moduleName, std::string &modulePath)> focusedProgram;
    // Types one character of a chosen word into the focus window (WM_IME_CHAR).
    std::function<void(unsigned char ch)> sendImeChar;
    // Erases the count characters before the caret in the focus window: the typed letters of a
    // word that a correction replaces. Called before its characters are typed.
    std::function<void(int count)> eraseTyped;
    // Types a key's own character into the focus window (WM_CHAR with the user's key flags).
    std::function<void(int key, long flags)> sendChar;
    // Replays Enter as a keystroke, so that it passes through the hook library again.
    std::function<void()> replayEnter;
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
// Runs on the UI thread while the typing program waits in the hook's SendMessageA, so the typed
// characters reach it before its next key. Returns 1.
int handleKey(WordStore &store, Settings &settings, const KeyHandlerSeams &seams, int key, long flags);

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
