#include "completion/key_handler_win.h"

#include <climits>
#include <string>

#include "app/app_globals_win.h"
#include "completion/key_handler.h"
#include "completion/list_font_win.h"
#include "completion/suggestion_rows.h"
#include "completion/typing_target_win.h"
#include "hooklib/larkhook.h"
#include "vocabulary/word_store.h"
#include "win32/screen_dpi_win.h"

namespace {

const UINT kImeChar = 0x0286; // WM_IME_CHAR: a character message, which the hook never sees

// A program that does not take a typed character within this time is hung: the rest of the word
// is posted to it rather than sent, so that the main program, and every program whose keys wait
// for it, never waits longer.
const UINT kTypeTimeoutMs = 200;

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

// Enter with nothing highlighted goes back to the program as a key-down of its own; the user's
// key release follows it.
void replayEnter() { keybd_event(VK_RETURN, 0, 0, 0); }

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

// Types into a program that may hang: each character is sent with a bounded wait; once one was not
// taken in time, the rest is posted, in order, so that nothing is lost and nothing waits.
class BoundedTyping {
public:
    explicit BoundedTyping(HWND target) : target_(target) {}
    void type(UINT message, WPARAM ch, LPARAM flags) {
        DWORD_PTR ignored = 0;
        if (!hung_ && SendMessageTimeoutA(target_, message, ch, flags, SMTO_ABORTIFHUNG, kTypeTimeoutMs, &ignored))
            return;
        hung_ = true;
        PostMessageA(target_, message, ch, flags);
    }

private:
    HWND target_;
    bool hung_ = false;
};

int actOnKey(HWND window, int key, LPARAM flags, const Origin &keyOrigin) {
    const Origin &wordOrigin = word.active ? word.origin : keyOrigin;
    // The seams are called only during handleKey: they may refer to what lives on this frame.
    BoundedTyping typing(keyOrigin.focus);
    KeyHandlerSeams seams;
    seams.focusedProgram = [&wordOrigin](std::string &moduleName, std::string &modulePath) {
        moduleName = wordOrigin.moduleName;
        modulePath = wordOrigin.modulePath;
    };
    seams.sendImeChar = [&typing](unsigned char ch) { typing.type(kImeChar, ch, 0); };
    seams.sendChar = [&typing](int ch, long keyFlags) { typing.type(WM_CHAR, ch, keyFlags); };
    seams.replayEnter = replayEnter;
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
    return handleKey(*wordStore, *settings, seams, key, static_cast<long>(flags));
}

bool isLetter(int key) { return (key >= 'a' && key <= 'z') || (key >= 'A' && key <= 'Z'); }
bool sameProgram(const Origin &a, const Origin &b) { return a.focus == b.focus && a.modulePath == b.modulePath; }

// Ends the word in progress without learning it.
void dropWord(HWND window) {
    wordStore->reset();
    requestSuggestions(window, false, nullptr);
    word.active = false;
}

} // namespace

int handleSuggestionKey(HWND window, WPARAM wParam, LPARAM flags, bool stale) {
    if (!wordStore || !settings)
        return 1;
    const int key = forwardedKeyCode(wParam);
    const unsigned serial = forwardSerial(wParam);
    if (serial == 0 && !keysWithoutSerial)
        return 1;
    Origin origin;
    // A key too old to trust, or whose record later keys took over, spoils its word.
    if (stale || !originOf(serial, origin)) {
        dropWord(window);
        word.spoiled = isLetter(key);
        return 1;
    }
    if (word.spoiled) {
        if (isLetter(key))
            return 1;
        word.spoiled = false;
        dropWord(window);
        return 1;
    }
    // A letter in a field that accessibility marks protected is a password's: the word is dropped,
    // neither shown nor learned, and the hooks leave that field's keys alone from now on.
    if ((isLetter(key) || key == forwarded_key::kBackspace) && examineTypingTarget(origin.focus, origin.hasCaret)) {
        dropWord(window);
        return 1;
    }
    // A letter from another window than the word's: that word ended there, and is learned there.
    if (isLetter(key) && word.active && !sameProgram(word.origin, origin)) {
        actOnKey(window, VK_ESCAPE, 0, word.origin);
        word.active = false;
    }
    if (isLetter(key) && !word.active) {
        word.active = true;
        word.origin = origin;
    }
    const int result = actOnKey(window, key, flags, origin);
    if (wordStore->typedLength() == 0)
        word.active = false;
    return result;
}

void takeKeysWithoutSerial(bool take) {
    keysWithoutSerial = take;
}

int handleSentSuggestionKey(HWND window, WPARAM wParam, LPARAM flags) {
    // A key the hook gave up waiting for has reached the program already: acting on it now would
    // act twice. The claim decides it once, against the hook's own give-up.
    const unsigned serial = forwardSerial(wParam);
    if (serial != 0 && !ClaimForwardedKey(serial))
        return 1;
    return handleSuggestionKey(window, wParam, flags, false);
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
