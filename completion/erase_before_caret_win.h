#pragma once

#include <windows.h>

#include <functional>

// Hands one message to the window typed in, in order with the characters typed after it (sent
// with a bounded wait, or posted once the program stopped answering).
using TypeMessage = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

// Erases the count characters before the caret of the focus window of the program typed in: the
// letters of a word that a correction replaces. A standard edit or rich edit control (most text
// fields, notepad's among them) is told to select them and clear the selection, which holds
// whatever modifier keys are down (a pick with Ctrl+digit) and makes one step of its undo. Any
// other window gets, once per character, what the Backspace key brings it: the key going down,
// its character, the key going up.
void eraseBeforeCaret(HWND focus, int count, const TypeMessage &type);
