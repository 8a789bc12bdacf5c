// The system-wide keyboard and mouse hooks. This code runs inside every program that receives
// input, and out of context on the installing thread for the programs that cannot load it, so it
// keeps its state in the session's shared hook state block (hook_state.h), allocates nothing and
// decides each key with hookkeys::decideKeyRole and hookkeys::decideKeyDown. Built twice:
// larkhook.dll, the main program's own library, and larkhook32.dll, the library of the helper of
// the other bitness.
#define LARKHOOK_BUILD
#include "hooklib/larkhook.h"

#include "hooklib/hook_state_win.h"
#include "hooklib/key_decision.h"
#include "hooklib/shared_section.h"
#include "hooklib/typed_in_program_win.h"
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

#ifdef WL_HOOK_HELPER_LIBRARY
const LibraryRole kRole = kHelperLibrary;
const LibraryRole kOtherRole = kMainLibrary;
#else
const LibraryRole kRole = kMainLibrary;
const LibraryRole kOtherRole = kHelperLibrary;
#endif

HINSTANCE moduleInstance = nullptr;

} // namespace

// What belongs to this library alone: its hooks, shared by every process that loads it.
LARKHOOK_SHARED HHOOK keyboardHook = 0;
LARKHOOK_SHARED HHOOK mouseHook = 0;

