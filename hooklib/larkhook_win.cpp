// The system-wide keyboard and mouse hooks. This code runs inside every program that receives
// input, so it keeps its state in the session's shared hook state block (hook_state.h), allocates
// nothing and decides each key with hookkeys::decideKeyDown. Built twice: larkhook.dll, the main
// program's own library, and larkhook32.dll, the library of the helper of the other bitness.
#define LARKHOOK_BUILD
#include "hooklib/larkhook.h"

#include "hooklib/hook_state_win.h"
#include "hooklib/key_decision.h"
#include "hooklib/shared_section.h"
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
const char kOtherLibraryName[] = "larkhook.dll";
#else
const LibraryRole kRole = kMainLibrary;
const LibraryRole kOtherRole = kHelperLibrary;
const char kOtherLibraryName[] = "larkhook32.dll";
#endif

HINSTANCE moduleInstance = nullptr;

} // namespace

// What belongs to this library alone: its hooks, shared by every process that loads it.
LARKHOOK_SHARED HHOOK keyboardHook = 0;
LARKHOOK_SHARED HHOOK mouseHook = 0;

namespace {

unsigned nextForwardSerial(HookState &s) {
    for (;;) {
        const unsigned serial =
            static_cast<unsigned>(InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s.lastForwardSerial))) &
            0xFFFF;
        if (serial != 0)
            return serial;
    }
}

// True when the main program took the key. The only wait of the hook on the main program, and a
// bounded one.
bool forwardKey(HookState &s, int code, LPARAM flags) {
    const HWND program = toWindow(s.programWindow);
    if (!program)
        return false;
    const unsigned serial = nextForwardSerial(s);
    const WPARAM wParam = static_cast<WPARAM>(code & 0xFFFF) | static_cast<WPARAM>(serial) << 16;
    const UINT timeout = s.forwardStalled ? kStalledForwardTimeoutMs : kForwardTimeoutMs;
    int32_t &slot = s.abandonedSerials[serial % kAbandonedSlots];
    slot = 0; // a serial of long ago, used again
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(program, WM_KEYDOWN, wParam, flags, SMTO_ABORTIFHUNG, timeout, &ignored)) {
        s.forwardStalled = 0;
        return true;
    }
    slot = static_cast<int32_t>(serial);
    s.forwardStalled = 1;
    return false;
}

// Letters and the Escape that ends a word: the main program takes them in order, right after.
void postKey(HookState &s, int code, LPARAM flags) {
    const HWND program = toWindow(s.programWindow);
    if (program && PostMessageA(program, kPostedKeyMessage, static_cast<WPARAM>(code & 0xFFFF), flags))
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

void dismissSuggestions(HookState &s) {
    postKey(s, VK_ESCAPE, 0);
    hideSuggestions(s);
}


bool isPasswordField(HWND window) {
    return IsWindow(window) && (GetWindowLongA(window, GWL_STYLE) & ES_PASSWORD) != 0;
}

// The main program shows or hides the window when it takes the message, deciding on the
// visibility it has then, so that two quick presses always show and hide again.
void toggleWindow(HookState &s, HWND window, int showCommand) {
    const HWND program = toWindow(s.programWindow);
    if (program)
        PostMessageA(program, kToggleWindowMessage, reinterpret_cast<WPARAM>(window), showCommand);
    else
        ShowWindowAsync(window, IsWindowVisible(window) ? SW_HIDE : showCommand);
}

void toggleCommandWindow(HookState &s) {
    const HWND combo = toWindow(s.commandCombo);
    PostMessageA(combo, CB_RESETCONTENT, 0, 0);
    PostMessageA(combo, WM_CLEAR, 0, 0);
    toggleWindow(s, toWindow(s.commandWindow), SW_SHOW);
}

// This process's executable, read once: it never changes while the process runs.
const char *ownModuleFileName() {
    static char name[kPathSize] = "";
    static bool known = false;
    if (!known) {
        // A name that filled the buffer is cut inside it rather than left unterminated.
        DWORD n = GetModuleFileNameA(nullptr, name, kPathSize);
        name[n < static_cast<DWORD>(kPathSize) ? n : kPathSize - 1] = '\0';
        known = true;
    }
    return name;
}

// The caret moves with every key; the metrics of a fresh device context and the executable are
// measured again only when the focus window or the process changes. The caret is in client
// coordinates, 0, 0 when the thread has none.
void recordContext(HookState &s, HWND focus, POINT caret) {
    s.caretClientX = caret.x;
    s.caretClientY = caret.y;
    ClientToScreen(focus, &caret);
    s.caretScreenX = caret.x;
    s.caretScreenY = caret.y;

    if (s.metricsWindow != fromWindow(focus)) {
        WindowDC dc(focus);
        TEXTMETRICA metrics;
        if (dc && GetTextMetricsA(dc.get(), &metrics)) {
            s.charWidth = metrics.tmAveCharWidth;
            s.charHeight = metrics.tmHeight;
            s.metricsWindow = fromWindow(focus);
        }
    }

    const DWORD process = GetCurrentProcessId();
    if (s.moduleProcessId != process) {
        setHookStateModuleFileName(s, ownModuleFileName());
        s.moduleProcessId = process;
    }
}

bool processIsAlive(DWORD id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process)
        return false;
    const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}

