#include "keyboard/screen_keyboard_win.h"

#include <string>

#include "app/app_globals_win.h"
#include "keyboard/keyboard_layout.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT_PTR kAttachTimerId = 2;
constexpr UINT kAttachTimerMs = 100;

// Process-wide: the user-interface thread (taken at the first call) and the thread whose input
// ours is attached to (0 when none).
DWORD uiThreadId = 0;
DWORD attachedThreadId = 0;

// The keyboard window, for the focus guard below (one keyboard per process).
HWND guardedDialog = nullptr;

// A push button takes the focus when the mouse goes down on it, and SetFocus activates the
// button's top-level window first, so without this guard every click would activate the keyboard
// (and raise the typed-into program over it when restoreFocus gives the foreground back). The
// user-interface thread's hook refuses the keyboard window the activation and its controls the
// focus; the buttons still press, release and report their clicks.
LRESULT CALLBACK focusGuardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (guardedDialog && (code == HCBT_ACTIVATE || code == HCBT_SETFOCUS)) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (window && (window == guardedDialog || IsChild(guardedDialog, window)))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A dialog procedure answers most messages through DWLP_MSGRESULT; its own return value only
// says whether it handled the message.
INT_PTR answer(HWND dialog, LRESULT result) {
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

ScreenKeyboard::ScreenKeyboard(HINSTANCE instanceHandle, HWND ownerWindow)
    : owner(ownerWindow), instance(instanceHandle) {
    dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_KEYBOARD), owner, keyboardDialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (!dialog)
        return;
    guardedDialog = dialog;
    focusGuard = WindowsHook(WH_CBT, focusGuardProc, nullptr, GetCurrentThreadId());
    setKeyLabels(0);
}

ScreenKeyboard::~ScreenKeyboard() {
    if (dialog)
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    guardedDialog = nullptr;
}

INT_PTR ScreenKeyboard::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
    case WM_MOUSEACTIVATE:
        return onMouseActivate();
    case WM_COMMAND:
        return onCommand(wParam);
    case WM_SYSCOMMAND:
        return onSysCommand(wParam);
    case WM_TIMER:
        return onTimer();
    case WM_SHOWWINDOW:
        // Shown by the hot key from inside the typed-into program: follow its input at once, as
        // until then keys typed into it may not arrive. The foreground is followed only while the
        // keyboard is shown: a hidden one never wakes the program.
        if (wParam) {
            attachToForeground();
            SetTimer(dialog, kAttachTimerId, kAttachTimerMs, nullptr);
        } else {
            KillTimer(dialog, kAttachTimerId);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return onMouseButton();
    default:
        return 0;
    }
}

// The mouse went down on the keyboard: the focus is still the other program's (our input is
// attached to its thread), so that is where the typing goes. The keyboard is not activated.
INT_PTR ScreenKeyboard::onMouseActivate() {
    targetWindow = GetFocus();
    return answer(dialog, MA_NOACTIVATE);
}

INT_PTR ScreenKeyboard::onCommand(WPARAM wParam) {
    restoreFocus();
    if (HIWORD(wParam) != 0)
        return 0;
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
        hideKeyboard();
        return 1;
    case IDC_KEY_SHIFT:
        return toggleShift();
    default:
        return sendKey(LOWORD(wParam));
    }
}

// The close box: Shift goes off with the window. Returning 0 lets the default handling go on,
// which closes the dialog through IDCANCEL (hidden again, harmlessly).
INT_PTR ScreenKeyboard::onSysCommand(WPARAM wParam) {
    if (wParam == SC_CLOSE)
        hideKeyboard();
    return 0;
}

INT_PTR ScreenKeyboard::onTimer() {
    if (!IsWindowVisible(dialog)) {
        KillTimer(dialog, kAttachTimerId);
        return 1;
    }
    attachToForeground();
    return 0;
}

INT_PTR ScreenKeyboard::onMouseButton() {
    restoreFocus();
    return 0;
}

void ScreenKeyboard::restoreFocus() {
    if (IsWindow(targetWindow) && GetFocus() != targetWindow) {
        SetForegroundWindow(targetWindow);
        SetFocus(targetWindow);
    }
}

namespace {

// A program that does not answer (hung, or stopped in a debugger) must not freeze the keyboard:
// the character is then dropped after a bounded wait.
const UINT kTargetTimeoutMs = 1000;

void sendToTarget(HWND target, UINT message, WPARAM code) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(target, message, code, 0, SMTO_ABORTIFHUNG, kTargetTimeoutMs, &ignored);
}

} // namespace

