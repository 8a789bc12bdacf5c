#include "keyboard/screen_keyboard_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_globals_win.h"
#include "resources/resource_ids.h"

namespace {

// What the window being typed into received.
struct Received {
    UINT message;
    WPARAM wParam;
    bool operator==(const Received &other) const { return message == other.message && wParam == other.wParam; }
};
std::vector<Received> received;

LRESULT CALLBACK recorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR || message == WM_KEYDOWN || message == WM_KEYUP)
        received.push_back({message, wParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createRecorder() {
    static const char kClass[] = "WordlarkKeyRecorder";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = recorderProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    return CreateWindowExA(0, kClass, "recorder", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

class ScreenKeyboardWin : public ::testing::Test {
protected:
    void SetUp() override {
        received.clear();
        recorder = createRecorder();
        ASSERT_NE(recorder, nullptr);
        keyboard = new ScreenKeyboard(GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(keyboard->dialog, nullptr);
        // As start-up does: the Shift button's subclass in front of its own procedure.
        HWND shift = GetDlgItem(keyboard->dialog, IDC_KEY_SHIFT);
        shiftButtonOldProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(shift, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(shiftButtonProc)));
        keyboard->targetWindow = recorder;
    }
    void TearDown() override {
        HWND dialog = keyboard->dialog;
        delete keyboard;
        DestroyWindow(dialog);
        DestroyWindow(recorder);
    }

    void command(int id, WORD notification = BN_CLICKED) {
        SendMessageA(keyboard->dialog, WM_COMMAND, MAKEWPARAM(id, notification), 0);
    }
    std::string caption(int id) {
        char text[16] = "";
        GetDlgItemTextA(keyboard->dialog, id, text, sizeof text);
        return text;
    }
    bool shiftLooksPushed() {
        return (SendDlgItemMessageA(keyboard->dialog, IDC_KEY_SHIFT, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    }

    HWND recorder = nullptr;
    ScreenKeyboard *keyboard = nullptr;
};

TEST_F(ScreenKeyboardWin, CreatedHiddenWithThePlainCaptions) {
    EXPECT_FALSE(IsWindowVisible(keyboard->dialog));
    EXPECT_EQ(keyboard->shifted, 0);
    EXPECT_EQ(caption(1001), "`");
    EXPECT_EQ(caption(1008), "7");
    EXPECT_EQ(caption(1047), "/");
    EXPECT_EQ(caption(IDC_KEY_BACKSPACE), "<-Bspc");
    EXPECT_FALSE(shiftLooksPushed());
}

TEST_F(ScreenKeyboardWin, KeysSendTheirMessagesToTheTarget) {
    command(1014);
    command(IDC_KEY_SPACE);
    command(IDC_KEY_BACKSPACE);
    command(IDC_KEY_ENTER);
    command(IDC_KEY_DELETE);
    command(1015, BN_DOUBLECLICKED);  // only BN_CLICKED (0) is a key press
    command(2002);
    const std::vector<Received> expected = {
        {WM_CHAR, 'q'}, {WM_CHAR, ' '}, {WM_CHAR, 8}, {WM_CHAR, 13}, {WM_KEYDOWN, VK_DELETE}, {WM_KEYUP, VK_DELETE},
    };
    EXPECT_EQ(received, expected);
}

TEST_F(ScreenKeyboardWin, ShiftStaysOnAcrossCharactersAndShowsOnItsButtonAndCaptions) {
    command(IDC_KEY_SHIFT);
    EXPECT_EQ(keyboard->shifted, 1);
    EXPECT_TRUE(shiftLooksPushed());
    EXPECT_EQ(caption(1014), "Q");
    EXPECT_EQ(caption(1008), "&&");
    command(1014);
    command(1008);
    // The mouse releasing the button does not release its pushed look.
    SendDlgItemMessageA(keyboard->dialog, IDC_KEY_SHIFT, BM_SETSTATE, 0, 0);
    EXPECT_TRUE(shiftLooksPushed());
    EXPECT_EQ(keyboard->shifted, 1);
    command(IDC_KEY_SHIFT);
    command(1014);
    EXPECT_EQ(keyboard->shifted, 0);
    EXPECT_FALSE(shiftLooksPushed());
    EXPECT_EQ(caption(1014), "q");
    const std::vector<Received> expected = {{WM_CHAR, 'Q'}, {WM_CHAR, '&'}, {WM_CHAR, 'q'}};
    EXPECT_EQ(received, expected);
}

TEST_F(ScreenKeyboardWin, ClosingTurnsShiftOffAndTheHotKeyShowKeepsThat) {
    keyboard->showKeyboard();
    EXPECT_TRUE(IsWindowVisible(keyboard->dialog));
    EXPECT_TRUE(GetWindowLongA(keyboard->dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    command(IDC_KEY_SHIFT);
    SendMessageA(keyboard->dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(keyboard->dialog));
    EXPECT_EQ(keyboard->shifted, 0);
    // The hot key shows the window with ShowWindow alone.
    ShowWindow(keyboard->dialog, SW_SHOWNOACTIVATE);
    EXPECT_EQ(caption(1014), "q");
    EXPECT_FALSE(shiftLooksPushed());
    // OK and Cancel hide it and turn Shift off as well.
    command(IDC_KEY_SHIFT);
    command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(keyboard->dialog));
    EXPECT_EQ(keyboard->shifted, 0);
    EXPECT_EQ(caption(1014), "q");
}

TEST_F(ScreenKeyboardWin, ShowingFromTheTrayRefreshesTheShiftLook) {
    keyboard->shifted = 1;  // as left by a hot-key hide while Shift was on
    keyboard->showKeyboard();
    EXPECT_TRUE(shiftLooksPushed());
    EXPECT_EQ(caption(1014), "Q");
}

TEST_F(ScreenKeyboardWin, AMouseClickRemembersTheFocusAndNeverActivatesTheKeyboard) {
    keyboard->showKeyboard();
    SetForegroundWindow(recorder);
    SetFocus(recorder);
    keyboard->targetWindow = nullptr;
    LRESULT answer = SendMessageA(keyboard->dialog, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(keyboard->dialog),
                                  MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(answer, MA_NOACTIVATE);
    EXPECT_EQ(keyboard->targetWindow, recorder);
    // A button taking the focus on a click would activate the keyboard: the guard refuses it.
    SetFocus(GetDlgItem(keyboard->dialog, 1014));
    EXPECT_EQ(GetFocus(), recorder);
    SetActiveWindow(keyboard->dialog);
    EXPECT_NE(GetActiveWindow(), keyboard->dialog);
}

}  // namespace
