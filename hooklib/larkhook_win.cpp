// The system-wide keyboard and mouse hooks: the path of a key through the hook library. This code
// runs inside every program that receives input, and out of context on the installing thread for
// the programs that cannot load it, so it keeps its state in the session's shared hook state
// block (hook_state.h), allocates nothing and decides each key with hookkeys::decideKeyRole and
// hookkeys::decideKeyDown. Built twice: larkhook.dll, the main program's own library, and
// larkhook32.dll, the library of the helper of the other bitness. The exported setters and getters
// live in published_state_win.cpp, the installation of the hooks in hook_installation_win.cpp.
#define LARKHOOK_BUILD
#include "hooklib/larkhook.h"

#include <imm.h>

#include "hooklib/hook_installation_win.h"
#include "hooklib/hook_state_win.h"
#include "hooklib/key_decision.h"
#include "hooklib/published_state_win.h"
#include "hooklib/tracked_keys.h"
#include "hooklib/typed_in_program_win.h"
#include "hooklib/typed_key_win.h"
#include "hooklib/window_request_win.h"
#include "win32/kernel_handle_win.h"
#include "win32/window_dc_win.h"

using namespace hookstate;

namespace {

// A forwarded key waits for the main program, which types a picked word into the waiting
// program during that call. The wait is bounded so that a busy or hung main program never
// stops the desktop from taking keystrokes: an unhandled key simply passes on. Once a wait ran
// out, the following keys wait only briefly until the main program answers again.
const UINT kForwardTimeoutMs = 500;
const UINT kStalledForwardTimeoutMs = 50;

const LPARAM kRepeatFlag = 0x40000000;
const LPARAM kKeyUpFlag = static_cast<LPARAM>(0x80000000u);

unsigned nextKeySerial(HookState &s) {
    for (;;) {
        const unsigned serial =
            static_cast<unsigned>(InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s.lastForwardSerial))) &
            0xFFFF;
        if (serial != 0)
            return serial;
    }
}

void endListEpoch(HookState &s) { InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s.listEpoch)); }


// A key handed to the main program takes a slot with the context of the program it was typed in,
// as recorded for the last key there, so that the main program handles it for that program even
// when the user already types elsewhere. The claim is written last: a reader that finds this
// serial in the slot finds its context complete.
unsigned handOver(HookState &s, KeyClaim claim) {
    const unsigned serial = nextKeySerial(s);
    KeySlot &slot = keySlotOf(s, serial);
    markKey(slot, 0, kKeyPosted); // a reader of the key this slot held before sees it gone
    slot.focusWindow = s.focusWindow;
    slot.caretX = resolvedCaretX(s);
    slot.caretY = resolvedCaretY(s);
    slot.hasCaret = s.caretClientX != 0 || s.caretClientY != 0;
    slot.charHeight = s.charHeight;
    slot.listEpoch = s.listEpoch;
    memcpy(slot.moduleFileName, s.moduleFileName, sizeof slot.moduleFileName);
    slot.moduleFileName[kPathSize - 1] = '\0';
    markKey(slot, serial, claim);
    return serial;
}

WPARAM keyParameter(int code, unsigned serial) {
    return static_cast<WPARAM>(code & 0xFFFF) | static_cast<WPARAM>(serial) << 16;
}

// True when the main program took the key: it answers kKeyTaken, or "not taken", and then the
// user's own key goes on to the program typed in, as pressed, never replayed later. The only wait
// of the hook on the main program, and a bounded one. When the wait runs out the key is decided
// once: the main program may have claimed it just before (it then acts on it and the key is
// consumed), or the program typed in gets it.
bool forwardKey(HookState &s, int code, LPARAM flags) {
    const HWND program = toWindow(s.programWindow);
    if (!program)
        return false;
    const unsigned serial = handOver(s, kKeyWaiting);
    const UINT timeout = s.forwardStalled ? kStalledForwardTimeoutMs : kForwardTimeoutMs;
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(program, WM_KEYDOWN, keyParameter(code, serial), flags, SMTO_ABORTIFHUNG, timeout,
                            &answer)) {
        s.forwardStalled = 0;
        return answer == kKeyTaken;
    }
    s.forwardStalled = 1;
    switch (giveUpKey(keySlotOf(s, serial), serial)) {
    case GivenUp::Claimed:
        return true;
    case GivenUp::Abandoned:
        // Windows may withdraw a message whose sender stopped waiting: the main program hears of
        // the key from the note, in its place among the keys, and follows what it did here.
        if (PostMessageA(program, kPostedKeyMessage, keyParameter(code, serial), flags))
            InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s.postedKeys));
        return false;
    case GivenUp::Declined:
        break;
    }
    return false;
}

