// The suggestion window under Wine: a forwarded key returns before the list is moved, shown or
// hidden, which the window then does from its message loop, following the last wish of the keys
// and the hook.
#include "app/app_globals_win.h"
#include "completion/key_handler_win.h"
#include "completion/suggestion_window_win.h"
#include "config/settings.h"
#include "hooklib/hook_state.h"
#include "hooklib/larkhook.h"
#include "resources/resource_ids.h"
#include "support/scratch_folder.h"
#include "vocabulary/word_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

// The session's hook state block, which the library beside the tests created: the tests hand keys
// over through it as the hooks do, in the order of a race between the processes.
class HookBlock {
public:
    HookBlock() {
        mapping_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "Local\\WordlarkHookState");
        if (mapping_)
            state_ = static_cast<hookstate::HookState *>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    ~HookBlock() {
        if (state_)
            UnmapViewOfFile(state_);
        if (mapping_)
            CloseHandle(mapping_);
    }
    hookstate::HookState &state() { return *state_; }
    bool mapped() const { return state_ != nullptr; }

    // A key as a hook hands it over: a serial, a slot with the program it was typed in, the list
    // epoch of the moment it was pressed.
    WPARAM handOver(int code, HWND focus, const char *module, hookstate::KeyClaim claim) {
        unsigned serial = 0;
        while (serial == 0)
            serial = static_cast<unsigned>(++state_->lastForwardSerial) & 0xFFFF;
        hookstate::KeySlot &slot = hookstate::keySlotOf(*state_, serial);
        slot.focusWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(focus));
        slot.caretX = slot.caretY = 100;
        slot.hasCaret = 1;
        slot.charHeight = 16;
        slot.listEpoch = state_->listEpoch;
        std::strncpy(slot.moduleFileName, module, sizeof slot.moduleFileName - 1);
        hookstate::markKey(slot, serial, claim);
        return static_cast<WPARAM>(code) | static_cast<WPARAM>(serial) << 16;
    }
    // What the hooks do on a click, a focus change or the end of a word.
    void hide() {
        ++state_->listEpoch;
        state_->suggestionsShown = 0;
    }

private:
    HANDLE mapping_ = nullptr;
    hookstate::HookState *state_ = nullptr;
};

