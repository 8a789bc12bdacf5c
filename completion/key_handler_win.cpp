#include "completion/key_handler_win.h"

#include <climits>
#include <string>

#include "app/app_globals_win.h"
#include "completion/erase_before_caret_win.h"
#include "completion/key_handler.h"
#include "completion/list_font_win.h"
#include "completion/suggestion_rows.h"
#include "completion/typing_target_win.h"
#include "hooklib/larkhook.h"
#include "vocabulary/word_store.h"
#include "win32/screen_dpi_win.h"

namespace {

const UINT kImeChar = 0x0286; // WM_IME_CHAR: a character message, which the hook never sees

// Where a forwarded key was typed: what the hook recorded with it when it was pressed.
struct Origin {
    HWND focus = nullptr;
    int caretX = 0, caretY = 0, charHeight = 0;
    bool hasCaret = true; // false: the program showed no system caret, the caret is the last click
    bool listCurrent = true;
    std::string moduleName, modulePath;
};

std::string fileNameOf(const std::string &path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool keysWithoutSerial = false;

// A key without a serial does not come from the hook (the tests and benchmarks hand keys over
// directly): it stands for the last key the hook recorded.
bool originOf(unsigned serial, Origin &origin) {
    if (serial == 0) {
        char buffer[MAX_PATH] = "";
        GetModulePath(buffer);
        origin.modulePath = buffer;
        buffer[0] = '\0';
        GetModuleName(buffer);
        origin.moduleName = buffer;
        origin.focus = GetFocusWindow();
        origin.caretX = GetCaretX();
        origin.caretY = GetCaretY();
        origin.charHeight = GetCharY();
        return true;
    }
    KeyOrigin recorded = {};
    if (!GetKeyOrigin(serial, &recorded))
        return false;
    origin.focus = recorded.focus;
    origin.caretX = recorded.caretX;
    origin.caretY = recorded.caretY;
    origin.charHeight = recorded.charHeight;
    origin.hasCaret = recorded.hasCaret != 0;
    origin.listCurrent = recorded.listCurrent != 0;
    origin.modulePath = recorded.modulePath;
    origin.moduleName = fileNameOf(origin.modulePath);
    return true;
}

// The word being typed belongs to the program and window of its first letter: it is learned there
// and typed into there, whatever the user does meanwhile. A word whose letters were dropped (too
// old to trust) is spoiled: nothing of it is shown or learned until it ends.
struct WordInProgress {
    bool active = false;
    bool spoiled = false;
    Origin origin;
} word;

// The list follows the shown state of the hook library, which the keys and the hook set, from
// this window's message loop: the program typed in never waits for a move, show, hide or paint,
// which under Wine on a bare display can take a round trip to a window manager that never comes.
// User-interface thread only.
struct SuggestionsSync {
    bool posted = false; // a kSyncSuggestionsMessage of ours is on its way
    Origin at;           // where the list is asked for
} sync;

void requestSuggestions(HWND window, bool shown, const Origin *at) {
    SetSuggestionsShown(shown ? 1 : 0);
    if (shown)
        sync.at = *at;
    // Most letters leave a hidden list hidden: no message, no round trip for them.
    if (!shown && !sync.posted && !IsWindowVisible(window))
        return;
    if (!sync.posted)
        sync.posted = PostMessageA(window, kSyncSuggestionsMessage, 0, 0) != FALSE;
    if (!sync.posted)
        syncSuggestions(window);
}

// The rest of a picked word is posted to the program's focus window, a character a message: the
// program takes each exactly once and in order, before any key typed after the pick (posted
// messages come before input), however slowly it works, and nothing here waits for it. A character
// sent with a time-out would be taken late all the same and so could arrive twice.
void typeCharacter(HWND focus, unsigned char ch) { PostMessageA(focus, kImeChar, ch, 0); }

// The erasing of a correction's typed letters is sent, so that the program takes each Backspace
// while the modifier keys are as eraseBeforeCaret set them, and before the word's characters,
// which are posted. A program that does not take one within this time is hung: the rest is
// posted, in order, so that the main program never waits longer.
const UINT kEraseTimeoutMs = 200;

class BoundedSending {
public:
    explicit BoundedSending(HWND target) : target_(target) {}
    void send(UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR ignored = 0;
        if (!hung_ &&
            SendMessageTimeoutA(target_, message, wParam, lParam, SMTO_ABORTIFHUNG, kEraseTimeoutMs, &ignored))
            return;
        hung_ = true;
        PostMessageA(target_, message, wParam, lParam);
    }

private:
    HWND target_;
    bool hung_ = false;
};

int actOnKey(HWND window, int key, unsigned serial, const Origin &keyOrigin) {
    const Origin &wordOrigin = word.active ? word.origin : keyOrigin;
    // The seams are called only during handleKey: they may refer to what lives on this frame.
    KeyHandlerSeams seams;
    seams.focusedProgram = [&wordOrigin](std::string &moduleName, std::string &modulePath) {
        moduleName = wordOrigin.moduleName;
        modulePath = wordOrigin.modulePath;
    };
    seams.sendImeChar = [&keyOrigin](unsigned char ch) { typeCharacter(keyOrigin.focus, ch); };
    seams.eraseTyped = [&keyOrigin](int count) {
        BoundedSending erasing(keyOrigin.focus);
        eraseBeforeCaret(keyOrigin.focus, count, [&erasing](UINT message, WPARAM ch, LPARAM keyFlags) {
            erasing.send(message, ch, keyFlags);
        });
    };
    // A key the hook waits for is acted on once: the claim comes before the hook's give-up, or the
    // key went on to the program, whose text the word then follows, once: when the main program
    // declines it, or at the hook's note of a key it gave up on. Keys without a serial are the
    // handler's own.
    seams.claimKey = [serial]() { return serial == 0 || ClaimForwardedKey(serial) != FALSE; };
    seams.followKey = [serial]() { return serial == 0 || FollowForwardedKey(serial) != FALSE; };
    seams.hideList = [window]() { requestSuggestions(window, false, nullptr); };
    // A letter pressed before the hooks last hid the list (a click, a focus change, the end of the
    // word) changes the word but never brings the list back.
    seams.showListAtCaret = [window, &keyOrigin]() { requestSuggestions(window, keyOrigin.listCurrent, &keyOrigin); };
    // Where the key was typed: its window and caret line, which tell whether the next word follows
    // the last one.
    seams.typingPlace = [&keyOrigin]() {
        unsigned long long windowBits = static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(keyOrigin.focus));
        return static_cast<long long>(windowBits << 32 ^ static_cast<unsigned>(keyOrigin.caretY));
    };
    return handleKey(*wordStore, *settings, seams, key);
}

bool sameProgram(const Origin &a, const Origin &b) { return a.focus == b.focus && a.modulePath == b.modulePath; }

// Ends the word in progress without learning it.
void dropWord(HWND window) {
    wordStore->reset();
    requestSuggestions(window, false, nullptr);
    word.active = false;
}

} // namespace