// Letters and the Escape that ends a word: the main program takes them in order, right after.
void postKey(HookState &s, int code, LPARAM flags) {
    const HWND program = toWindow(s.programWindow);
    if (!program)
        return;
    const unsigned serial = handOver(s, kKeyPosted);
    if (PostMessageA(program, kPostedKeyMessage, keyParameter(code, serial), flags))
        InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s.postedKeys));
}

// Before a key that acts on the list: the main program first handles the letters still queued, so
// that the list state is that of the last letter. Only then does the typing program wait.
void catchUp(HookState &s) {
    const HWND program = toWindow(s.programWindow);
    if (!program || s.postedKeys == s.postedKeysHandled)
        return;
    const UINT timeout = s.forwardStalled ? kStalledForwardTimeoutMs : kForwardTimeoutMs;
    DWORD_PTR ignored = 0;
    s.forwardStalled = SendMessageTimeoutA(program, kCatchUpMessage, 0, 0, SMTO_ABORTIFHUNG, timeout, &ignored) ? 0 : 1;
}

// Hides the list from the main program's own message loop: nothing here waits for its windows.
// A list asked hidden already is hidden or has its hide on the way (whoever cleared the shown
// state posted it), so asking again, or looking at the window in another process, is not needed.
void hideSuggestions(HookState &s) {
    const HWND program = toWindow(s.programWindow);
    if (!program || !s.suggestionsShown)
        return;
    s.suggestionsShown = 0;
    PostMessageA(program, kSyncSuggestionsMessage, 0, 0);
}

// The word ends: a new list epoch begins, so a letter of it pressed before and handled after
// never shows the list again.
void dismissSuggestions(HookState &s) {
    postKey(s, VK_ESCAPE, 0);
    endListEpoch(s);
    hideSuggestions(s);
}

// A window of any process: the style is read from the window manager's copy. A field that
// accessibility marks protected counts too (the main program looks that up, as the hook must not
// wait for another program's answer).
bool isPasswordField(const HookState &s, HWND window) {
    if (window && s.protectedWindow == fromWindow(window))
        return true;
    return IsWindow(window) && (GetWindowLongA(window, GWL_STYLE) & ES_PASSWORD) != 0;
}

// Browsers and the programs built on them keep no system caret and draw their own fields; in a
// password field they switch the input method off for their window (its input context is taken
// away), whether or not they serve accessibility. Read inside the program only: the context of
// another process's window cannot be asked.
bool inputMethodOff(HWND window) {
    const HIMC context = window ? ImmGetContext(window) : nullptr;
    if (!context)
        return window != nullptr;
    ImmReleaseContext(window, context);
    return false;
}

// The main program shows or hides the window when it takes the message, deciding on the
// visibility it has then, so that two quick presses always show and hide again.
void toggleWindow(HookState &s, HWND window, int showCommand, bool takesKeyboard) {
    const HWND program = toWindow(s.programWindow);
    if (program)
        requestWindowToggle(program, window, showCommand, takesKeyboard);
    else
        ShowWindowAsync(window, IsWindowVisible(window) ? SW_HIDE : showCommand);
}

// The main program empties the strip as it shows it, and gives it the keyboard.
void toggleCommandWindow(HookState &s) {
    toggleWindow(s, toWindow(s.commandWindow), SW_SHOW, true);
}

// The caret moves with every key; the metrics of a fresh device context and the executable are
// measured again only when the focus window or the process changes. Where the program keeps a
// system caret, its height is the line height, inside the program and out: a fresh device
// context knows nothing of the program's font, nor of the scale of the monitor it is shown on.
void recordContext(HookState &s, const TypedInProgram &program, const FocusAndCaret &at) {
    POINT caret = {at.caret.left, at.caret.top};
    s.caretClientX = caret.x;
    s.caretClientY = caret.y;
    ClientToScreen(at.caretWindow ? at.caretWindow : at.focus, &caret);
    s.caretScreenX = caret.x;
    s.caretScreenY = caret.y;

    if (s.metricsWindow != fromWindow(at.focus)) {
        WindowDC dc(at.focus);
        TEXTMETRICA metrics;
        if (dc && GetTextMetricsA(dc.get(), &metrics)) {
            s.charWidth = metrics.tmAveCharWidth;
            s.charHeight = metrics.tmHeight;
            s.metricsWindow = fromWindow(at.focus);
        }
    }
    const int caretHeight = at.caret.bottom - at.caret.top;
    if (at.caretWindow && caretHeight > 0)
        s.charHeight = caretHeight;

    if (s.moduleProcessId != program.processId) {
        setHookStateModuleFileName(s, moduleFileNameOf(program));
        s.moduleProcessId = program.processId;
    }
}

