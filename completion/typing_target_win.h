#pragma once

#include <windows.h>

// The focus window of the program typed in, as the list needs it: whether its focused field is
// protected, and where its caret line is. Accessibility is asked from this program, never from
// inside the hook, with a bounded wait, and only for what a browser answers without switching its
// whole accessibility on: the caret object, while the user types where no system caret shows, and
// the state of the element a focus event named, once per focus change. User-interface thread only.

// Follows the focus events of other programs (from start-up on): an event that names an element
// inside its window (a page's field) comes from a program that serves accessibility already, and
// that element's state is asked once. A protected element (a password field) is handed to the
// hooks, which then leave its window's keys alone like those of any password field, until a focus
// event names an element that is not protected.
void watchFocusEvents();

// Examines the window for a key that feeds the word: true when its focused field is protected
// (an answer about it still on its way is waited for, a bounded time). Where the hook saw no
// system caret (hasCaret false), the window's caret object is asked where its caret is; a window
// that serves none is asked once, when it takes the focus.
bool examineTypingTarget(HWND focus, bool hasCaret);

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