// Characters go as messages, not keystrokes, so the hook library never sees them and typing
// here brings up no suggestions. Shift stays on after a character.
int ScreenKeyboard::sendKey(int id) {
    KeySend send = keySendFor(id, shifted != 0);
    switch (send.kind) {
    case KeySend::character:
        sendToTarget(targetWindow, WM_CHAR, send.code);
        break;
    case KeySend::deleteKey:
        sendToTarget(targetWindow, WM_KEYDOWN, send.code);
        sendToTarget(targetWindow, WM_KEYUP, send.code);
        break;
    case KeySend::nothing:
        break;
    }
    return send.result;
}

int ScreenKeyboard::toggleShift() {
    setShift(1 - shifted);
    return 1;
}

// shiftButtonProc turns BM_CLICK into the pushed look and BM_SETIMAGE into the released one.
void ScreenKeyboard::setShift(int on) {
    shifted = on;
    SendMessageA(shiftButton(), shifted ? BM_CLICK : BM_SETIMAGE, 0, 0);
    setKeyLabels(shifted);
}

void ScreenKeyboard::setKeyLabels(int shiftedLabels) {
    for (int i = 0; i < kCharacterKeyCount; ++i) {
        int id = kFirstCharacterKey + i;
        std::string caption = keyCaption(layoutCharacter(id, shiftedLabels != 0));
        SetDlgItemTextA(dialog, id, caption.c_str());
    }
}

void ScreenKeyboard::hideKeyboard() {
    setShift(0);
    ShowWindow(dialog, SW_HIDE);
}

void ScreenKeyboard::showKeyboard() {
    SendMessageA(shiftButton(), shifted ? BM_CLICK : BM_SETIMAGE, 0, 0);
    setKeyLabels(shifted);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    // Follow the foreground program at once, not at the next tick, so that a click right after
    // showing already finds its focus.
    attachToForeground();
}

HWND ScreenKeyboard::shiftButton() const {
    return GetDlgItem(dialog, IDC_KEY_SHIFT);
}

INT_PTR CALLBACK keyboardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return FALSE;  // no default focus: the keyboard never holds it
    }
    auto *keyboard = reinterpret_cast<ScreenKeyboard *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    return keyboard ? keyboard->handleMessage(message, wParam, lParam) : FALSE;
}

LRESULT CALLBACK shiftButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 1;
    case BM_SETSTATE:
        // Only the program releases the pushed look (through BM_SETIMAGE), not the mouse.
        if (wParam == 0)
            return 1;
        break;
    case BM_CLICK:
        return CallWindowProcA(shiftButtonOldProc, button, BM_SETSTATE, 1, 0);
    case BM_SETIMAGE:
        return CallWindowProcA(shiftButtonOldProc, button, BM_SETSTATE, 0, 0);
    default:
        break;
    }
    return CallWindowProcA(shiftButtonOldProc, button, message, wParam, lParam);
}

// Attaching clears the key state that the two threads then share, so a Ctrl held through a Ctrl+O
// would read as released and the next O reach its program as a plain letter; Caps Lock would
// read as off. The held modifiers and the lock toggles are put back.
static void restoreKeyStateAfterAttaching(const BYTE (&before)[256]) {
    BYTE state[256];
    if (!GetKeyboardState(state))
        return;
    for (int vk : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU})
        if (GetAsyncKeyState(vk) & 0x8000)
            state[vk] |= 0x80;
    for (int vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL})
        state[vk] = static_cast<BYTE>((state[vk] & 0x80) | (before[vk] & 0x01));
    SetKeyboardState(state);
}

// The attachment is not undone when the keyboard hides; the next foreground thread replaces it.
void attachToForeground() {
    if (uiThreadId == 0)
        uiThreadId = GetCurrentThreadId();
    HWND foreground = GetForegroundWindow();
    if (!foreground)
        return;
    DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
    if (!shouldAttachInput(foregroundThread, uiThreadId, attachedThreadId))
        return;
    BYTE before[256] = {};
    GetKeyboardState(before);
    AttachThreadInput(uiThreadId, attachedThreadId, FALSE);
    attachedThreadId = AttachThreadInput(uiThreadId, foregroundThread, TRUE) ? foregroundThread : 0;
    if (attachedThreadId)
        restoreKeyStateAfterAttaching(before);
}
