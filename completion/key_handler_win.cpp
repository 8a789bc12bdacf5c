#include "completion/key_handler_win.h"

#include <climits>

#include "app/app_globals_win.h"
#include "completion/key_handler.h"
#include "completion/suggestion_rows.h"
#include "hooklib/larkhook.h"
#include "vocabulary/word_store.h"
#include "win32/window_dc_win.h"

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

} // namespace

int handleSuggestionKey(HWND window, WPARAM key, LPARAM flags) {
    if (!wordStore || !settings)
        return 1;
    HWND focus = GetFocusWindow();
    KeyHandlerSeams seams;
    seams.focusedProgram = readFocusedProgram;
    seams.sendImeChar = [focus](unsigned char ch) { SendMessageA(focus, kImeChar, ch, 0); };
    seams.sendChar = [focus](int ch, long keyFlags) { SendMessageA(focus, WM_CHAR, ch, keyFlags); };
    seams.replayEnter = replayEnter;
    seams.hideList = [window]() { ShowWindow(window, SW_HIDE); };
    seams.showListAtCaret = [window, focus]() { showSuggestionsAtCaret(window, focus); };
    return handleKey(*wordStore, *settings, seams, static_cast<int>(key), static_cast<long>(flags));
}

void showSuggestionsAtCaret(HWND window, HWND focus) {
    // A focus window that is gone leaves the caret where the hook found it.
    RECT focusRect = {INT_MIN, INT_MIN, INT_MIN, INT_MIN};
    if (!GetWindowRect(focus, &focusRect))
        focusRect.left = focusRect.top = INT_MIN;
    int width = 0, height = 0;
    measureSuggestions(window, width, height);
    ListPlacement place =
        placeList(GetCaretX(), GetCaretY(), focusRect.left, focusRect.top, GetCharY(), width, height);
    // Moving or showing a window costs round trips to the display; a shown list that is already
    // in place (the common case while a word grows) is left as it is.
    RECT now = {};
    bool visible = IsWindowVisible(window) != FALSE;
    bool inPlace = visible && GetWindowRect(window, &now) && now.left == place.x && now.top == place.y &&
                   now.right - now.left == place.width && now.bottom - now.top == place.height;
    if (!inPlace)
        SetWindowPos(window, HWND_TOPMOST, place.x, place.y, place.width, place.height, SWP_NOACTIVATE);
    if (!visible)
        ShowWindow(window, SW_SHOWNOACTIVATE);
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
    WindowDC dc(window);
    if (!dc)
        return;
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc.get(), &metrics);
    // All 256 widths in one call: one trip into GDI instead of one per character.
    INT widths[256] = {};
    GetCharWidth32A(dc.get(), 0, 255, widths);
    width = 3 * metrics.tmAveCharWidth;
    for (unsigned char ch : longest)
        width += widths[ch];
    height = (rows + 1) * metrics.tmHeight;
}
