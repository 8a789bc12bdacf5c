// The windows' message filter: opened only when Wordlark runs elevated, and then only for the
// messages the hooks and the shell send. Wine enforces no integrity levels, so the system's calls
// are stood in for.
#include "app/message_filter_win.h"

#include "app/main_window_win.h"
#include "app/tray_icon_win.h"
#include "hooklib/larkhook.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <utility>

namespace {

std::set<std::pair<HWND, UINT>> allowed;
bool elevated = false;

bool pretendElevation() {
    return elevated;
}

BOOL WINAPI recordChange(HWND window, UINT message, DWORD action, void *) {
    if (action == 1) // MSGFLT_ALLOW
        allowed.insert({window, message});
    return TRUE;
}

} // namespace

TEST(MessageFilter, OpensOnlyWhenElevatedAndOnlyForTheMessagesFromOutside) {
    HWND main = reinterpret_cast<HWND>(0x1010);
    HWND list = reinterpret_cast<HWND>(0x2020);
    const MessageFilterCalls calls = {pretendElevation, recordChange};

    allowed.clear();
    elevated = false;
    letOutsideMessagesThrough(main, list, calls);
    EXPECT_TRUE(allowed.empty());

    elevated = true;
    letOutsideMessagesThrough(main, list, calls);
    const std::set<std::pair<HWND, UINT>> wanted = {
        {main, taskbarCreatedMessage()}, {main, kTrayCallbackMessage}, {list, WM_KEYDOWN},
        {list, kPostedKeyMessage},       {list, kCatchUpMessage},      {list, kSyncSuggestionsMessage},
        {list, kToggleWindowMessage},
    };
    EXPECT_EQ(allowed, wanted);
}
