// A text field of the tests' own that draws its own caret and keeps no system caret, as browsers
// do: it tells where its caret is only through accessibility, answering WM_GETOBJECT for the caret
// object with a small IAccessible of its own, and raises a focus event for its field element when
// it takes the focus, as a browser that serves accessibility does. Started with "protected" it
// also reports its focused element protected, as a web page's password field is. Started with
// "silent" it raises no focus event, as a browser whose accessibility is off, and in its protected
// mode switches its input method off instead, as a browser does in a password field. Started with
// "syscaret" it keeps a system caret instead, 40 pixels tall, taller than its text.
#include <windows.h>

#include <imm.h>

#include <string>

#include "caretfield/caret_field_accessible_win.h"

namespace {

const int kFieldLeft = 30;
const int kFieldTop = 60;
// Taller than the system font, so that the list's place shows which line height it used.
const int kFontHeight = 30;
const int kCaretWidth = 2;
const int kSystemCaretHeight = 40;
// The child id of the field's one element, as a browser names the focused element of its page.
const LONG kFieldElement = 1;

bool protectedMode = false;
bool silent = false;
bool systemCaret = false;
HFONT fieldFont = nullptr;

// The caret's rectangle in client coordinates: after the last character of the text.
RECT caretRect(HWND window) {
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, fieldFont);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    const int height = systemCaret ? kSystemCaretHeight : metrics.tmHeight;
    return RECT{kFieldLeft + size.cx, kFieldTop, kFieldLeft + size.cx + kCaretWidth, kFieldTop + height};
}

void placeSystemCaret(HWND window) {
    const RECT caret = caretRect(window);
    SetCaretPos(caret.left, caret.top);
}

void typeCharacter(HWND window, unsigned char ch) {
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    std::string now(text, length);
    if (ch == '\b') {
        // As in an edit control, Backspace with Ctrl held deletes nothing.
        if (!now.empty() && !(GetKeyState(VK_CONTROL) & 0x8000))
            now.pop_back();
    } else if (ch >= 0x20) {
        now += static_cast<char>(ch);
    }
    SetWindowTextA(window, now.c_str());
    if (systemCaret)
        placeSystemCaret(window);
    InvalidateRect(window, nullptr, TRUE);
}

void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    HGDIOBJ old = SelectObject(dc, fieldFont);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, kFieldLeft, kFieldTop, text, length);
    SelectObject(dc, old);
    // Without a system caret the caret is drawn, not kept: a black bar.
    if (!systemCaret) {
        RECT caret = caretRect(window);
        FillRect(dc, &caret, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK fieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETOBJECT:
        return answerGetObject(window, wParam, lParam, caretRect, protectedMode);
    case kAccessRequestsMessage:
        return accessRequestCount(wParam);
    case WM_SETFOCUS:
        if (systemCaret) {
            CreateCaret(window, nullptr, kCaretWidth, kSystemCaretHeight);
            placeSystemCaret(window);
            ShowCaret(window);
        }
        if (silent) {
            if (protectedMode)
                ImmAssociateContext(window, nullptr);
            return 0;
        }
        InterlockedIncrement(&accessRequests.focusEvents);
        NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, kFieldElement);
        return 0;
    case WM_KILLFOCUS:
        if (systemCaret)
            DestroyCaret();
        return 0;
    case WM_CHAR:
    case WM_IME_CHAR:
        typeCharacter(window, static_cast<unsigned char>(wParam));
        return 0;
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    protectedMode = commandLine && strstr(commandLine, "protected") != nullptr;
    systemCaret = commandLine && strstr(commandLine, "syscaret") != nullptr;
    silent = commandLine && strstr(commandLine, "silent") != nullptr;
    // The objects are handed to other processes through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    fieldFont = CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = fieldProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "WordlarkCaretField";
    RegisterClassA(&wc);
    CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 240, 180, 600, 220, nullptr, nullptr,
                    instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(fieldFont);
    CoUninitialize();
    return 0;
}