namespace {

// What the main program handed to the block, kept in its own process so that a block set up anew
// (another program spoiled it) gets it back at once. Only the process that installed this
// library's hooks fills it.
struct Published {
    uint32_t programWindow = 0, keyboardWindow = 0, commandWindow = 0, commandCombo = 0;
    uint8_t commandKey = 0x20, enableKey = 0x4D, keyboardKey = 0x4F;
    int32_t enableState = 1;
    bool hooksInstalled = false;
} published;

void publish(HookState &s) {
    s.installerProcessId[kRole] = published.hooksInstalled ? GetCurrentProcessId() : 0;
    s.hooksInstalled[kRole] = published.hooksInstalled ? 1 : 0;
    if (kRole != kMainLibrary)
        return;
    s.programWindow = published.programWindow;
    s.keyboardWindow = published.keyboardWindow;
    s.commandWindow = published.commandWindow;
    s.commandCombo = published.commandCombo;
    s.commandKey = published.commandKey;
    s.enableKey = published.enableKey;
    s.keyboardKey = published.keyboardKey;
}

// The block for the main program's setters. Set up anew when it is not sound, and then given
// everything the main program published before, so that completion goes on without a restart.
// The helper never sets the block up: it waits for the main program to do it.
HookState *publishedHookState() {
    HookState *sound = soundHookState();
    if (sound || kRole != kMainLibrary)
        return sound;
    HookState *s = ownedHookState();
    if (!s)
        return nullptr;
    publish(*s);
    s->enableState = published.enableState;
    return s;
}

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


// Where the list goes for the last key: a caret client coordinate of exactly 0 counts as no
// caret, and the last left click stands in for it.
int resolvedCaretX(const HookState &s) { return s.caretClientX != 0 ? s.caretScreenX : s.clickX; }
int resolvedCaretY(const HookState &s) { return s.caretClientY != 0 ? s.caretScreenY : s.clickY; }

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

// True when the main program took the key. The only wait of the hook on the main program, and a
// bounded one. When the wait runs out the key is decided once: the main program may have claimed
// it just before (it then acts on it and the key is consumed), or the program typed in gets it.
bool forwardKey(HookState &s, int code, LPARAM flags) {
    const HWND program = toWindow(s.programWindow);
    if (!program)
        return false;
    const unsigned serial = handOver(s, kKeyWaiting);
    const UINT timeout = s.forwardStalled ? kStalledForwardTimeoutMs : kForwardTimeoutMs;
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(program, WM_KEYDOWN, keyParameter(code, serial), flags, SMTO_ABORTIFHUNG, timeout,
                            &ignored)) {
        s.forwardStalled = 0;
        return true;
    }
    s.forwardStalled = 1;
    return !abandonKey(keySlotOf(s, serial), serial);
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

bool processIsAlive(DWORD id) {
    KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Asked at every key; the answer is kept for a second in this thread, as it changes only when the
// other library's installer ends.
bool installerIsAlive(DWORD id) {
    thread_local DWORD checkedId = 0;
    thread_local DWORD checkedAt = 0;
    thread_local bool alive = false;
    const DWORD now = GetTickCount();
    if (id != checkedId || now - checkedAt > 1000) {
        alive = processIsAlive(id);
        checkedId = id;
        checkedAt = now;
    }
    return alive;
}

hookkeys::KeyRole roleFor(const HookState &s, const TypedInProgram &program) {
    hookkeys::KeyOwnerInput owner;
    owner.library = kOwnBitness;
    owner.mainLibrary = kRole == kMainLibrary;
    owner.program = program.bitness;
    owner.otherLibraryServes = s.hooksInstalled[kOtherRole] && installerIsAlive(s.installerProcessId[kOtherRole]);
    return hookkeys::decideKeyRole(owner);
}

// The next hooks are called from inside CallNextHookEx. If this library's procedure is in the chain
// twice (a helper that died without removing its hooks under Wine, or hooks started twice), the
// second call comes from inside the first one's pass-on, for the same key: it only passes on.
thread_local bool passingOn = false;

LRESULT passOn(int code, WPARAM vk, LPARAM flags) {
    passingOn = true;
    const LRESULT result = CallNextHookEx(keyboardHook, code, vk, flags);
    passingOn = false;
    return result;
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
        return CallNextHookEx(keyboardHook, code, vk, flags);
    if (flags & 0x40000000)
        return passOn(0, vk, flags);
    HookState *state = soundHookState();
    if (!state)
        return passOn(0, vk, flags);
    HookState &s = *state;

    // Every call below may be a round trip to the window system (under Wine, to its server), and
    // the program typed in waits for all of them: the key state comes in one call, the focus and
    // the caret in another, the program's bitness and executable once per program.
    const TypedInProgram program = typedInProgram();
    const Modifiers modifiers = modifiersOf(program);

    hookkeys::KeyInput in;
    in.vk = static_cast<int>(vk);
    in.altDown = modifiers.alt;
    in.ctrlDown = modifiers.ctrl;
    in.shiftDown = modifiers.shift;
    in.winDown = modifiers.win;
    in.enabled = s.enableState != 0;
    in.commandKey = static_cast<char>(s.commandKey);
    in.enableKey = static_cast<char>(s.enableKey);
    in.keyboardKey = static_cast<char>(s.keyboardKey);
    in.haveCommandWindow = s.commandWindow != 0;
    in.haveKeyboardWindow = s.keyboardWindow != 0;
    in.suggestionsVisible = s.suggestionsShown != 0;
    in.role = roleFor(s, program);
    const HWND commandWindow = toWindow(s.commandWindow);
    FocusAndCaret at;
    if (in.role == hookkeys::KeyRole::Acts && !in.altDown && in.enabled) {
        at = focusAndCaretOf(program);
        in.focusChanged = fromWindow(at.focus) != s.focusWindow;
        in.passwordField = isPasswordField(s, at.focus);
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
    // A key that could not be handed over is the application's after all: nothing is lost.
    bool handedOver = true;
    if (d.forward && d.forwardWaits)
        handedOver = forwardKey(s, d.forwardCode, flags);
    else if (d.forward)
        postKey(s, d.forwardCode, flags);
    if (d.dismissAfter)
        dismissSuggestions(s);
    return d.consume && handedOver ? 1 : passOn(0, vk, flags);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM info) {
    if (code != 0)
        return CallNextHookEx(mouseHook, code, message, info);
    HookState *state = soundHookState();
    if (state && message != WM_MOUSEMOVE) {
        if (message == WM_LBUTTONDOWN && info) {
            const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT *>(info)->pt;
            state->clickX = pt.x;
            state->clickY = pt.y;
        }
        // No Escape: a click only hides the list, the typed word stays; a letter pressed before
        // the click does not show it again.
        if (isButtonDown(message))
            endListEpoch(*state);
        hideSuggestions(*state);
    }
    return CallNextHookEx(mouseHook, 0, message, info);
}

// The setters are the main program's: they set the block up anew when another program spoiled it,
// with everything published before.
HWND SetProgramWindow(HWND window) {
    published.programWindow = fromWindow(window);
    if (HookState *s = publishedHookState())
        s->programWindow = published.programWindow;
    return window;
}

HWND SetKeyboardWindow(HWND window) {
    published.keyboardWindow = fromWindow(window);
    if (HookState *s = publishedHookState())
        s->keyboardWindow = published.keyboardWindow;
    return window;
}

HWND SetCommandWindow(HWND window, HWND combo) {
    published.commandWindow = fromWindow(window);
    published.commandCombo = fromWindow(combo);
    if (HookState *s = publishedHookState()) {
        s->commandWindow = published.commandWindow;
        s->commandCombo = published.commandCombo;
    }
    return window;
}

int SetEnableState(int state) {
    published.enableState = state;
    if (HookState *s = publishedHookState())
        s->enableState = state;
    return state;
}

int GetEnableState() {
    const HookState *s = soundHookState();
    return s ? s->enableState : 1;
}

int SetSuggestionsShown(int shown) {
    if (HookState *s = publishedHookState())
        s->suggestionsShown = shown;
    return shown;
}

int GetSuggestionsShown() {
    const HookState *s = soundHookState();
    return s ? s->suggestionsShown : 0;
}

BOOL ClaimForwardedKey(unsigned serial) {
    HookState *s = soundHookState();
    return s && serial != 0 && claimKey(keySlotOf(*s, serial), serial);
}

BOOL GetKeyOrigin(unsigned serial, KeyOrigin *origin) {
    const HookState *s = soundHookState();
    if (!s || !origin || !keySlotHolds(keySlotOf(*s, serial), serial))
        return FALSE;
    const KeySlot &slot = keySlotOf(*s, serial);
    origin->focus = toWindow(slot.focusWindow);
    origin->caretX = slot.caretX;
    origin->caretY = slot.caretY;
    origin->hasCaret = slot.hasCaret;
    origin->charHeight = slot.charHeight;
    origin->listCurrent = slot.listEpoch == s->listEpoch;
    lstrcpynA(origin->modulePath, keySlotModuleFileName(slot).c_str(), sizeof origin->modulePath);
    // A later key took the slot over while it was read: what was read may be mixed.
    return keySlotHolds(slot, serial);
}

void PostedKeyHandled() {
    if (HookState *s = soundHookState())
        InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s->postedKeysHandled));
}

void PostedKeysCaughtUp() {
    if (HookState *s = soundHookState())
        s->postedKeysHandled = s->postedKeys;
}

HWND SetProtectedWindow(HWND window) {
    if (HookState *s = ownedHookState())
        s->protectedWindow = fromWindow(window);
    return window;
}

void SetHotKeys(char command, char enable, char keyboard) {
    published.commandKey = static_cast<uint8_t>(command);
    published.enableKey = static_cast<uint8_t>(enable);
    published.keyboardKey = static_cast<uint8_t>(keyboard);
    if (HookState *s = publishedHookState()) {
        s->commandKey = published.commandKey;
        s->enableKey = published.enableKey;
        s->keyboardKey = published.keyboardKey;
    }
}

void RepairHookState() {
    // The hot keys switch the enable state inside the block: what it was a second ago is what a
    // block set up anew gets back.
    if (const HookState *sound = soundHookState(); sound && kRole == kMainLibrary)
        published.enableState = sound->enableState;
    if (HookState *s = publishedHookState())
        publish(*s);
}

namespace {

// The helper's hooks, one keyboard and one mouse hook per thread of a program of its bitness, in
// the helper's process. A global hook's chain is shared by every program: where the first hook of
// that chain cannot be loaded (a library of the other bitness) Wine ends the chain, and Windows
// calls it out of context. A thread's own hooks come before the global ones in every system, so
// the helper's library is always the first hook in a program of its bitness, and the main
// library's global hooks serve the programs of the main bitness.
struct ThreadHooks {
    DWORD threadId;
    HHOOK keyboard, mouse;
};
const int kMaxThreadHooks = 256;
ThreadHooks threadHooks[kMaxThreadHooks];
int threadHookCount = 0;

bool threadIsAlive(DWORD threadId) {
    KernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, threadId));
    return thread && WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT;
}