// Asked at every key; the answer is kept for a second in this process, as it changes only when
// the other library's installer ends.
bool installerIsAlive(DWORD id) {
    static DWORD checkedId = 0;
    static DWORD checkedAt = 0;
    static bool alive = false;
    const DWORD now = GetTickCount();
    if (id != checkedId || now - checkedAt > 1000) {
        alive = processIsAlive(id);
        checkedId = id;
        checkedAt = now;
    }
    return alive;
}

// The system runs this procedure inside the process that installed the hooks, on its thread, for
// keys of programs that cannot load this library (those of the other bitness). The key then
// belongs to the foreground window of another process.
bool isKeyOfOtherBitness(const HookState &s) {
    const DWORD self = GetCurrentProcessId();
    if (self != s.installerProcessId[kRole])
        return false;
    // The helper has no windows of its own: every key it sees is another program's.
    if (kRole == kHelperLibrary)
        return true;
    HWND foreground = GetForegroundWindow();
    DWORD owner = 0;
    if (!foreground || !GetWindowThreadProcessId(foreground, &owner))
        return false;
    return owner != self;
}

// The other library takes this key: it runs inside the program typed in (this one then runs in
// its installer for a program of the other bitness), or both are loaded into one program (both
// of one bitness, as in the test build) and the helper's library acts for both.
bool otherLibraryTakesTheKey(const HookState &s, bool keyOfOtherBitness) {
    if (!s.hooksInstalled[kOtherRole])
        return false;
    if (!keyOfOtherBitness && (kRole != kMainLibrary || !GetModuleHandleA(kOtherLibraryName)))
        return false;
    return installerIsAlive(s.installerProcessId[kOtherRole]);
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
    // the caret in another.
    BYTE keys[256];
    const bool haveKeys = GetKeyboardState(keys) != FALSE;
    auto isDown = [&](int key) { return haveKeys ? (keys[key] & 0x80) != 0 : (GetKeyState(key) & 0x8000) != 0; };

    hookkeys::KeyInput in;
    in.vk = static_cast<int>(vk);
    in.altDown = isDown(VK_MENU);
    in.ctrlDown = isDown(VK_CONTROL);
    in.shiftDown = isDown(VK_SHIFT);
    in.winDown = isDown(VK_LWIN) || isDown(VK_RWIN);
    in.enabled = s.enableState != 0;
    in.commandKey = static_cast<char>(s.commandKey);
    in.enableKey = static_cast<char>(s.enableKey);
    in.keyboardKey = static_cast<char>(s.keyboardKey);
    in.haveCommandWindow = s.commandWindow != 0;
    in.haveKeyboardWindow = s.keyboardWindow != 0;
    in.suggestionsVisible = s.suggestionsShown != 0;
    in.keyOfOtherBitness = isKeyOfOtherBitness(s);
    in.keyServedElsewhere = otherLibraryTakesTheKey(s, in.keyOfOtherBitness);
    const HWND commandWindow = toWindow(s.commandWindow);
    HWND window = 0;
    POINT caret = {0, 0};
    if (!in.keyOfOtherBitness && !in.keyServedElsewhere && !in.altDown && in.enabled) {
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        if (GetGUIThreadInfo(GetCurrentThreadId(), &thread)) {
            window = thread.hwndFocus;
            if (thread.hwndCaret)
                caret = {thread.rcCaret.left, thread.rcCaret.top};
        } else {
            window = GetFocus();
            GetCaretPos(&caret);
        }
        in.focusChanged = fromWindow(window) != s.focusWindow;
        in.passwordField = isPasswordField(window);
        in.inCommandEdit = window && commandWindow && GetParent(GetParent(window)) == commandWindow;
    }

    if (hookkeys::dependsOnTheList(in)) {
        catchUp(s);
        in.suggestionsVisible = s.suggestionsShown != 0;
    }
    const hookkeys::KeyDecision d = hookkeys::decideKeyDown(in);
    if (d.hideSuggestions)
        hideSuggestions(s);
    if (d.examineFocus)
        s.focusWindow = fromWindow(window);
    if (d.recordContext)
        recordContext(s, window, caret);
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
        toggleWindow(s, toWindow(s.keyboardWindow), SW_SHOWNOACTIVATE);
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
        // No Escape: a click only hides the list, the typed word stays.
        hideSuggestions(*state);
    }
    return CallNextHookEx(mouseHook, 0, message, info);
}

