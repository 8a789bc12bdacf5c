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
// stops the desktop from taking keystrokes: an unhandled key simply passes on.
const UINT kForwardTimeoutMs = 1000;
const int kPathSize = 260;

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

namespace {

void forwardKey(WPARAM code, LPARAM flags) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(programWindow, WM_KEYDOWN, code, flags, SMTO_ABORTIFHUNG, kForwardTimeoutMs, &ignored);
}

void dismissSuggestions() {
    forwardKey(VK_ESCAPE, 0);
    if (programWindow && IsWindowVisible(programWindow))
        ShowWindow(programWindow, SW_HIDE);
}

bool isDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

bool isPasswordField(HWND window) {
    return IsWindow(window) && (GetWindowLongA(window, GWL_STYLE) & ES_PASSWORD) != 0;
}

void toggleCommandWindow() {
    SendMessageA(commandCombo, CB_RESETCONTENT, 0, 0);
    SendMessageA(commandCombo, WM_CLEAR, 0, 0);
    ShowWindow(commandWindow, IsWindowVisible(commandWindow) ? SW_HIDE : SW_SHOW);
}

void toggleKeyboardWindow() {
    ShowWindow(keyboardWindow, IsWindowVisible(keyboardWindow) ? SW_HIDE : SW_SHOWNOACTIVATE);
}

void recordContext() {
    POINT caret = {0, 0};
    GetCaretPos(&caret);
    caretClient = caret;
    ClientToScreen(focusWindow, &caret);
    caretScreen = caret;

    WindowDC dc(focusWindow);
    TEXTMETRICA metrics;
    if (dc && GetTextMetricsA(dc.get(), &metrics)) {
        charWidth = metrics.tmAveCharWidth;
        charHeight = metrics.tmHeight;
    }

    // A name that filled the buffer is cut inside it rather than left unterminated.
    DWORD n = GetModuleFileNameA(nullptr, moduleFileName, kPathSize);
    moduleFileName[n < static_cast<DWORD>(kPathSize) ? n : kPathSize - 1] = '\0';
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
    in.suggestionsVisible = programWindow && IsWindowVisible(programWindow);
    in.keyOfOtherBitness = isKeyOfOtherBitness();
    HWND window = 0;
    if (!in.keyOfOtherBitness && !in.altDown && !in.ctrlDown && in.vk != hookkeys::kControl && in.enabled) {
        window = GetFocus();
        in.passwordField = isPasswordField(window);
        in.inCommandEdit = window && commandWindow && GetParent(GetParent(window)) == commandWindow;
    }

    const hookkeys::KeyDecision d = hookkeys::decideKeyDown(in);
    if (d.hideSuggestions)
        ShowWindowAsync(programWindow, SW_HIDE);
    if (d.examineFocus) {
        if (window != focusWindow && programWindow)
            ShowWindow(programWindow, SW_HIDE);
        focusWindow = window;
    }
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
    if (d.forward)
        forwardKey(static_cast<WPARAM>(d.forwardCode), flags);
    if (d.dismissAfter)
        dismissSuggestions();
    return d.consume ? 1 : passOn(0, vk, flags);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM info) {
    if (code != 0)
        return CallNextHookEx(mouseHook, code, message, info);
    if (message != WM_MOUSEMOVE) {
        if (message == WM_LBUTTONDOWN && info)
            clickPoint = reinterpret_cast<const MOUSEHOOKSTRUCT *>(info)->pt;
        // No Escape: a click only hides the list, the typed word stays.
        if (programWindow && IsWindowVisible(programWindow))
            ShowWindow(programWindow, SW_HIDE);
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
