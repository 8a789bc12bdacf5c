#pragma once

#include <windows.h>

// What another program tells through accessibility. Programs that keep no system caret (browsers
// and the like) give their caret this way, and a program that serves accessibility names the
// element that takes the focus in a focus event, whose state says whether it is a password field.
// Only these are ever asked: the caret object, which a browser answers on its own, and the state
// of an element a focus event named, which a program raises only when it serves its accessible
// objects already. Anything more (the window's client object, followed down through accFocus)
// switches a browser's whole accessibility on for the page, which slows it down.
//
// Such a program may also never answer, so every question is asked on a thread of this module's
// own and the caller waits a bounded time for the answer.

struct AccessibleQuestion {
    enum Kind { kCaret, kElementState };
    Kind kind = kCaret;
    HWND window = nullptr;
    // The element of an element-state question, as its focus event named it.
    LONG objectId = OBJID_CLIENT;
    LONG childId = CHILDID_SELF;
};

struct AccessibleAnswer {
    bool servesObject = false; // the window answered with an accessible object of its own
    bool haveCaret = false;
    RECT caret = {}; // screen coordinates, as that program gives them
    bool knowsState = false;
    bool isProtected = false; // the element is protected (a password field)
};

// Starts the thread that asks, so that the first question does not wait for its setting up.
bool startAsker();

// Asks the question and waits at most waitMs for the answer. While an earlier question is still
// being asked, nothing is asked and nothing waited for: a program that hangs costs waitMs once.
// User-interface thread only.
enum class AskResult { Answered, TimedOut, Busy };
AskResult askAccessibility(const AccessibleQuestion &question, DWORD waitMs, AccessibleAnswer &answer);

// Waits at most waitMs for the answer to the question still being asked, and takes it: true with
// the question and its answer, which is then not announced as late any more.
bool awaitAnswer(DWORD waitMs, AccessibleQuestion &question, AccessibleAnswer &answer);

// An answer that comes after its caller stopped waiting is announced by posting the message to
// the window (set once at start-up); takeLateAnswer then gives the question and the answer.
void announceLateAnswers(HWND window, UINT message);
bool takeLateAnswer(AccessibleQuestion &question, AccessibleAnswer &answer);