// The setters are the main program's: they set the block up anew when another program spoiled it.
HWND SetProgramWindow(HWND window) {
    if (HookState *s = ownedHookState())
        s->programWindow = fromWindow(window);
    return window;
}

HWND SetKeyboardWindow(HWND window) {
    if (HookState *s = ownedHookState())
        s->keyboardWindow = fromWindow(window);
    return window;
}

HWND SetCommandWindow(HWND window, HWND combo) {
    if (HookState *s = ownedHookState()) {
        s->commandWindow = fromWindow(window);
        s->commandCombo = fromWindow(combo);
    }
    return window;
}

int SetEnableState(int state) {
    if (HookState *s = ownedHookState())
        s->enableState = state;
    return state;
}

int GetEnableState() {
    const HookState *s = soundHookState();
    return s ? s->enableState : 1;
}

int SetSuggestionsShown(int shown) {
    if (HookState *s = ownedHookState())
        s->suggestionsShown = shown;
    return shown;
}

int GetSuggestionsShown() {
    const HookState *s = soundHookState();
    return s ? s->suggestionsShown : 0;
}

BOOL IsForwardAbandoned(unsigned serial) {
    const HookState *s = soundHookState();
    return s && serial != 0 && s->abandonedSerials[serial % kAbandonedSlots] == static_cast<int32_t>(serial);
}

void PostedKeyHandled() {
    if (HookState *s = soundHookState())
        InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s->postedKeysHandled));
}

void PostedKeysCaughtUp() {
    if (HookState *s = soundHookState())
        s->postedKeysHandled = s->postedKeys;
}

void SetHotKeys(char command, char enable, char keyboard) {
    if (HookState *s = ownedHookState()) {
        s->commandKey = static_cast<uint8_t>(command);
        s->enableKey = static_cast<uint8_t>(enable);
        s->keyboardKey = static_cast<uint8_t>(keyboard);
    }
}

HHOOK Start() {
    if (HookState *s = ownedHookState()) {
        s->installerProcessId[kRole] = GetCurrentProcessId();
        s->hooksInstalled[kRole] = 1;
    }
    keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, moduleInstance, 0);
    mouseHook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, moduleInstance, 0);
    return mouseHook;
}

BOOL Stop() {
    if (keyboardHook && UnhookWindowsHookEx(keyboardHook))
        keyboardHook = 0;
    BOOL removed = FALSE;
    if (mouseHook && UnhookWindowsHookEx(mouseHook)) {
        mouseHook = 0;
        removed = TRUE;
    }
    HookState *s = soundHookState();
    if (s && s->installerProcessId[kRole] == GetCurrentProcessId())
        s->hooksInstalled[kRole] = 0;
    return removed;
}

HWND GetFocusWindow() {
    const HookState *s = soundHookState();
    return s ? toWindow(s->focusWindow) : nullptr;
}

// A caret client coordinate of exactly 0 counts as no caret: the last left click is used instead.
int GetCaretX() {
    const HookState *s = soundHookState();
    return !s ? 0 : s->caretClientX != 0 ? s->caretScreenX : s->clickX;
}

int GetCaretY() {
    const HookState *s = soundHookState();
    return !s ? 0 : s->caretClientY != 0 ? s->caretScreenY : s->clickY;
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
    const size_t slash = path.find_last_of('\\');
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