int handleSuggestionKey(HWND window, WPARAM wParam, bool stale) {
    if (!wordStore || !settings)
        return 0;
    const int key = forwardedKeyCode(wParam);
    const unsigned serial = forwardSerial(wParam);
    if (serial == 0 && !keysWithoutSerial)
        return 0;
    const bool letter = forwarded_key::isLetter(key);
    Origin origin;
    // A key too old to trust, or whose record later keys took over, spoils its word; so does a
    // letter that no vocabulary can hold.
    if (stale || !originOf(serial, origin) || key == forwarded_key::kForeignLetter) {
        dropWord(window);
        word.spoiled = letter;
        return 0;
    }
    if (word.spoiled) {
        if (letter)
            return 0;
        word.spoiled = false;
        dropWord(window);
        return 0;
    }
    // A letter in a field that accessibility marks protected is a password's: the word is dropped,
    // neither shown nor learned, and the hooks leave that field's keys alone from now on.
    if ((letter || key == forwarded_key::kBackspace) && examineTypingTarget(origin.focus, origin.hasCaret)) {
        dropWord(window);
        return 0;
    }
    // A letter from another window than the word's: that word ended there, and is learned there.
    if (letter && word.active && !sameProgram(word.origin, origin)) {
        actOnKey(window, VK_ESCAPE, 0, word.origin);
        word.active = false;
    }
    if (letter && !word.active) {
        word.active = true;
        word.origin = origin;
    }
    const int answer = actOnKey(window, key, serial, origin);
    if (wordStore->typedLength() == 0)
        word.active = false;
    return answer == kTaken ? static_cast<int>(kKeyTaken) : 0;
}

