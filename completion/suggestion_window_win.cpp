#include "completion/suggestion_window_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_globals_win.h"
#include "app/window_activation_win.h"
#include "completion/key_handler_win.h"
#include "completion/list_font_win.h"
#include "completion/suggestion_rows.h"
#include "completion/typing_target_win.h"
#include "hooklib/larkhook.h"
#include "resources/resource_ids.h"
#include "vocabulary/word_store.h"
#include "win32/gdi_object_win.h"
#include "win32/paint_dc_win.h"
#include "win32/screen_dpi_win.h"
#include "win32/window_dc_win.h"

namespace {

const COLORREF kBackground = RGB(250, 250, 250);
const COLORREF kNumberColour = RGB(255, 130, 171);
const COLORREF kTypedColour = RGB(60, 179, 113);
const COLORREF kRestColour = RGB(92, 92, 92);
const COLORREF kFooterBackground = RGB(204, 204, 204);
const COLORREF kFooterTitle = RGB(255, 255, 255);
// Sizes at 96 DPI; the list scales them to the DPI of its monitor.
const int kSmallIconSize = 16;
const int kFooterGap = 2;      // between the last row and the footer
const int kTitleOffset = 20;   // from the icon's left edge to the title
const int kIconMargin = 4;     // the least distance of the icon from the left edge

// The footer's icon at a size, made once per size from the program's icon (which holds larger
// images than the small one); the small class icon, stretched, when that cannot be loaded.
HICON footerIcon(int size) {
    static std::vector<std::pair<int, HICON>> made;
    if (size == kSmallIconSize)
        return smallIcon;
    for (const auto &icon : made)
        if (icon.first == size)
            return icon.second;
    HICON icon = static_cast<HICON>(LoadImageA(appInstance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, size, size, 0));
    if (!icon)
        return smallIcon;
    made.push_back({size, icon});
    return icon;
}

int charWidthOf(HDC dc, unsigned char ch) {
    INT width = 0;
    GetCharWidth32A(dc, ch, ch, &width);
    return width;
}

void fillRect(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    GdiObject brush(CreateSolidBrush(colour));
    RECT rect = {left, top, right, bottom};
    FillRect(dc, &rect, brush.brush());
}

void textOut(HDC dc, int x, int y, const std::string &text) {
    if (!text.empty())
        TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

struct PaintState {
    std::vector<std::string> lines;
    int typedLength, selectedIndex, firstIndex;
};

void paintRows(HDC dc, const PaintState &state, const RECT &client, int charHeight, int &maxLength) {
    RowColumns columns = measureColumns(state.lines.front(), state.typedLength,
                                        [dc](unsigned char ch) { return charWidthOf(dc, ch); });
    int index = state.firstIndex;
    int y = 0;
    for (const std::string &line : state.lines) {
        bool selected = index == state.selectedIndex;
        if (selected)
            fillRect(dc, 0, y, client.right, y + charHeight, GetSysColor(COLOR_HIGHLIGHT));
        SetBkMode(dc, TRANSPARENT);
        maxLength = std::max(maxLength, static_cast<int>(line.size()));
        RowParts parts = splitRow(line, state.typedLength);
        SetTextColor(dc, kNumberColour);
        textOut(dc, 0, y, parts.number);
        SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : kTypedColour);
        textOut(dc, columns.numberWidth, y, parts.typed);
        if (!selected)
            SetTextColor(dc, kRestColour);
        textOut(dc, columns.numberWidth + (parts.correction ? 0 : columns.typedWidth), y, parts.rest);
        ++index;
        y += charHeight;
    }
}

void paintFooter(HDC dc, const RECT &client, int rowCount, int charWidth, int charHeight, int maxLength, UINT dpi) {
    int top = rowCount * charHeight + scaleForDpi(kFooterGap, dpi);
    fillRect(dc, 0, top, client.right, client.bottom, kFooterBackground);
    SetBkMode(dc, TRANSPARENT);
    int x = std::max(footerIconX(maxLength, charWidth), scaleForDpi(kIconMargin, dpi));
    const int iconSize = scaleForDpi(kSmallIconSize, dpi);
    DrawIconEx(dc, x, top, footerIcon(iconSize), iconSize, iconSize, 0, nullptr, DI_NORMAL);
    SetTextColor(dc, kFooterTitle);
    textOut(dc, x + scaleForDpi(kTitleOffset, dpi), top, windowTitle);
}

// Each row in three colours (number, typed part, rest) under column widths measured on the first
// row, a correction's whole word in the rest's colour from the typed part's column, the
// highlighted row on the system highlight, then the footer with icon and title.
LRESULT onPaint(HWND window) {
    PaintState state;
    std::string text;
    bool any = wordStore && formatSuggestions(*wordStore, text);
    PaintDC paint(window); // validates the update region even when nothing is drawn
    if (!any)
        return 0;
    state.lines = splitLines(text);
    state.typedLength = wordStore->typedLength();
    state.selectedIndex = wordStore->selectedIndex();
    state.firstIndex = wordStore->pageStart();
    if (state.lines.empty())
        return 0;

    HDC dc = paint.get();
    const UINT dpi = listDpi();
    SelectedObject font(dc, listFontFor(window, dpi).font);
    SetBkColor(dc, kBackground);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    RECT client = {};
    GetClientRect(window, &client);
    int maxLength = static_cast<int>(state.lines.front().size());
    paintRows(dc, state, client, metrics.tmHeight, maxLength);
    paintFooter(dc, client, static_cast<int>(state.lines.size()), metrics.tmAveCharWidth, metrics.tmHeight,
                maxLength, dpi);
    return 0;
}

// A hidden list is painted whole when it is shown; asking for a repaint of it would only cost a
// round trip at every letter.
void repaintIfShown(HWND window) {
    if (IsWindowVisible(window))
        InvalidateRect(window, nullptr, TRUE);
}

// A posted key waited in the queue; one from a program that stood still for long ends the word
// rather than showing a list for a moment long gone.
const DWORD kStalePostedKeyMs = 2000;

void handlePostedKey(HWND window, WPARAM key, DWORD postedAt) {
    handleSuggestionKey(window, key, GetTickCount() - postedAt > kStalePostedKeyMs);
    PostedKeyHandled();
}

// Serials count round through 16 bits: a key pressed after another has a serial less than half
// the round ahead of it.
bool pressedAfter(unsigned serial, unsigned other) {
    return serial != 0 && other != 0 && ((serial - other) & 0xFFFF) != 0 && ((serial - other) & 0xFFFF) < 0x8000;
}

// The letters posted before a key that is handled now come first, in their order. Those pressed
// after it stay queued: a sent key handled late (its hook gave up waiting and the user typed on)
// must not see the letters that followed it.
void catchUpWithPostedKeys(HWND window, unsigned before = 0) {
    MSG posted;
    while (PeekMessageA(&posted, window, kPostedKeyMessage, kPostedKeyMessage, PM_NOREMOVE)) {
        if (pressedAfter(forwardSerial(posted.wParam), before))
            return;
        PeekMessageA(&posted, window, kPostedKeyMessage, kPostedKeyMessage, PM_REMOVE);
        handlePostedKey(window, posted.wParam, posted.time);
    }
    PostedKeysCaughtUp();
}

// The answer tells the waiting hook whether the key was taken or goes on to the program.
LRESULT onKeyDown(HWND window, WPARAM key) {
    catchUpWithPostedKeys(window, forwardSerial(key));
    const int answer = handleSentSuggestionKey(window, key);
    repaintIfShown(window);
    return answer;
}

LRESULT onPostedKey(HWND window, WPARAM key) {
    handlePostedKey(window, key, static_cast<DWORD>(GetMessageTime()));
    repaintIfShown(window);
    return 0;
}

// The hook's hot keys: only the main program's own two windows are shown or hidden this way.
// Quick Search opens empty and takes the keyboard (the hook granted the foreground before it
// asked); the keyboard window never takes it.
LRESULT onToggleWindow(WPARAM target, LPARAM showCommand) {
    HWND window = reinterpret_cast<HWND>(target);
    if (!window || (window != commandWindow && window != keyboardWindow))
        return 0;
    if (IsWindowVisible(window))
        ShowWindow(window, SW_HIDE);
    else if (window == commandWindow)
        openCommandWindow(true);
    else
        ShowWindow(window, static_cast<int>(showCommand));
    return 0;
}

} // namespace

LRESULT CALLBACK suggestionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return onPaint(window);
    case WM_KEYDOWN:
        return onKeyDown(window, wParam);
    case kPostedKeyMessage:
        return onPostedKey(window, wParam);
    case kSyncSuggestionsMessage:
        syncSuggestions(window);
        return 0;
    case kToggleWindowMessage:
        return onToggleWindow(wParam, lParam);
    case kLateAccessibleAnswerMessage:
        takeLateAnswerOfTarget(window);
        return 0;
    case kCatchUpMessage:
        catchUpWithPostedKeys(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