// Asked out of context only, at every key; the answer is kept for a second in this thread, as it
// changes only when the other library's installer ends.
bool installerIsAlive(DWORD id) {
    thread_local DWORD checkedId = 0;
    thread_local DWORD checkedAt = 0;
    thread_local bool alive = false;
    const DWORD now = GetTickCount();
    if (id != checkedId || now - checkedAt > 1000) {
        KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
        alive = process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
        checkedId = id;
        checkedAt = now;
    }
    return alive;
}

hookkeys::KeyRole roleFor(const HookState &s, const TypedInProgram &program, bool outOfContext) {
    hookkeys::KeyOwnerInput owner;
    owner.library = kOwnBitness;
    owner.mainLibrary = kRole == kMainLibrary;
    owner.inContext = !outOfContext;
    owner.program = program.known ? program.bitness : hookkeys::Bitness::Unknown;
    owner.otherLibraryServes =
        outOfContext && s.hooksInstalled[kOtherRole] && installerIsAlive(s.installerProcessId[kOtherRole]);
    return hookkeys::decideKeyRole(owner);
}

// The next hooks are called from inside CallNextHookEx. If this library's procedure is in the chain
// twice (a helper that died without removing its hooks under Wine, or hooks started twice), the
// second call comes from inside the first one's pass-on, for the same key: it only passes on.
thread_local bool passingOn = false;

LRESULT passOn(int code, WPARAM vk, LPARAM flags) {
    passingOn = true;
    const LRESULT result = CallNextHookEx(nullptr, code, vk, flags);
    passingOn = false;
    return result;
}

// The thread's record of its modifier keys, kept from the key events it reads (tracked_keys.h).
thread_local TrackedKeys trackedKeys;

// The key state of the thread that reads the key: its own record while that follows it, otherwise
// the window system's answer, which the record then starts from.
void keyStateOfThisThread(KeyboardState &keys, uint32_t priorEvent, DWORD tick) {
    if (trackedKeys.follows(priorEvent, tick)) {
        trackedKeys.fill(keys.keys);
    } else if (GetKeyboardState(keys.keys)) {
        trackedKeys.resetFrom(keys.keys, priorEvent, tick);
    } else {
        ZeroMemory(keys.keys, sizeof keys.keys);
        trackedKeys.forget();
    }
    takeModifiers(keys);
}

// The key's own change to the record: down or up, and a toggle's turn.
void noteKeyEvent(WPARAM vk, LPARAM flags, uint32_t priorEvent, DWORD tick) {
    trackedKeys.note(static_cast<int>(vk), (flags & kKeyUpFlag) != 0, (flags & kRepeatFlag) != 0,
                     (flags & 0x01000000) != 0, static_cast<int>((flags >> 16) & 0xFF), priorEvent, tick);
}

// Letters are read from the layout with the keys as held: a plain key, or one with Ctrl and Alt
// together (AltGr). Ctrl or Alt alone make shortcuts, which type no letter.
bool mayBeTyped(const KeyboardState &keys) { return keys.ctrl == keys.alt; }

// What the key does to the word and the list, and whether the program gets it.
LRESULT actOnKeyDown(HookState &s, hookkeys::KeyInput &in, const TypedInProgram &program, WPARAM vk, LPARAM flags) {
    const HWND commandWindow = toWindow(s.commandWindow);
    FocusAndCaret at;
    if (in.role == hookkeys::KeyRole::Acts && (!in.altDown || in.typed != hookkeys::Typed::Other) && in.enabled) {
        at = focusAndCaretOf(program);
        in.focusChanged = fromWindow(at.focus) != s.focusWindow;
        in.passwordField =
            isPasswordField(s, at.focus) || (program.here && !at.caretWindow && inputMethodOff(at.focus));
        in.inCommandEdit = at.focus && commandWindow && GetParent(GetParent(at.focus)) == commandWindow;
    }

    if (hookkeys::dependsOnTheList(in)) {
        catchUp(s);
        in.suggestionsVisible = s.suggestionsShown != 0;
    }
    const hookkeys::KeyDecision d = hookkeys::decideKeyDown(in);
    // A hide of the hooks' own, or a focus change, begins a new list epoch.
    if (d.hideSuggestions || (d.examineFocus && in.focusChanged))
        endListEpoch(s);
    if (d.hideSuggestions)
        hideSuggestions(s);
    if (d.examineFocus)
        s.focusWindow = fromWindow(at.focus);
    if (d.recordContext)
        recordContext(s, program, at);
    if (d.dismissFirst)
        dismissSuggestions(s);
    switch (d.toggle) {
    case hookkeys::Toggle::Enable:
        s.enableState = s.enableState == 0 ? 1 : 0;
        break;
    case hookkeys::Toggle::CommandWindow:
        toggleCommandWindow(s);
        break;
    case hookkeys::Toggle::KeyboardWindow:
        toggleWindow(s, toWindow(s.keyboardWindow), SW_SHOWNOACTIVATE, false);
        break;
    case hookkeys::Toggle::None:
        break;
    }
    // A key the main program did not take, or could not be handed over, is the program's after
    // all, as the user pressed it: nothing is lost, nothing replayed.
    bool taken = true;
    if (d.forward && d.forwardWaits)
        taken = forwardKey(s, d.forwardCode, flags);
    else if (d.forward)
        postKey(s, d.forwardCode, flags);
    if (d.dismissAfter)
        dismissSuggestions(s);
    const bool consumed = d.consume && taken;
    // The repeats of this key, if it is held, follow its press.
    if (!in.repeat) {
        s.heldKey = static_cast<int32_t>(vk);
        s.heldKeyConsumed = consumed ? 1 : 0;
    }
    return consumed ? 1 : passOn(0, vk, flags);
}

