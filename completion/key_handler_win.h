#pragma once

#include <windows.h>

// The main program's side of the keystroke protocol: one WM_KEYDOWN that the hook library
// forwarded to the suggestion window (key code and serial in wParam, flags = lParam of the
// user's key-down). Drives the process-wide word store and settings; returns 1. The key only
// asks for the list to be shown or hidden (SetSuggestionsShown); the window follows when it
// takes kSyncSuggestionsMessage, right after the key.
int handleSuggestionKey(HWND window, WPARAM wParam, LPARAM flags);

// Brings the window in line with GetSuggestionsShown: placed at the caret and shown, or hidden
// (the suggestion window's handling of kSyncSuggestionsMessage).
void syncSuggestions(HWND window);

// Sizes the list for the current page and shows it, without activation, below the caret of the
// program the user types in, inside that program's focus window.
void showSuggestionsAtCaret(HWND window, HWND focus);

// The list's size in pixels for the window's font: the longest word of the page after a
// three-character number column, and one more row of text height for the footer. 0 by 0 when the
// store is busy or window is not a window.
void measureSuggestions(HWND window, int &width, int &height);
