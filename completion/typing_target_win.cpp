#include "completion/typing_target_win.h"

#include "app/app_globals_win.h"
#include "completion/focus_accessibility_win.h"
#include "hooklib/larkhook.h"
#include "vocabulary/word_store.h"
#include "win32/screen_dpi_win.h"

namespace {

// How long a key waits for a program's accessibility answer. A program that lets it pass twice is
// not asked again while it keeps the focus. Under Wine a question to another process takes about
// a dozen milliseconds, the first one to a window (which fetches its objects) a few dozen.
const DWORD kAnswerWaitMs = 60;
const int kMostMisses = 2;

// What is known of the current focus window; anew at every focus change.
struct TargetRecord {
    HWND window = nullptr;
    bool asked = false;
    bool servesObjects = false;
    int misses = 0;
    bool isProtected = false;
    bool haveCaret = false;
    RECT caret = {};
} target;

void follow(HWND focus) {
    if (focus == target.window)
        return;
    target = TargetRecord();
    target.window = focus;
}

void markProtected(bool isProtected) {
    target.isProtected = isProtected;
    SetProtectedWindow(isProtected ? target.window : nullptr);
}

} // namespace

bool examineTypingTarget(HWND focus) {
    follow(focus);
    if (!focus || (target.asked && !target.servesObjects) || target.misses >= kMostMisses)
        return target.isProtected;
    AccessibleFocus answer;
    const AskResult result = askAccessibility(focus, kAskProtection | kAskCaret, kAnswerWaitMs, answer);
    if (result != AskResult::Answered) {
        if (result == AskResult::TimedOut)
            ++target.misses;
        target.haveCaret = false;
        return target.isProtected;
    }
    target.asked = true;
    target.servesObjects = answer.servesObjects;
    target.haveCaret = answer.haveCaret;
    target.caret = answer.caret;
    markProtected(answer.isProtected);
    return target.isProtected;
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
    HWND window = nullptr;
    AccessibleFocus answer;
    if (!takeLateAnswer(window, answer) || window != target.window)
        return;
    target.asked = true;
    target.servesObjects = answer.servesObjects;
    target.haveCaret = answer.haveCaret;
    target.caret = answer.caret;
    if (answer.isProtected && !target.isProtected) {
        // Letters of the password went by while the question was out: the word is dropped, not
        // learned.
        if (wordStore)
            wordStore->reset();
        SetSuggestionsShown(0);
    }
    markProtected(answer.isProtected);
    PostMessageA(list, kSyncSuggestionsMessage, 0, 0);
}

void recheckProtectedTarget() {
    if (!target.isProtected)
        return;
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    HWND foreground = GetForegroundWindow();
    if (!foreground || !GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &thread) ||
        thread.hwndFocus != target.window)
        return;
    AccessibleFocus answer;
    if (askAccessibility(target.window, kAskProtection, kAnswerWaitMs, answer) == AskResult::Answered &&
        !answer.isProtected)
        markProtected(false);
}
