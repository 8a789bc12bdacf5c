#include "completion/key_handler_win.h"

#include <climits>
#include <memory>
#include <string>

#include "app/app_globals_win.h"
#include "completion/key_handler.h"
#include "completion/suggestion_rows.h"
#include "hooklib/larkhook.h"
#include "vocabulary/word_store.h"
#include "win32/window_dc_win.h"

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
    bool listCurrent = true;
    std::string moduleName, modulePath;
};

std::string fileNameOf(const std::string &path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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
    auto typing = std::make_shared<BoundedTyping>(keyOrigin.focus);
    KeyHandlerSeams seams;
    seams.focusedProgram = [&wordOrigin](std::string &moduleName, std::string &modulePath) {
        moduleName = wordOrigin.moduleName;
        modulePath = wordOrigin.modulePath;
    };
    seams.sendImeChar = [typing](unsigned char ch) { typing->type(kImeChar, ch, 0); };
    seams.sendChar = [typing](int ch, long keyFlags) { typing->type(WM_CHAR, ch, keyFlags); };
    seams.replayEnter = replayEnter;
    seams.hideList = [window]() { requestSuggestions(window, false, nullptr); };
    // A letter pressed before the hooks last hid the list (a click, a focus change, the end of the
    // word) changes the word but never brings the list back.
    seams.showListAtCaret = [window, &keyOrigin]() { requestSuggestions(window, keyOrigin.listCurrent, &keyOrigin); };
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
        showSuggestionsAtCaret(window, sync.at.focus, sync.at.caretX, sync.at.caretY, sync.at.charHeight);
    else if (IsWindowVisible(window))
        ShowWindow(window, SW_HIDE);
}

void showSuggestionsAtCaret(HWND window, HWND focus, int caretX, int caretY, int lineHeight) {
    // A focus window that is gone leaves the caret where the hook found it.
    RECT focusRect = {INT_MIN, INT_MIN, INT_MIN, INT_MIN};
    if (!GetWindowRect(focus, &focusRect))
        focusRect.left = focusRect.top = INT_MIN;
    int width = 0, height = 0;
    measureSuggestions(window, width, height);
    ListPlacement place = placeList(caretX, caretY, focusRect.left, focusRect.top, lineHeight, width, height);
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

namespace {

// The list draws with the stock font of its window's device context, which does not change while
// the program runs; its metrics are read once rather than through a fresh GetDC at every letter,
// which under Wine costs most of the handler's time.
struct ListFontMetrics {
    bool known = false;
    int averageWidth = 0, height = 0;
    INT widths[256] = {};
};

const ListFontMetrics &listFontMetrics(HWND window) {
    static ListFontMetrics metrics;
    if (metrics.known)
        return metrics;
    WindowDC dc(window);
    if (!dc)
        return metrics;
    TEXTMETRICA text = {};
    if (!GetTextMetricsA(dc.get(), &text) || !GetCharWidth32A(dc.get(), 0, 255, metrics.widths))
        return metrics;
    metrics.averageWidth = text.tmAveCharWidth;
    metrics.height = text.tmHeight;
    metrics.known = true;
    return metrics;
}

} // namespace

void measureSuggestions(HWND window, int &width, int &height) {
    width = 0;
    height = 0;
    if (!IsWindow(window) || !wordStore)
        return;
    std::string longest;
    int rows = 0;
    if (!measurePage(*wordStore, longest, rows))
        return;
    const ListFontMetrics &font = listFontMetrics(window);
    width = 3 * font.averageWidth;
    for (unsigned char ch : longest)
        width += font.widths[ch];
    height = (rows + 1) * font.height;
}