void unhookThread(ThreadHooks &hooks) {
    if (hooks.keyboard)
        UnhookWindowsHookEx(hooks.keyboard);
    if (hooks.mouse)
        UnhookWindowsHookEx(hooks.mouse);
    hooks = ThreadHooks{0, nullptr, nullptr};
}

// Makes room by dropping the hooks of threads that ended.
void pruneThreadHooks() {
    int kept = 0;
    for (int i = 0; i < threadHookCount; ++i) {
        if (threadIsAlive(threadHooks[i].threadId))
            threadHooks[kept++] = threadHooks[i];
        else
            unhookThread(threadHooks[i]);
    }
    threadHookCount = kept;
}

} // namespace

HHOOK Start() {
    published.hooksInstalled = true;
    if (HookState *s = publishedHookState())
        publish(*s);
    // The helper hooks the threads of its programs one by one (ServeThreadOf).
    if (kRole != kMainLibrary)
        return nullptr;
    keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, moduleInstance, 0);
    mouseHook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, moduleInstance, 0);
    return mouseHook;
}

BOOL ServeThreadOf(HWND window) {
    DWORD processId = 0;
    const DWORD threadId = window ? GetWindowThreadProcessId(window, &processId) : 0;
    if (!threadId || processId == GetCurrentProcessId())
        return FALSE;
    for (int i = 0; i < threadHookCount; ++i)
        if (threadHooks[i].threadId == threadId)
            return TRUE;
    if (factsOf(processId).bitness != kOwnBitness)
        return FALSE;
    if (threadHookCount == kMaxThreadHooks)
        pruneThreadHooks();
    if (threadHookCount == kMaxThreadHooks)
        return FALSE;
    ThreadHooks hooks = {threadId, SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, moduleInstance, threadId),
                         SetWindowsHookExA(WH_MOUSE, MouseHookProc, moduleInstance, threadId)};
    if (!hooks.keyboard && !hooks.mouse)
        return FALSE;
    threadHooks[threadHookCount++] = hooks;
    return TRUE;
}

