#include "completion/focus_accessibility_win.h"

#include <objbase.h>
#include <oleacc.h>

namespace {

// IAccessible's interface id, spelled out: the 64-bit import library of oleacc makes its
// IID_IAccessible a jump stub rather than the id, which COM then fails to marshal.
const IID kAccessibleIid = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The asking thread and the one question it works on. The caller writes the question only while
// the thread is idle; the thread writes the answer before it becomes idle again.
struct Asker {
    HANDLE thread = nullptr;
    HANDLE questionReady = nullptr; // auto-reset
    HANDLE answerReady = nullptr;   // manual reset, cleared with each question
    volatile LONG busy = 0;
    volatile LONG callerGaveUp = 0;
    volatile LONG lateAnswerReady = 0;
    HWND announceTo = nullptr;
    UINT announceMessage = 0;
    HWND window = nullptr;
    int questions = 0;
    AccessibleFocus answer;
} asker;

// The window's own accessible object with that id, or null when it serves none (Windows' standard
// objects, which the hooks' own tests cover, are not made up here).
IAccessible *ownObject(HWND window, LONG id) {
    // The same value goes into the message and back to ObjectFromLresult, as the protocol asks.
    const WPARAM flags = 0;
    // The caller stopped waiting long before; this only frees the thread from a program that hangs.
    const UINT kGiveUpMs = 5000;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_GETOBJECT, flags, static_cast<LPARAM>(id), SMTO_ABORTIFHUNG, kGiveUpMs,
                             &result) ||
        static_cast<LRESULT>(result) <= 0)
        return nullptr;
    IAccessible *object = nullptr;
    if (FAILED(ObjectFromLresult(static_cast<LRESULT>(result), kAccessibleIid, flags, reinterpret_cast<void **>(&object))))
        return nullptr;
    return object;
}

VARIANT selfChild() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// The state of the element that has the focus: followed down through accFocus from the window's
// client object, a few levels at most (a program could name its own object as its focus forever).
bool focusedElementIsProtected(IAccessible *client) {
    const int kMostLevels = 16;
    IAccessible *current = client;
    current->AddRef();
    VARIANT child = selfChild();
    for (int level = 0; level < kMostLevels; ++level) {
        VARIANT focus;
        VariantInit(&focus);
        if (FAILED(current->get_accFocus(&focus)))
            break;
        if (focus.vt == VT_I4) {
            child = focus; // CHILDID_SELF: this object; otherwise a simple child of it
            break;
        }
        if (focus.vt != VT_DISPATCH || !focus.pdispVal) {
            VariantClear(&focus);
            break;
        }
        IAccessible *next = nullptr;
        const HRESULT found = focus.pdispVal->QueryInterface(kAccessibleIid, reinterpret_cast<void **>(&next));
        VariantClear(&focus);
        if (FAILED(found) || !next)
            break;
        current->Release();
        current = next;
    }
    VARIANT state;
    VariantInit(&state);
    const bool known = SUCCEEDED(current->get_accState(child, &state)) && state.vt == VT_I4;
    current->Release();
    return known && (state.lVal & STATE_SYSTEM_PROTECTED) != 0;
}

bool caretLocation(IAccessible *caret, RECT &rect) {
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(caret->accLocation(&left, &top, &width, &height, selfChild())) || height <= 0)
        return false;
    rect = {left, top, left + width, top + height};
    return true;
}

// The objects of the window last asked, kept while questions are about it: fetching an object
// from another process is what costs (under Wine a tenth of a second), asking it again is one call.
struct ObjectCache {
    HWND window = nullptr;
    IAccessible *client = nullptr;
    IAccessible *caret = nullptr;

    void keepFor(HWND asked) {
        if (asked == window)
            return;
        release();
        window = asked;
        client = ownObject(window, OBJID_CLIENT);
        caret = ownObject(window, OBJID_CARET);
    }
    void release() {
        if (client)
            client->Release();
        if (caret)
            caret->Release();
        client = caret = nullptr;
        window = nullptr;
    }
} objects;

AccessibleFocus answerQuestions(HWND window, int questions) {
    AccessibleFocus answer;
    objects.keepFor(window);
    answer.servesObjects = objects.client || objects.caret;
    if ((questions & kAskProtection) && objects.client)
        answer.isProtected = focusedElementIsProtected(objects.client);
    if ((questions & kAskCaret) && objects.caret)
        answer.haveCaret = caretLocation(objects.caret, answer.caret);
    return answer;
}

DWORD WINAPI askingThread(LPVOID) {
    // Objects of other processes come as proxies; a thread of the free-threaded apartment needs no
    // message loop for their calls.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        if (WaitForSingleObject(asker.questionReady, INFINITE) != WAIT_OBJECT_0)
            break;
        asker.answer = answerQuestions(asker.window, asker.questions);
        SetEvent(asker.answerReady);
        const bool late = InterlockedExchange(&asker.callerGaveUp, 0) != 0;
        if (late)
            InterlockedExchange(&asker.lateAnswerReady, 1);
        InterlockedExchange(&asker.busy, 0);
        if (late && asker.announceTo)
            PostMessageA(asker.announceTo, asker.announceMessage, 0, 0);
    }
    CoUninitialize();
    return 0;
}

} // namespace

bool startAsker() {
    if (asker.thread)
        return true;
    asker.questionReady = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    asker.answerReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!asker.questionReady || !asker.answerReady)
        return false;
    // It lives as long as the program: a question may never come back.
    asker.thread = CreateThread(nullptr, 0, askingThread, nullptr, 0, nullptr);
    return asker.thread != nullptr;
}

AskResult askAccessibility(HWND window, int questions, DWORD waitMs, AccessibleFocus &answer) {
    if (!window || !startAsker() || InterlockedCompareExchange(&asker.busy, 1, 0) != 0)
        return AskResult::Busy;
    InterlockedExchange(&asker.lateAnswerReady, 0);
    asker.window = window;
    asker.questions = questions;
    ResetEvent(asker.answerReady);
    SetEvent(asker.questionReady);
    if (WaitForSingleObject(asker.answerReady, waitMs) != WAIT_OBJECT_0) {
        InterlockedExchange(&asker.callerGaveUp, 1);
        // The answer may have come between the wait and the line above: then it is not late.
        if (WaitForSingleObject(asker.answerReady, 0) != WAIT_OBJECT_0)
            return AskResult::TimedOut;
        InterlockedExchange(&asker.callerGaveUp, 0);
    }
    // The thread may still be finishing: it is idle before the next question can be asked.
    answer = asker.answer;
    return AskResult::Answered;
}

void announceLateAnswers(HWND window, UINT message) {
    asker.announceTo = window;
    asker.announceMessage = message;
}

bool takeLateAnswer(HWND &window, AccessibleFocus &answer) {
    if (asker.busy || InterlockedExchange(&asker.lateAnswerReady, 0) == 0)
        return false;
    window = asker.window;
    answer = asker.answer;
    return true;
}
