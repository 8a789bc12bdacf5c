// The suggestion window under Wine: a forwarded letter returns before the list is moved and shown,
// which the window then does from its message loop unless it was hidden in between.
#include "app/app_globals_win.h"
#include "completion/suggestion_window_win.h"
#include "config/settings.h"
#include "support/scratch_folder.h"
#include "vocabulary/word_store.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

class SuggestionWindowTest : public ::testing::Test {
protected:
    SuggestionWindowTest() {
        writeBytes(folder_.path("base.voc"), "hello 5\r\nhelp 4\r\nheld 3\r\n");
        wordStore = new WordStore(folder_.path("base.voc"), 25, 10);
        settings = new Settings(folder_.path("wordlark.cfg"));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = suggestionWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WordlarkSuggestionTest";
        RegisterClassA(&wc);
        list_ = CreateWindowExA(0, wc.lpszClassName, "list", WS_POPUPWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    }
    ~SuggestionWindowTest() override {
        DestroyWindow(list_);
        UnregisterClassA("WordlarkSuggestionTest", GetModuleHandleA(nullptr));
        delete settings;
        delete wordStore;
        settings = nullptr;
        wordStore = nullptr;
    }

    void forward(int key) { SendMessageA(list_, WM_KEYDOWN, key, 0x1E0001); }
    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    bool shown() const { return IsWindowVisible(list_) != FALSE; }

    ScratchFolder folder_;
    HWND list_ = nullptr;
};

TEST_F(SuggestionWindowTest, ALetterShowsTheListFromTheMessageLoopSizedForItsRows) {
    forward('h');
    EXPECT_FALSE(shown()); // the forwarded key has returned; nothing waited for the window
    pump();
    ASSERT_TRUE(shown());
    RECT first = {};
    GetWindowRect(list_, &first);
    EXPECT_GT(first.right - first.left, 8);
    EXPECT_GT(first.bottom - first.top, 4);

    // A letter without matches hides the list at once, and nothing brings it back.
    forward('z');
    EXPECT_FALSE(shown());
    pump();
    EXPECT_FALSE(shown());
}

TEST_F(SuggestionWindowTest, AListHiddenBeforeItsPlacingStaysHidden) {
    forward('h');
    pump();
    ASSERT_TRUE(shown());
    // The next letter asks for the list again; the hook hides it (a click) before that is done.
    forward('e');
    ShowWindow(list_, SW_HIDE);
    pump();
    EXPECT_FALSE(shown());
    // Escape from the hook ends the word before the request of the letter before it is applied.
    forward('l');
    forward(VK_ESCAPE);
    pump();
    EXPECT_FALSE(shown());
}

} // namespace
