#pragma once

#include <windows.h>

// The main program's side of the keystroke protocol: one key that the hook library handed to the
// suggestion window (key code and serial in wParam),
// handled for the program and window it was typed in. Drives the process-wide word store and
// settings; returns kKeyTaken (larkhook.h) when it acted on the key in the user's place, 0 when the
// key is the program's. The key only asks for the list to be shown or hidden
// (SetSuggestionsShown); the window follows when it takes kSyncSuggestionsMessage, right after
// the key. A stale key (it waited too long in the queue) spoils its word, and so does a letter
// outside the ANSI code page: nothing of that word is shown or learned.
int handleSuggestionKey(HWND window, WPARAM wParam, bool stale);
// A key the hook sent and waits for (WM_KEYDOWN): taken only when the main program's claim on it
// comes before the hook's give-up; otherwise the word follows what the key did in the program.
int handleSentSuggestionKey(HWND window, WPARAM wParam);

// Every key a hook hands over names its record with a serial. A key without one comes from
// elsewhere: the program drops it unseen, so that another process posting to the suggestion
// window can neither feed the word store nor make Wordlark type. Tests and benchmarks, which hand
// keys over directly, take them, each standing for the last key the hooks recorded.
void takeKeysWithoutSerial(bool take);

// Brings the window in line with GetSuggestionsShown: placed at the caret and shown, or hidden
// (the suggestion window's handling of kSyncSuggestionsMessage).
void syncSuggestions(HWND window);

// Sizes the list for the current page and shows it, without activation, below the caret (screen
// coordinates) of the program the user types in, inside that program's focus window and whole on
// its monitor's work area. Where the program showed no system caret (hasCaret false: the point is
// the last click), the caret that accessibility gave is used when there is one.
void showSuggestionsAtCaret(HWND window, HWND focus, int caretX, int caretY, int lineHeight, bool hasCaret = true);

// The list's size in pixels for the window's font: the longest word of the page after a
// three-character number column, and one more row of text height for the footer. 0 by 0 when the
// store is busy or window is not a window.
void measureSuggestions(HWND window, int &width, int &height);
