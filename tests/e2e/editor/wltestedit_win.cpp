// A small editor of the tests' own: a plain edit field above a password field, so that the
// end-to-end tests can type into a window with ES_PASSWORD. Its title lists every Ctrl combination
// and every Enter that reached it, with the modifiers held. Started with "slow", it works slowly as
// a busy program does: the first character typed into it by a program (WM_IME_CHAR) takes it a
// second.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

const int kPlainId = 101;
const int kPasswordId = 102;
const DWORD kSlowCharacterMs = 1000;

bool slow = false;
WNDPROC plainEditProc = nullptr;

LRESULT CALLBACK slowEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_IME_CHAR && slow) {
        slow = false;
        Sleep(kSlowCharacterMs);
    }
    return CallWindowProcA(plainEditProc, window, message, wParam, lParam);
}

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        HINSTANCE instance = reinterpret_cast<CREATESTRUCTA *>(lParam)->hInstance;
        HWND plain = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                     10, 10, 360, 24, window, reinterpret_cast<HMENU>(kPlainId), instance, nullptr);
        plainEditProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(plain, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(slowEditProc)));
        CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 10, 50, 360, 24, window,
                        reinterpret_cast<HMENU>(kPasswordId), instance, nullptr);
        return 0;
    }
    case WM_SETFOCUS:
        SetFocus(GetDlgItem(window, kPlainId));
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
    slow = commandLine && std::strstr(commandLine, "slow") != nullptr;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = editorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "WordlarkTestEditor";
    RegisterClassA(&wc);
    HWND editor = CreateWindowExA(0, wc.lpszClassName, "Test editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                                  130, nullptr, nullptr, instance, nullptr);
    MSG msg;
    std::string keys; // every Ctrl combination and Enter that reached the editor, shown in its title
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
        if (msg.message == WM_KEYDOWN && ((ctrl && msg.wParam != VK_CONTROL && msg.wParam != VK_SHIFT) ||
                                          msg.wParam == VK_RETURN)) {
            keys += ctrl ? " ctrl+" : " ";
            keys += shift ? "shift+" : "";
            keys += msg.wParam == VK_RETURN ? std::string("enter") : std::string(1, static_cast<char>(msg.wParam));
            SetWindowTextA(editor, ("Test editor:" + keys).c_str());
        }
        if (!IsDialogMessageA(GetActiveWindow(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