void takeKeysWithoutSerial(bool take) { keysWithoutSerial = take; }

int handleSentSuggestionKey(HWND window, WPARAM wParam) {
    // The claim on the key, against the hook's own give-up, is made by the handler right before it
    // acts in the user's place: a key given up on, or one there is nothing to act on for, is the
    // program's, and the word follows what it did there.
    return handleSuggestionKey(window, wParam, false);
}

void syncSuggestions(HWND window) {
    sync.posted = false;
    if (GetSuggestionsShown())
        showSuggestionsAtCaret(window, sync.at.focus, sync.at.caretX, sync.at.caretY, sync.at.charHeight,
                               sync.at.hasCaret);
    else if (IsWindowVisible(window))
        ShowWindow(window, SW_HIDE);
}

void showSuggestionsAtCaret(HWND window, HWND focus, int caretX, int caretY, int lineHeight, bool hasCaret) {
    // A focus window that is gone leaves the caret where the hook found it.
    RECT focusRect = {INT_MIN, INT_MIN, INT_MIN, INT_MIN};
    if (!GetWindowRect(focus, &focusRect))
        focusRect.left = focusRect.top = INT_MIN;
    const CaretLine caret = caretLineOf(focus, POINT{caretX, caretY}, lineHeight, hasCaret);
    // The list is drawn at the scale of the monitor it is shown on.
    setListDpi(dpiOfMonitorAt(caret.topLeft));
    int width = 0, height = 0;
    measureSuggestions(window, width, height);
    // Room for the border around the list, at the monitor's scale like the rest.
    width += scaleForDpi(8, listDpi()) - 8;
    height += scaleForDpi(4, listDpi()) - 4;
    RECT work = {};
    const ScreenArea workArea = workAreaAt(caret.topLeft, work) ? ScreenArea{work.left, work.top, work.right, work.bottom}
                                                                : ScreenArea{0, 0, 0, 0};
    ListPlacement place = placeList(caret.topLeft.x, caret.topLeft.y, focusRect.left, focusRect.top, caret.height,
                                    width, height, workArea);
    // Moving or showing a window costs round trips to the display; a shown list that is already
    // in place (the common case while a word grows) is left as it is, and a hidden one is placed
    // and shown in one call, which under Wine halves the time to the list on screen.
    RECT now = {};
    bool visible = IsWindowVisible(window) != FALSE;
    bool inPlace = visible && GetWindowRect(window, &now) && now.left == place.x && now.top == place.y &&
                   now.right - now.left == place.width && now.bottom - now.top == place.height;
    if (!inPlace)
        SetWindowPos(window, HWND_TOPMOST, place.x, place.y, place.width, place.height,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // Painted now, not when the queue runs dry: letters typed on would put the paint off.
    UpdateWindow(window);
}

void measureSuggestions(HWND window, int &width, int &height) {
    width = 0;
    height = 0;
    if (!IsWindow(window) || !wordStore)
        return;
    std::string longest;
    int rows = 0;
    if (!measurePage(*wordStore, longest, rows))
        return;
    // The list's font at its monitor's scale; its metrics are read once per scale rather than
    // through a fresh GetDC at every letter, which under Wine costs most of the handler's time.
    const ListFont &font = listFontFor(window, listDpi());
    width = 3 * font.averageWidth;
    for (unsigned char ch : longest)
        width += font.widths[ch];
    height = (rows + 1) * font.height;
}
