// The system-wide keyboard and mouse hooks. This code runs inside every program that receives
// input, so it keeps all state in the shared section, allocates nothing and decides each key
// with hookkeys::decideKeyDown.
#define LARKHOOK_BUILD
#include "hooklib/larkhook.h"

#include "hooklib/key_decision.h"
#include "hooklib/shared_section.h"
#include "win32/window_dc_win.h"

namespace {

// A forwarded key waits for the main program, which types a picked word into the waiting
// program during that call. The wait is bounded so that a busy or hung main program never
// stops the desktop from taking keystrokes: an unhandled key simply passes on. Once a wait ran
// out, the following keys wait only briefly until the main program answers again.
const UINT kForwardTimeoutMs = 500;
const UINT kStalledForwardTimeoutMs = 50;
const int kPathSize = 260;
// Enough for every key typed while the main program stands still for a while.
const unsigned kAbandonedSlots = 64;

} // namespace

// The shared state, in declaration order.
LARKHOOK_SHARED HINSTANCE moduleInstance = 0;
LARKHOOK_SHARED HHOOK keyboardHook = 0;
LARKHOOK_SHARED HHOOK mouseHook = 0;
LARKHOOK_SHARED POINT clickPoint = {0, 0};
LARKHOOK_SHARED HWND programWindow = 0;
LARKHOOK_SHARED HWND focusWindow = 0;
LARKHOOK_SHARED HWND commandWindow = 0;
LARKHOOK_SHARED HWND commandCombo = 0;
LARKHOOK_SHARED HWND keyboardWindow = 0;
LARKHOOK_SHARED int enableState = 1;
LARKHOOK_SHARED POINT caretClient = {0, 0};
LARKHOOK_SHARED POINT caretScreen = {0, 0};
LARKHOOK_SHARED int charWidth = 0;
LARKHOOK_SHARED int charHeight = 0;
LARKHOOK_SHARED char commandKey = 0x20;
LARKHOOK_SHARED char enableKey = 0x4D;
LARKHOOK_SHARED char keyboardKey = 0x4F;
LARKHOOK_SHARED char moduleFileName[kPathSize] = "";
// The process that started the hooks: the main program.
LARKHOOK_SHARED DWORD mainProcessId = 0;
// The list as the hook decides on it (see SetSuggestionsShown).
LARKHOOK_SHARED int suggestionsShown = 0;
// Forwarded keys are numbered (1 to 65535, round); the last ones given up on are remembered.
LARKHOOK_SHARED LONG lastForwardSerial = 0;
LARKHOOK_SHARED LONG abandonedSerials[kAbandonedSlots] = {0};
LARKHOOK_SHARED LONG forwardStalled = 0;
// What the context of the last key was measured for: the text metrics only change with the
// focus window, the module name only with the process.
LARKHOOK_SHARED HWND metricsWindow = 0;
LARKHOOK_SHARED DWORD moduleProcessId = 0;

namespace {

unsigned nextForwardSerial() {
    for (;;) {
        const unsigned serial = static_cast<unsigned>(InterlockedIncrement(&lastForwardSerial)) & 0xFFFF;
        if (serial != 0)
            return serial;
    }
}

// True when the main program took the key. The only wait of the hook on the main program, and a
// bounded one.
bool forwardKey(int code, LPARAM flags) {
    if (!programWindow)
        return false;
    const unsigned serial = nextForwardSerial();
    const WPARAM wParam = static_cast<WPARAM>(code & 0xFFFF) | static_cast<WPARAM>(serial) << 16;
    const UINT timeout = forwardStalled ? kStalledForwardTimeoutMs : kForwardTimeoutMs;
    LONG &slot = abandonedSerials[serial % kAbandonedSlots];
    slot = 0; // a serial of long ago, used again
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(programWindow, WM_KEYDOWN, wParam, flags, SMTO_ABORTIFHUNG, timeout, &ignored)) {
        forwardStalled = 0;
        return true;
    }
    slot = static_cast<LONG>(serial);
    forwardStalled = 1;
    return false;
}

// Hides the list from the main program's own message loop: nothing here waits for its windows.
void hideSuggestions() {
    if (!programWindow || (!suggestionsShown && !IsWindowVisible(programWindow)))
        return;
    suggestionsShown = 0;
    PostMessageA(programWindow, kSyncSuggestionsMessage, 0, 0);
}

void dismissSuggestions() {
    forwardKey(VK_ESCAPE, 0);
    hideSuggestions();
}

bool isDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

bool isPasswordField(HWND window) {
    return IsWindow(window) && (GetWindowLongA(window, GWL_STYLE) & ES_PASSWORD) != 0;
}

// The main program shows or hides the window when it takes the message, deciding on the
// visibility it has then, so that two quick presses always show and hide again.
void toggleWindow(HWND window, int showCommand) {
    if (programWindow)
        PostMessageA(programWindow, kToggleWindowMessage, reinterpret_cast<WPARAM>(window), showCommand);
    else
        ShowWindowAsync(window, IsWindowVisible(window) ? SW_HIDE : showCommand);
}

void toggleCommandWindow() {
    PostMessageA(commandCombo, CB_RESETCONTENT, 0, 0);
    PostMessageA(commandCombo, WM_CLEAR, 0, 0);
    toggleWindow(commandWindow, SW_SHOW);
}

