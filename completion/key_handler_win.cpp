#include "completion/key_handler_win.h"

#include <climits>

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

void readFocusedProgram(std::string &moduleName, std::string &modulePath) {
    char buffer[MAX_PATH] = "";
    GetModuleName(buffer);
    moduleName = buffer;
    buffer[0] = '\0';
    GetModulePath(buffer);
    modulePath = buffer;
}

// Enter with nothing highlighted goes back to the program as a key-down of its own; the user's
// key release follows it.
void replayEnter() { keybd_event(VK_RETURN, 0, 0, 0); }

// The list follows the shown state of the hook library, which the keys and the hook set, from
// this window's message loop: the program typed in never waits for a move, show, hide or paint,
// which under Wine on a bare display can take a round trip to a window manager that never comes.
// User-interface thread only.
struct SuggestionsSync {
    bool posted = false;  // a kSyncSuggestionsMessage of ours is on its way
    HWND focus = nullptr; // the focus window the list is asked for
} sync;

void requestSuggestions(HWND window, bool shown, HWND focus) {
    SetSuggestionsShown(shown ? 1 : 0);
    if (shown)
        sync.focus = focus;
    // Most letters leave a hidden list hidden: no message, no round trip for them.
    if (!shown && !sync.posted && !IsWindowVisible(window))
        return;
    if (!sync.posted)
        sync.posted = PostMessageA(window, kSyncSuggestionsMessage, 0, 0) != FALSE;
    if (!sync.posted)
        syncSuggestions(window);
}

} // namespace

int handleSuggestionKey(HWND window, WPARAM wParam, LPARAM flags) {
    // A key the hook gave up waiting for has reached the program already: acting on it now would
    // type into the program behind the user's back.
    if (!wordStore || !settings || IsForwardAbandoned(forwardSerial(wParam)))
        return 1;
    HWND focus = GetFocusWindow();
    const int key = forwardedKeyCode(wParam);
    // A letter in a field that accessibility marks protected is a password's: it is neither
    // shown nor learned, and the hooks leave that field's keys alone from now on.
    const bool feedsTheWord = (key >= 'a' && key <= 'z') || (key >= 'A' && key <= 'Z') ||
                              key == forwarded_key::kBackspace;
    if (feedsTheWord && examineTypingTarget(focus)) {
        requestSuggestions(window, false, nullptr);
        return 1;
    }
    KeyHandlerSeams seams;
    seams.focusedProgram = readFocusedProgram;
    seams.sendImeChar = [focus](unsigned char ch) { SendMessageA(focus, kImeChar, ch, 0); };
    seams.sendChar = [focus](int ch, long keyFlags) { SendMessageA(focus, WM_CHAR, ch, keyFlags); };
    seams.replayEnter = replayEnter;
    seams.hideList = [window]() { requestSuggestions(window, false, nullptr); };
    seams.showListAtCaret = [window, focus]() { requestSuggestions(window, true, focus); };
    return handleKey(*wordStore, *settings, seams, key, static_cast<long>(flags));
}

void syncSuggestions(HWND window) {
    sync.posted = false;
    if (GetSuggestionsShown())
        showSuggestionsAtCaret(window, sync.focus);
    else if (IsWindowVisible(window))
        ShowWindow(window, SW_HIDE);
}

void showSuggestionsAtCaret(HWND window, HWND focus) {
    // A focus window that is gone leaves the caret where the hook found it.
    RECT focusRect = {INT_MIN, INT_MIN, INT_MIN, INT_MIN};
    if (!GetWindowRect(focus, &focusRect))
        focusRect.left = focusRect.top = INT_MIN;
    const CaretLine caret = caretLineOf(focus);
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