const char kEditorA[] = "C:\\apps\\editor-a.exe";
const char kEditorB[] = "C:\\apps\\editor-b.exe";

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
        takeKeysWithoutSerial(true);
    }
    ~SuggestionWindowTest() override {
        takeKeysWithoutSerial(false);
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

TEST_F(SuggestionWindowTest, TheProgramDropsKeysThatNoHookHandedOver) {
    // A word under way, then keys that name no record of the hooks, as another process could post
    // or send them: the program takes none of them, and the word and the list stay as they were.
    forward('h');
    pump();
    ASSERT_TRUE(shown());
    takeKeysWithoutSerial(false);
    PostMessageA(list_, kPostedKeyMessage, 'e', 0x1E0001);
    forward(VK_SPACE);
    forward(VK_ESCAPE);
    pump();
    EXPECT_EQ(wordStore->typedLength(), 1);
    EXPECT_EQ(wordStore->baseVocabulary().countOf("hello"), 5);
    EXPECT_TRUE(shown());
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

// Races between the hooks and the main program, played in their racing order through the block.
class HandedOverKeys : public SuggestionWindowTest {
protected:
    HandedOverKeys() {
        edit_ = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 200, 40, nullptr, nullptr, nullptr, nullptr);
        settings->putProgram("editor-a.exe", kEditorA, true);
        settings->putProgram("editor-b.exe", kEditorB, true);
    }
    ~HandedOverKeys() override { DestroyWindow(edit_); }
    void post(const char *letters, const char *module = kEditorA) {
        for (const char *p = letters; *p; ++p)
            PostMessageA(list_, kPostedKeyMessage, block_.handOver(*p, edit_, module, hookstate::kKeyPosted), 0x1E0001);
    }
    // The main program's answer to the hook: kKeyTaken, or the key is the program's.
    LRESULT send(int key, hookstate::KeyClaim claim = hookstate::kKeyWaiting) {
        return SendMessageA(list_, WM_KEYDOWN, block_.handOver(key, edit_, kEditorA, claim), 0x1E0001);
    }
    std::string editText() const {
        char text[64] = "";
        GetWindowTextA(edit_, text, sizeof text);
        return text;
    }
    int learned(const char *program, const char *word) {
        WordTrie *trie = wordStore->learnedVocabulary(program);
        return trie && trie->countOf(word) > 0 ? trie->countOf(word) : 0;
    }

    HookBlock block_;
    HWND edit_ = nullptr;
};

TEST_F(HandedOverKeys, TheListNeverOutlivesItsWord) {
    ASSERT_TRUE(block_.mapped());
    // "he" is still queued when a click hides the list: the late letters change the word but
    // never bring the list back; a letter pressed after the click does.
    post("he");
    block_.hide();
    pump();
    EXPECT_FALSE(shown());
    EXPECT_EQ(wordStore->typedLength(), 2);
    post("l");
    pump();
    EXPECT_TRUE(shown());

    // The word ends (Escape, queued behind a letter) while Shift+Space is on its way: the list goes
    // with the word, and the key is the program's, never a row's word.
    post("l");
    PostMessageA(list_, kPostedKeyMessage, block_.handOver(VK_ESCAPE, edit_, kEditorA, hookstate::kKeyPosted), 0);
    block_.hide();
    // The hook lets the main program catch up before it decides on Shift+Space: the list is gone
    // with the word, so the hook leaves the key to the program.
    SendMessageA(list_, kCatchUpMessage, 0, 0);
    EXPECT_EQ(GetSuggestionsShown(), 0);
    // One that was on its way already finds nothing to take: the answer gives the user's own key to
    // the program, and nothing is typed in its place.
    EXPECT_EQ(send(VK_SPACE), 0);
    pump();
    EXPECT_FALSE(shown());
    EXPECT_EQ(editText(), "");
}

TEST_F(HandedOverKeys, AKeyTheHookGaveUpOnIsThePrograms) {
    ASSERT_TRUE(block_.mapped());
    post("hel");
    pump();
    ASSERT_TRUE(shown());
    // The hook's wait ran out before the main program came to Ctrl+1: the program typed in has it.
    send('1', hookstate::kKeyAbandoned);
    EXPECT_EQ(learned("editor-a.exe", "hello"), 0);
    EXPECT_EQ(wordStore->typedLength(), 3);
    // Claimed in time, it picks once, and the rest of the word reaches the program once, posted.
    EXPECT_EQ(send('1'), kKeyTaken);
    EXPECT_EQ(learned("editor-a.exe", "hello"), 1);
    EXPECT_EQ(wordStore->typedLength(), 0);
    pump();
    EXPECT_EQ(editText(), "lo");

    // A Shift+Space given up on was a space in the program: Wordlark's word ended there too, so
    // "the" and "re" are two words, not "there".
    SetWindowTextA(edit_, "");
    post("the");
    pump();
    send(VK_SPACE, hookstate::kKeyAbandoned);
    post("re");
    pump();
    EXPECT_EQ(wordStore->currentWord(), "re");
    // A Backspace given up on erased a letter there: here too, once, though the key came late and
    // the hook's note of it came after.
    const WPARAM late = block_.handOver(VK_BACK, edit_, kEditorA, hookstate::kKeyAbandoned);
    SendMessageA(list_, WM_KEYDOWN, late, 0x1E0001);
    PostMessageA(list_, kPostedKeyMessage, late, 0x1E0001);
    pump();
    EXPECT_EQ(wordStore->currentWord(), "r");
    // Windows withdrew the late Shift+Space: the note alone ends the word, in its place among the
    // letters typed before and after it.
    post("e");
    PostMessageA(list_, kPostedKeyMessage, block_.handOver(VK_SPACE, edit_, kEditorA, hookstate::kKeyAbandoned),
                 0x1E0001);
    post("wo");
    pump();
    EXPECT_EQ(wordStore->currentWord(), "wo");
    EXPECT_TRUE(shown());
    EXPECT_EQ(editText(), "");
}

TEST_F(HandedOverKeys, AWordIsLearnedInTheProgramItWasTypedIn) {
    ASSERT_TRUE(block_.mapped());
    // Typed in A, then in B while the main program lagged: each word is A's or B's.
    post("world", kEditorA);
    post("helium", kEditorB);
    PostMessageA(list_, kPostedKeyMessage, block_.handOver(VK_ESCAPE, edit_, kEditorB, hookstate::kKeyPosted), 0);
    pump();
    EXPECT_EQ(learned("editor-a.exe", "world"), 1);
    EXPECT_EQ(learned("editor-b.exe", "world"), 0);
    EXPECT_EQ(learned("editor-b.exe", "helium"), 1);

    // The first letters of "extraordinary" are lost (later keys took their slots over): the rest
    // of the word is neither shown nor learned as a word of its own.
    post("ext");
    for (unsigned i = 0; i < hookstate::kKeySlots; ++i)
        block_.handOver('x', edit_, kEditorA, hookstate::kKeyPosted);
    post("raordinary");
    PostMessageA(list_, kPostedKeyMessage, block_.handOver(VK_ESCAPE, edit_, kEditorA, hookstate::kKeyPosted), 0);
    pump();
    EXPECT_FALSE(shown());
    EXPECT_EQ(learned("editor-a.exe", "raordinary"), 0);
    EXPECT_EQ(learned("editor-a.exe", "extraordinary"), 0);
    // The next word is whole again.
    post("worlds");
    PostMessageA(list_, kPostedKeyMessage, block_.handOver(VK_ESCAPE, edit_, kEditorA, hookstate::kKeyPosted), 0);
    pump();
    EXPECT_EQ(learned("editor-a.exe", "worlds"), 1);
}

TEST_F(SuggestionWindowTest, HotKeysToggleOnlyTheProgramsOwnWindowsAndQuickSearchTakesTheKeyboard) {
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND typedIn =
        CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    HWND previous = commandWindow;
    // Quick Search as its dialog is made: a combo box with an edit field, holding the last query.
    commandWindow =
        CreateWindowExA(0, "STATIC", "command", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 150, 80, commandWindow,
                                 reinterpret_cast<HMENU>(IDC_COMMAND_COMBO), nullptr, nullptr);
    HWND edit = GetWindow(combo, GW_CHILD);
    SetWindowTextA(edit, "last query");
    SetForegroundWindow(typedIn);
    SetFocus(typedIn);

    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(commandWindow), SW_SHOW);
    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(other), SW_SHOWNOACTIVATE);
    pump();
    EXPECT_TRUE(IsWindowVisible(commandWindow));
    EXPECT_FALSE(IsWindowVisible(other));
    // In front, the keys going to its emptied edit field rather than to the window typed in.
    EXPECT_EQ(GetForegroundWindow(), commandWindow);
    EXPECT_EQ(GetFocus(), edit);
    char text[32] = "x";
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "");
    // Two quick presses: shown and hidden again, whatever the window looked like in between.
    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(commandWindow), SW_SHOW);
    PostMessageA(list_, kToggleWindowMessage, reinterpret_cast<WPARAM>(commandWindow), SW_SHOW);
    pump();
    EXPECT_TRUE(IsWindowVisible(commandWindow));
    DestroyWindow(commandWindow);
    DestroyWindow(other);
    DestroyWindow(typedIn);
    commandWindow = previous;
}

} // namespace
