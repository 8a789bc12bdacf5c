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
    AccessibleQuestion question;
    AccessibleAnswer answer;
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

VARIANT childVariant(LONG child) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

bool stateOf(IAccessible *object, LONG child, LONG &state) {
    VARIANT value;
    VariantInit(&value);
    if (FAILED(object->get_accState(childVariant(child), &value)) || value.vt != VT_I4) {
        VariantClear(&value);
        return false;
    }
    state = value.lVal;
    return true;
}

// The state of the element, as its container answers for it, or as the element's own object
// does where the container hands that out instead.
bool elementState(IAccessible *container, LONG child, LONG &state) {
    if (stateOf(container, child, state))
        return true;
    if (child == CHILDID_SELF)
        return false;
    IDispatch *dispatch = nullptr;
    if (container->get_accChild(childVariant(child), &dispatch) != S_OK || !dispatch)
        return false;
    IAccessible *element = nullptr;
    const HRESULT found = dispatch->QueryInterface(kAccessibleIid, reinterpret_cast<void **>(&element));
    dispatch->Release();
    if (FAILED(found) || !element)
        return false;
    const bool known = stateOf(element, CHILDID_SELF, state);
    element->Release();
    return known;
}

bool caretLocation(IAccessible *caret, RECT &rect) {
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(caret->accLocation(&left, &top, &width, &height, childVariant(CHILDID_SELF))) || height <= 0)
        return false;
    rect = {left, top, left + width, top + height};
    return true;
}

// The objects of the window last asked, each fetched when first needed and kept while questions
// are about that window: fetching an object from another process is what costs (under Wine a
// tenth of a second), asking it again is one call.
struct ObjectCache {
    HWND window = nullptr;
    bool caretFetched = false, clientFetched = false;
    IAccessible *caret = nullptr;
    IAccessible *client = nullptr;

    void keepFor(HWND asked) {
        if (asked == window)
            return;
        release();
        window = asked;
    }
    IAccessible *caretObject() {
        if (!caretFetched) {
            caret = ownObject(window, OBJID_CARET);
            caretFetched = true;
        }
        return caret;
    }
    IAccessible *clientObject() {
        if (!clientFetched) {
            client = ownObject(window, OBJID_CLIENT);
            clientFetched = true;
        }
        return client;
    }
    void release() {
        if (client)
            client->Release();
        if (caret)
            caret->Release();
        client = caret = nullptr;
        caretFetched = clientFetched = false;
        window = nullptr;
    }
} objects;

AccessibleAnswer answerQuestion(const AccessibleQuestion &question) {
    AccessibleAnswer answer;
    objects.keepFor(question.window);
    if (question.kind == AccessibleQuestion::kCaret) {
        IAccessible *caret = objects.caretObject();
        answer.servesObject = caret != nullptr;
        answer.haveCaret = caret && caretLocation(caret, answer.caret);
        return answer;
    }
    // The element a focus event named: its container is the window's client object (kept), or an
    // object of the program's own id (asked once).
    const bool client = question.objectId == OBJID_CLIENT;
    IAccessible *container = client ? objects.clientObject() : ownObject(question.window, question.objectId);
    answer.servesObject = container != nullptr;
    LONG state = 0;
    if (container && elementState(container, question.childId, state)) {
        answer.knowsState = true;
        answer.isProtected = (state & STATE_SYSTEM_PROTECTED) != 0;
    }
    if (container && !client)
        container->Release();
    return answer;
}

DWORD WINAPI askingThread(LPVOID) {
    // Objects of other processes come as proxies; a thread of the free-threaded apartment needs no
    // message loop for their calls.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        if (WaitForSingleObject(asker.questionReady, INFINITE) != WAIT_OBJECT_0)
            break;
        asker.answer = answerQuestion(asker.question);
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

AskResult askAccessibility(const AccessibleQuestion &question, DWORD waitMs, AccessibleAnswer &answer) {
    if (!question.window || !startAsker() || InterlockedCompareExchange(&asker.busy, 1, 0) != 0)
        return AskResult::Busy;
    InterlockedExchange(&asker.lateAnswerReady, 0);
    asker.question = question;
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

bool awaitAnswer(DWORD waitMs, AccessibleQuestion &question, AccessibleAnswer &answer) {
    if (asker.busy) {
        if (WaitForSingleObject(asker.answerReady, waitMs) != WAIT_OBJECT_0)
            return false;
        // The answer is there; the thread marks it late just before it becomes idle.
        while (asker.busy)
            Sleep(0);
    }
    return takeLateAnswer(question, answer);
}

void announceLateAnswers(HWND window, UINT message) {
    asker.announceTo = window;
    asker.announceMessage = message;
}

bool takeLateAnswer(AccessibleQuestion &question, AccessibleAnswer &answer) {
    if (asker.busy || InterlockedExchange(&asker.lateAnswerReady, 0) == 0)
        return false;
    question = asker.question;
    answer = asker.answer;
    return true;
}
