// A small editor of the tests' own: a plain edit field above a password field, so that the
// end-to-end tests can type into a window with ES_PASSWORD.
#include <windows.h>

#include <string>

namespace {

const int kPlainId = 101;
const int kPasswordId = 102;

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        HINSTANCE instance = reinterpret_cast<CREATESTRUCTA *>(lParam)->hInstance;
        CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 10, 10,
                        360, 24, window, reinterpret_cast<HMENU>(kPlainId), instance, nullptr);
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
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
    std::string ctrlKeys; // every Ctrl combination that reached the editor, shown in its title
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && msg.wParam != VK_CONTROL &&
            msg.wParam != VK_SHIFT) {
            ctrlKeys += GetKeyState(VK_SHIFT) < 0 ? " ctrl+shift+" : " ctrl+";
            ctrlKeys += static_cast<char>(msg.wParam);
            SetWindowTextA(editor, ("Test editor:" + ctrlKeys).c_str());
        }
        if (!IsDialogMessageA(GetActiveWindow(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