bool isButtonDown(WPARAM message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

} // namespace

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM vk, LPARAM flags) {
    if (code != 0 || passingOn)
        return CallNextHookEx(nullptr, code, vk, flags);
    HookState *state = soundHookState();
    if (!state)
        return passOn(0, vk, flags);
    HookState &s = *state;
    if (flags & kKeyUpFlag) {
        if (!isInstallingThread())
            noteKeyEvent(vk, flags, countKeyEvent(s), GetTickCount());
        return passOn(0, vk, flags);
    }

    // Every call below may be a round trip to the window system (under Wine, to its server), and
    // the program typed in waits for all of them: the key state comes in one call, the focus and
    // the caret in another, the program's bitness and executable once per program.
    const bool outOfContext = isInstallingThread();
    const TypedInProgram program = typedInProgram(outOfContext);
    hookkeys::KeyInput in;
    in.role = roleFor(s, program, outOfContext);
    if (in.role == hookkeys::KeyRole::PassesOn)
        return passOn(0, vk, flags);
    KeyboardState keys;
    uint32_t priorEvent = 0;
    const DWORD tick = GetTickCount();
    if (program.here) {
        priorEvent = countKeyEvent(s);
        keyStateOfThisThread(keys, priorEvent, tick);
    } else {
        readKeyboardState(program, keys);
    }

    in.vk = static_cast<int>(vk);
    in.repeat = (flags & kRepeatFlag) != 0;
    in.heldKeyConsumed = in.repeat && s.heldKey == static_cast<int32_t>(vk) && s.heldKeyConsumed != 0;
    in.altDown = keys.alt;
    in.ctrlDown = keys.ctrl;
    in.shiftDown = keys.shift;
    in.winDown = keys.win;
    in.enabled = s.enableState != 0;
    in.commandKey = static_cast<char>(s.commandKey);
    in.enableKey = static_cast<char>(s.enableKey);
    in.keyboardKey = static_cast<char>(s.keyboardKey);
    in.haveCommandWindow = s.commandWindow != 0;
    in.haveKeyboardWindow = s.keyboardWindow != 0;
    in.suggestionsVisible = s.suggestionsShown != 0;
    if (in.role == hookkeys::KeyRole::Acts && in.enabled && mayBeTyped(keys)) {
        const TypedKey typed = typedKeyOf(static_cast<UINT>(vk), static_cast<UINT>(flags >> 16) & 0xFF, keys.keys,
                                          GetKeyboardLayout(program.threadId));
        in.typed = typed.typed;
        in.letter = typed.letter;
    }
    if (program.here)
        noteKeyEvent(vk, flags, priorEvent, tick);
    // A held key whose repeats only follow its press needs nothing more of the program.
    if (in.repeat && !hookkeys::repeatActsOnTheWord(in))
        return hookkeys::decideKeyDown(in).consume ? 1 : passOn(0, vk, flags);
    return actOnKeyDown(s, in, program, vk, flags);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM info) {
    if (code != 0)
        return CallNextHookEx(nullptr, code, message, info);
    HookState *state = soundHookState();
    if (state && message != WM_MOUSEMOVE) {
        if (message == WM_LBUTTONDOWN && info) {
            const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT *>(info)->pt;
            state->clickX = pt.x;
            state->clickY = pt.y;
        }
        // No Escape: a click only hides the list, the typed word stays; a letter pressed before
        // the click does not show it again.
        if (isButtonDown(message)) {
            endListEpoch(*state);
            // A click may move the focus: no thread's record of its keys is trusted past it.
            countKeyEvent(*state);
        }
        hideSuggestions(*state);
    }
    return CallNextHookEx(nullptr, 0, message, info);
}


extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    setHookModule(instance);
    if (reason == DLL_PROCESS_ATTACH)
        mapHookState();
    else if (reason == DLL_PROCESS_DETACH && !reserved) // a process that ends frees it anyway
        unmapHookState();
    return TRUE;
}
