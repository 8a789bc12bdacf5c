#pragma once

#include <windows.h>

// The focus window of the program typed in, as the list needs it: whether its focused field is
// protected, and where its caret line is. Programs that keep no system caret (browsers and the
// like) are asked through accessibility, from this program and never from inside the hook, with a
// bounded wait. User-interface thread only.

// Examines the window for a key that feeds the word. For a window that serves accessible objects
// of its own this asks, in one bounded question, whether its focused element is protected and
// where its caret is; a window that serves none is asked once, when it takes the focus. A
// protected field is handed to the hooks, which then leave its keys alone like those of any
// password field; true when it is protected.
bool examineTypingTarget(HWND focus);

// The caret line of the program typed in: its top-left corner in this program's physical screen
// coordinates, and its height. The system caret as the hook recorded it when the program showed
// one (hasCaret); otherwise the caret that accessibility gave at the last key, with its own
// height as the line height; otherwise the hook's point, the last click.
struct CaretLine {
    POINT topLeft;
    int height;
};
CaretLine caretLineOf(HWND focus, POINT hookCaret, int lineHeight, bool hasCaret);

// Posted to the suggestion window when a program's accessibility answer came after the key
// stopped waiting for it; takeLateAnswerOfTarget then uses it: the list moves to the caret it
// gives, or a field found protected hides the list and drops the word.
const UINT kLateAccessibleAnswerMessage = WM_APP + 16;
void takeLateAnswerOfTarget(HWND list);

// For the main window's timer: a protected window whose focus moved to a field that is not
// protected (another field of the same page) gets its keys back.
void recheckProtectedTarget();