BOOL Stop() {
    for (int i = 0; i < threadHookCount; ++i)
        unhookThread(threadHooks[i]);
    threadHookCount = 0;
    if (keyboardHook && UnhookWindowsHookEx(keyboardHook))
        keyboardHook = 0;
    BOOL removed = FALSE;
    if (mouseHook && UnhookWindowsHookEx(mouseHook)) {
        mouseHook = 0;
        removed = TRUE;
    }
    published.hooksInstalled = false;
    HookState *s = soundHookState();
    if (s && s->installerProcessId[kRole] == GetCurrentProcessId())
        s->hooksInstalled[kRole] = 0;
    return removed;
}

HWND GetFocusWindow() {
    const HookState *s = soundHookState();
    return s ? toWindow(s->focusWindow) : nullptr;
}

int GetCaretX() {
    const HookState *s = soundHookState();
    return s ? resolvedCaretX(*s) : 0;
}

int GetCaretY() {
    const HookState *s = soundHookState();
    return s ? resolvedCaretY(*s) : 0;
}

int GetCharX() {
    const HookState *s = soundHookState();
    return s ? s->charWidth : 0;
}

int GetCharY() {
    const HookState *s = soundHookState();
    return s ? s->charHeight : 0;
}

namespace {

int copyOut(char *buffer, const char *text) {
    if (!buffer)
        return 0;
    lstrcpynA(buffer, text, kPathSize);
    return lstrlenA(buffer);
}

} // namespace

int GetModuleName(char *buffer) {
    const HookState *s = soundHookState();
    const std::string path = s ? hookStateModuleFileName(*s) : std::string();
    const size_t slash = path.find_last_of("\\/");
    return copyOut(buffer, path.c_str() + (slash == std::string::npos ? 0 : slash + 1));
}

int GetModulePath(char *buffer) {
    const HookState *s = soundHookState();
    return copyOut(buffer, s ? hookStateModuleFileName(*s).c_str() : "");
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    moduleInstance = instance;
    if (reason == DLL_PROCESS_ATTACH)
        mapHookState();
    else if (reason == DLL_PROCESS_DETACH && !reserved) // a process that ends frees it anyway
        unmapHookState();
    return TRUE;
}