void toggleKeyboardWindow() { toggleWindow(keyboardWindow, SW_SHOWNOACTIVATE); }

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
// measured again only when the focus window or the process changes.
void recordContext() {
    POINT caret = {0, 0};
    GetCaretPos(&caret);
    caretClient = caret;
    ClientToScreen(focusWindow, &caret);
    caretScreen = caret;

    if (metricsWindow != focusWindow) {
        WindowDC dc(focusWindow);
        TEXTMETRICA metrics;
        if (dc && GetTextMetricsA(dc.get(), &metrics)) {
            charWidth = metrics.tmAveCharWidth;
            charHeight = metrics.tmHeight;
            metricsWindow = focusWindow;
        }
    }

    const DWORD process = GetCurrentProcessId();
    if (moduleProcessId != process) {
        lstrcpynA(moduleFileName, ownModuleFileName(), kPathSize);
        moduleProcessId = process;
    }
}

// The system runs this procedure inside the main program, on the thread that started the hooks,
// for keys of programs that cannot load this library (those of the other bitness). The key then
// belongs to the foreground window of another process.
bool isKeyOfOtherBitness() {
    if (GetCurrentProcessId() != mainProcessId)
        return false;
    HWND foreground = GetForegroundWindow();
    DWORD owner = 0;
    if (!foreground || !GetWindowThreadProcessId(foreground, &owner))
        return false;
    return owner != mainProcessId;
}

LRESULT passOn(int code, WPARAM vk, LPARAM flags) { return CallNextHookEx(keyboardHook, code, vk, flags); }

} // namespace

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM vk, LPARAM flags) {
    if (code != 0)
        return passOn(code, vk, flags);
    if (flags & 0x40000000)
        return passOn(0, vk, flags);

    hookkeys::KeyInput in;
    in.vk = static_cast<int>(vk);
    in.altDown = isDown(VK_MENU);
    in.ctrlDown = isDown(VK_CONTROL);
    in.shiftDown = isDown(VK_SHIFT);
    in.enabled = enableState != 0;
    in.commandKey = commandKey;
    in.enableKey = enableKey;
    in.keyboardKey = keyboardKey;
    in.haveCommandWindow = commandWindow != 0;
    in.haveKeyboardWindow = keyboardWindow != 0;
    in.suggestionsVisible = suggestionsShown != 0;
    in.keyOfOtherBitness = isKeyOfOtherBitness();
    HWND window = 0;
    if (!in.keyOfOtherBitness && !in.altDown && in.enabled) {
        window = GetFocus();
        in.focusChanged = window != focusWindow;
        in.passwordField = isPasswordField(window);
        in.inCommandEdit = window && commandWindow && GetParent(GetParent(window)) == commandWindow;
    }

    const hookkeys::KeyDecision d = hookkeys::decideKeyDown(in);
    if (d.hideSuggestions)
        hideSuggestions();
    if (d.examineFocus)
        focusWindow = window;
    if (d.recordContext)
        recordContext();
    if (d.dismissFirst)
        dismissSuggestions();
    switch (d.toggle) {
    case hookkeys::Toggle::Enable:
        enableState = enableState == 0 ? 1 : 0;
        break;
    case hookkeys::Toggle::CommandWindow:
        toggleCommandWindow();
        break;
    case hookkeys::Toggle::KeyboardWindow:
        toggleKeyboardWindow();
        break;
    case hookkeys::Toggle::None:
        break;
    }
    // A key that could not be handed over is the application's after all: nothing is lost.
    bool handedOver = true;
    if (d.forward)
        handedOver = forwardKey(d.forwardCode, flags);
    if (d.dismissAfter)
        dismissSuggestions();
    return d.consume && handedOver ? 1 : passOn(0, vk, flags);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM info) {
    if (code != 0)
        return CallNextHookEx(mouseHook, code, message, info);
    if (message != WM_MOUSEMOVE) {
        if (message == WM_LBUTTONDOWN && info)
            clickPoint = reinterpret_cast<const MOUSEHOOKSTRUCT *>(info)->pt;
        // No Escape: a click only hides the list, the typed word stays.
        hideSuggestions();
    }
    return CallNextHookEx(mouseHook, 0, message, info);
}

HWND SetProgramWindow(HWND window) { return programWindow = window; }
HWND SetKeyboardWindow(HWND window) { return keyboardWindow = window; }

HWND SetCommandWindow(HWND window, HWND combo) {
    commandWindow = window;
    commandCombo = combo;
    return window;
}

int SetEnableState(int state) { return enableState = state; }
int SetSuggestionsShown(int shown) { return suggestionsShown = shown; }
int GetSuggestionsShown() { return suggestionsShown; }

BOOL IsForwardAbandoned(unsigned serial) {
    return serial != 0 && abandonedSerials[serial % kAbandonedSlots] == static_cast<LONG>(serial);
}
int GetEnableState() { return enableState; }

void SetHotKeys(char command, char enable, char keyboard) {
    commandKey = command;
    enableKey = enable;
    keyboardKey = keyboard;
}

HHOOK Start() {
    mainProcessId = GetCurrentProcessId();
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
    return removed;
}

HWND GetFocusWindow() { return focusWindow; }
int GetCaretX() { return caretClient.x != 0 ? caretScreen.x : clickPoint.x; }
int GetCaretY() { return caretClient.y != 0 ? caretScreen.y : clickPoint.y; }
int GetCharX() { return charWidth; }
int GetCharY() { return charHeight; }

namespace {

int copyOut(char *buffer, const char *text) {
    if (!buffer)
        return 0;
    lstrcpynA(buffer, text, kPathSize);
    return lstrlenA(buffer);
}

} // namespace

int GetModuleName(char *buffer) {
    const char *name = moduleFileName;
    for (const char *p = moduleFileName; *p; ++p)
        if (*p == '\\')
            name = p + 1;
    return copyOut(buffer, name);
}

int GetModulePath(char *buffer) { return copyOut(buffer, moduleFileName); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    moduleInstance = instance;
    return TRUE;
}
