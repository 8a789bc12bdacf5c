#pragma once

#include <windows.h>

// What the focus window of another program tells through accessibility: the programs that keep
// no system caret (browsers and the like) give their caret this way, and mark their password
// fields protected. Such a program may also never answer, so every question is asked on a thread
// of this module's own and the caller waits a bounded time for the answer.

struct AccessibleFocus {
    bool servesObjects = false; // the window answered with an accessible object of its own
    bool haveCaret = false;
    RECT caret = {};            // screen coordinates, as that program gives them
    bool isProtected = false;   // its focused element is protected (a password field)
};

enum AccessibleQuestion { kAskCaret = 1, kAskProtection = 2 };

// Starts the thread that asks, so that the first question does not wait for its setting up.
bool startAsker();

// Asks the window the questions (a combination of AccessibleQuestion) and waits at most waitMs
// for the answer. While an earlier question that went without an answer is still being asked,
// nothing is asked and nothing waited for: a program that hangs costs waitMs once.
// User-interface thread only.
enum class AskResult { Answered, TimedOut, Busy };
AskResult askAccessibility(HWND window, int questions, DWORD waitMs, AccessibleFocus &answer);

// An answer that comes after its caller stopped waiting is announced by posting the message to
// the window (set once at start-up); takeLateAnswer then gives the window asked and the answer.
void announceLateAnswers(HWND window, UINT message);
bool takeLateAnswer(HWND &window, AccessibleFocus &answer);
