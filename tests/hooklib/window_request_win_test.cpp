// The hot keys' request to the main program, against recording calls: Windows (unlike Wine) lets
// the main program take the foreground only when the program the user types in, where the hook
// runs, granted it first.
#include "hooklib/window_request_win.h"

#include "hooklib/larkhook.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> calls;
DWORD grantedTo = 0;
HWND postedTo = nullptr;
WPARAM postedWindow = 0;
LPARAM postedShow = 0;

BOOL WINAPI recordGrant(DWORD processId) {
    calls.push_back("grant");
    grantedTo = processId;
    return TRUE;
}

BOOL WINAPI recordPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    calls.push_back(message == kToggleWindowMessage ? "request" : "other message");
    postedTo = window;
    postedWindow = wParam;
    postedShow = lParam;
    return TRUE;
}

const WindowRequestCalls kRecording = {recordGrant, recordPost};

} // namespace

TEST(WindowRequest, QuickSearchGrantsTheForegroundBeforeItAsksAndTheKeyboardWindowNever) {
    HWND program = CreateWindowExA(0, "STATIC", "program", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND strip = CreateWindowExA(0, "STATIC", "strip", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    calls.clear();
    EXPECT_TRUE(requestWindowToggle(program, strip, SW_SHOW, true, kRecording));
    EXPECT_EQ(calls, (std::vector<std::string>{"grant", "request"}));
    EXPECT_EQ(grantedTo, GetCurrentProcessId()); // the process of the main program's window
    EXPECT_EQ(postedTo, program);
    EXPECT_EQ(postedWindow, reinterpret_cast<WPARAM>(strip));
    EXPECT_EQ(postedShow, SW_SHOW);

    calls.clear();
    EXPECT_TRUE(requestWindowToggle(program, strip, SW_SHOWNOACTIVATE, false, kRecording));
    EXPECT_EQ(calls, (std::vector<std::string>{"request"}));
    DestroyWindow(strip);
    DestroyWindow(program);
}
