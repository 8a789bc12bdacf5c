#pragma once

#include <windows.h>

// The suggestion window's procedure: paints the current page of the word store's suggestions and
// hands every key-down that the hook library forwards to handleSuggestionKey. The start-up code
// creates the window and installs this procedure in it.
LRESULT CALLBACK suggestionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
