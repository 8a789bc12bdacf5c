// The suggestion window under Wine: a forwarded key returns before the list is moved, shown or
// hidden, which the window then does from its message loop, following the last wish of the keys
// and the hook.
#include "app/app_globals_win.h"
#include "completion/key_handler_win.h"
#include "completion/suggestion_window_win.h"
#include "hooklib/larkhook.h"
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
        list_ = CreateWindowExA(0, wc.lpszClassName, "list", WS_POPUP | WS_BORDER, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    }
    ~SuggestionWindowTest() override {
        DestroyWindow(list_);
        UnregisterClassA("WordlarkSuggestionTest", GetModuleHandleA(nullptr));
        delete settings;
        delete wordStore;
        settings = nullptr;
        wordStore = nullptr;
        SetSuggestionsShown(0);
    }

    void forward(int key) { SendMessageA(list_, WM_KEYDOWN, key, 0x1E0001); }
    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    bool shown() const { return IsWindowVisible(list_) != FALSE; }
    // What the hook does when it hides the list (a click, a focus change, a dismissal).
    void hookHides() {
        SetSuggestionsShown(0);
        PostMessageA(list_, kSyncSuggestionsMessage, 0, 0);
    }
    int width() const {
        RECT rect = {};
        GetWindowRect(list_, &rect);
        return rect.right - rect.left;
    }

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

    // A letter without matches hides the list, also from the message loop.
    forward('z');
    EXPECT_EQ(GetSuggestionsShown(), 0);
    pump();
    EXPECT_FALSE(shown());
}

TEST_F(SuggestionWindowTest, TheListFollowsTheLastKeyWhateverTheOrderOfKeysAndHides) {
    // A click before the first placement: the list never appears.
    forward('h');
    hookHides();
    pump();
    EXPECT_FALSE(shown());
    // The word goes on after the click; a dismissal before the placement hides it again.
    forward('e');
    forward(VK_ESCAPE);
    hookHides();
    pump();
    EXPECT_FALSE(shown());

    // Shift (and Shift+Up or Down) before the placement of a letter keeps that placement: the
    // list takes the size of the last word, not of the one before it.
    forward('h');
    pump();
    const int shortWordWidth = width();
    wordStore->baseVocabulary().addWord("helicopter", 9, nullptr);
    forward('e');
    forward(VK_SHIFT);
    forward(VK_DOWN);
    pump();
    ASSERT_TRUE(shown());
    int wanted = 0, height = 0;
    measureSuggestions(list_, wanted, height);
    EXPECT_GT(width(), shortWordWidth);
    EXPECT_EQ(width(), wanted + 8);
}

TEST_F(SuggestionWindowTest, ASentKeyTakesTheLettersPostedBeforeItFirst) {
    // The hook posts letters and sends Shift+Space; sent messages overtake posted ones.
    PostMessageA(list_, kPostedKeyMessage, 'h', 0x1E0001);
    PostMessageA(list_, kPostedKeyMessage, 'e', 0x1E0001);
    forward(VK_SPACE);
    EXPECT_EQ(wordStore->typedLength(), 0);
    EXPECT_EQ(wordStore->baseVocabulary().countOf("hello"), 6); // "he" took row 1
    pump();
    EXPECT_EQ(wordStore->typedLength(), 0); // nothing of "he" was left to handle afterwards
    EXPECT_FALSE(shown());
}

TEST_F(SuggestionWindowTest, HotKeysToggleOnlyTheProgramsOwnWindowsInTheOrderPressed) {
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND previous = commandWindow;
    commandWindow = CreateWindowExA(0, "STATIC", "command", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(commandWindow), SW_SHOWNOACTIVATE);
    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(other), SW_SHOWNOACTIVATE);
    pump();
    EXPECT_TRUE(IsWindowVisible(commandWindow));
    EXPECT_FALSE(IsWindowVisible(other));
    // Two quick presses: shown and hidden again, whatever the window looked like in between.
    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(commandWindow), SW_SHOWNOACTIVATE);
    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(commandWindow), SW_SHOWNOACTIVATE);
    pump();
    EXPECT_TRUE(IsWindowVisible(commandWindow));
    DestroyWindow(commandWindow);
    DestroyWindow(other);
    commandWindow = previous;
}

} // namespace
