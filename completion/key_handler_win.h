#pragma once

#include <windows.h>

// The main program's side of the keystroke protocol: one WM_KEYDOWN that the hook library
// forwarded to the suggestion window (key = wParam, flags = lParam of the user's key-down).
// Drives the process-wide word store and settings; returns 1.
int handleSuggestionKey(HWND window, WPARAM key, LPARAM flags);

// Moving and showing a window costs round trips to the display (milliseconds under Wine), which
// the program the user types in, waiting for its forwarded key, should not wait for. So a key only
// asks for the list and the window places itself when it takes this message, right after the key.
const UINT kPlaceSuggestionsMessage = WM_APP + 2;
// Applies the last key's request, if no later key or hiding has dropped it (the suggestion
// window's handling of kPlaceSuggestionsMessage).
void placeRequestedSuggestions(HWND window);
// Drops a request that is not yet applied (the window was hidden meanwhile).
void dropSuggestionsRequest();

// Sizes the list for the current page and shows it, without activation, below the caret of the
// program the user types in, inside that program's focus window.
void showSuggestionsAtCaret(HWND window, HWND focus);

// The list's size in pixels for the window's font: the longest word of the page after a
// three-character number column, and one more row of text height for the footer. 0 by 0 when the
// store is busy or window is not a window.
void measureSuggestions(HWND window, int &width, int &height);
