#include "completion/typing_target_win.h"

#include "app/app_globals_win.h"
#include "completion/focus_accessibility_win.h"
#include "hooklib/larkhook.h"
#include "vocabulary/word_store.h"
#include "win32/screen_dpi_win.h"

namespace {

// How long a key waits for a program's accessibility answer. A program that lets it pass twice is
// not asked for its caret again while it keeps the focus. Under Wine a question to another process
// takes about a dozen milliseconds, the first one to a window (which fetches its object) a few
// dozen.
const DWORD kAnswerWaitMs = 60;
const int kMostMisses = 2;

// What is known of the caret of the current focus window; anew at every focus change.
struct TargetRecord {
    HWND window = nullptr;
    bool servesNoCaret = false;
    int misses = 0;
    bool haveCaret = false;
    RECT caret = {};
} target;

// The element the last focus event named, and where its question is: not asked yet (the asker was
// busy), or asked and its answer still on its way.
struct FocusedElement {
    AccessibleQuestion question;
    bool unasked = false;
    bool answerDue = false;
} element;

// The window handed to the hooks as protected, or null.
HWND protectedWindow = nullptr;

void follow(HWND focus) {
    if (focus == target.window)
        return;
    target = TargetRecord();
    target.window = focus;
}

void markProtected(HWND window) {
    protectedWindow = window;
    SetProtectedWindow(window);
}

bool sameElement(const AccessibleQuestion &a, const AccessibleQuestion &b) {
    return a.window == b.window && a.objectId == b.objectId && a.childId == b.childId;
}

// An element's state: a protected one makes its window's keys the hooks' to leave alone; one that
// is not gives them back. Only the answer about the element that has the focus now counts.
// True when the window became protected by it.
bool takeElementAnswer(const AccessibleQuestion &question, const AccessibleAnswer &answer) {
    if (!sameElement(question, element.question))
        return false;
    element.answerDue = false;
    if (!answer.knowsState)
        return false;
    if (answer.isProtected) {
        const bool now = protectedWindow != question.window;
        markProtected(question.window);
        return now;
    }
    if (protectedWindow == question.window)
        markProtected(nullptr);
    return false;
}

void takeCaretAnswer(const AccessibleQuestion &question, const AccessibleAnswer &answer) {
    if (question.window != target.window)
        return;
    target.servesNoCaret = !answer.servesObject;
    target.haveCaret = answer.haveCaret;
    target.caret = answer.caret;
}

// Any answer that came late, for whichever question it was.
bool takeAnswer(const AccessibleQuestion &question, const AccessibleAnswer &answer) {
    if (question.kind == AccessibleQuestion::kElementState)
        return takeElementAnswer(question, answer);
    takeCaretAnswer(question, answer);
    return false;
}

// Asks the focused element's state, if that is still to be asked, waiting at most waitMs.
bool askElement(DWORD waitMs) {
    if (!element.unasked)
        return false;
    AccessibleAnswer answer;
    switch (askAccessibility(element.question, waitMs, answer)) {
    case AskResult::Busy:
        return false;
    case AskResult::TimedOut:
        element.unasked = false;
        element.answerDue = true;
        return false;
    case AskResult::Answered:
        element.unasked = false;
        return takeElementAnswer(element.question, answer);
    }
    return false;
}

// The word being typed is a password's after all: it is dropped, neither shown nor learned.
void dropTheWord() {
    if (wordStore)
        wordStore->reset();
    SetSuggestionsShown(0);
}

void CALLBACK onFocusEvent(HWINEVENTHOOK, DWORD, HWND window, LONG objectId, LONG childId, DWORD, DWORD) {
    // The system raises a focus event for every window that takes the focus, naming the window
    // itself; asking a browser about that would switch its accessibility on. A program names an
    // element inside it only when it serves accessibility.
    if (!window || (childId == CHILDID_SELF && objectId <= 0))
        return;
    element = FocusedElement();
    element.question.kind = AccessibleQuestion::kElementState;
    element.question.window = window;
    element.question.objectId = objectId;
    element.question.childId = childId;
    element.unasked = true;
    if (askElement(0))
        dropTheWord();
}

// A key waits a bounded time for the answer to a question still on its way, so that it is
// decided with what the program says.
void catchUpWithAnswers() {
    AccessibleQuestion question;
    AccessibleAnswer answer;
    if (awaitAnswer(kAnswerWaitMs, question, answer))
        takeAnswer(question, answer);
}

} // namespace

void watchFocusEvents() {
    SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, onFocusEvent, 0, 0,
                    WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

bool examineTypingTarget(HWND focus, bool hasCaret) {
    follow(focus);
    if (focus && element.question.window == focus && (element.unasked || element.answerDue)) {
        catchUpWithAnswers();
        askElement(kAnswerWaitMs);
    }
    if (focus && focus == protectedWindow)
        return true;
    target.haveCaret = false;
    if (!focus || hasCaret || target.servesNoCaret || target.misses >= kMostMisses)
        return false;
    AccessibleQuestion question;
    question.kind = AccessibleQuestion::kCaret;
    question.window = focus;
    AccessibleAnswer answer;
    switch (askAccessibility(question, kAnswerWaitMs, answer)) {
    case AskResult::Answered:
        takeCaretAnswer(question, answer);
        break;
    case AskResult::TimedOut:
        ++target.misses;
        break;
    case AskResult::Busy:
        break;
    }
    return false;
}

CaretLine caretLineOf(HWND focus, POINT hookCaret, int lineHeight, bool hasCaret) {
    POINT corner = hookCaret;
    int height = lineHeight;
    if (!hasCaret && focus && focus == target.window && target.haveCaret) {
        corner = {target.caret.left, target.caret.top};
        height = target.caret.bottom - target.caret.top;
    }
    // The program gave its points in its own coordinates: logical ones when it is not aware of
    // the monitor's DPI.
    POINT below = {corner.x, corner.y + height};
    corner = physicalPointOf(focus, corner);
    below = physicalPointOf(focus, below);
    return CaretLine{corner, below.y - corner.y};
}

void takeLateAnswerOfTarget(HWND list) {
    AccessibleQuestion question;
    AccessibleAnswer answer;
    // Letters of a password went by while the question was out: that word is dropped.
    if (takeLateAnswer(question, answer) && takeAnswer(question, answer) && question.window == target.window)
        dropTheWord();
    // The asker is free again: an element that took the focus meanwhile is asked now.
    if (askElement(0))
        dropTheWord();
    PostMessageA(list, kSyncSuggestionsMessage, 0, 0);
}
