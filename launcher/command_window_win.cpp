#include "launcher/command_window_win.h"

#include "app/app_globals_win.h"
#include "launcher/command_catalogue.h"
#include "launcher/command_rows_win.h"
#include "launcher/open_windows_win.h"
#include "resources/resource_ids.h"

#include <windowsx.h>

#include <string>

namespace {

const char kStateProperty[] = "WordlarkCommandWindow";
const COLORREF kBackgroundColour = RGB(102, 255, 255);
const int kTextLimit = 260; // 259 characters and the NUL

// What the window remembers between messages. Reached through a window property because the
// combo box asks for its row height before WM_INITDIALOG arrives.
struct CommandWindowState {
    bool jumpToResults = false;
    HCURSOR savedCursor = nullptr;
    RECT dragOrigin = {};
    bool dragging = false;
    int iconOffset = 0;
    HBRUSH backgroundBrush = nullptr;
};

CommandWindowState &windowState(HWND dialog) {
    auto *state = static_cast<CommandWindowState *>(GetPropA(dialog, kStateProperty));
    if (!state) {
        state = new CommandWindowState;
        state->backgroundBrush = CreateSolidBrush(kBackgroundColour);
        SetPropA(dialog, kStateProperty, state);
    }
    return *state;
}

void dropWindowState(HWND dialog) {
    auto *state = static_cast<CommandWindowState *>(RemovePropA(dialog, kStateProperty));
    if (!state)
        return;
    if (state->backgroundBrush)
        DeleteObject(state->backgroundBrush);
    delete state;
}

HWND commandCombo(HWND dialog) { return GetDlgItem(dialog, IDC_COMMAND_COMBO); }

bool listDropped(HWND combo) { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE; }

bool hasSelectedRow(HWND combo) { return SendMessageA(combo, CB_GETCURSEL, 0, 0) != CB_ERR; }

std::string windowText(HWND window) {
    char text[kTextLimit] = "";
    GetWindowTextA(window, text, kTextLimit);
    return text;
}

void hideCommandWindow(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_COMMAND_COMBO);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SendMessageA(combo, WM_CLEAR, 0, 0);
    SetFocus(combo);
    ShowWindow(dialog, SW_HIDE);
}

void launchRow(HWND dialog, int row, const std::string &query) {
    if (!commandCatalogue)
        return;
    const bool copies = commandCatalogue->rowKind(row) == CommandRowKind::Calculation;
    // A result copied to the clipboard is what the strip was opened for: it closes, and the
    // program the user came from has the focus back to paste it.
    if (commandCatalogue->launch(row, query) && copies)
        hideCommandWindow(dialog);
}

// Each time the strip opens it lists the windows open now, so that none it offers is stale. A
// position change that shows the window comes with ShowWindow and with SetWindowPos alike.
void onWindowPosChanged(const WINDOWPOS *position) {
    if (position && (position->flags & SWP_SHOWWINDOW) && commandCatalogue)
        commandCatalogue->setOpenWindows(listOpenWindows());
}

INT_PTR onInitDialog(HWND dialog) {
    SetFocus(commandCombo(dialog));
    return FALSE; // the focus is set already
}

INT_PTR onMeasureItem(HWND dialog, MEASUREITEMSTRUCT *measure) {
    if (!measure || measure->CtlID != IDC_COMMAND_COMBO)
        return FALSE;
    windowState(dialog).iconOffset = measureCommandRow(commandCombo(dialog), *measure);
    return TRUE;
}

INT_PTR onDrawItem(HWND dialog, const DRAWITEMSTRUCT *draw) {
    if (!draw || draw->CtlID != IDC_COMMAND_COMBO)
        return FALSE;
    drawCommandRow(*draw, windowState(dialog).iconOffset);
    return TRUE;
}

INT_PTR onCloseButton(HWND dialog) {
    HWND combo = commandCombo(dialog);
    // A click on the button while the list is open only closes the list.
    if (listDropped(combo))
        return FALSE;
    hideCommandWindow(dialog);
    return TRUE;
}

void onListDropped(CommandWindowState &state) {
    state.jumpToResults = true;
    state.savedCursor = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); // IDC_ARROW
}

void onSelectionChanged(HWND combo, CommandWindowState &state) {
    if (!state.jumpToResults)
        return;
    // The first move after a drop-down skips the web-search rows (and the calculator's row above
    // them); with no match there is no such row and the selection is cleared.
    state.jumpToResults = false;
    const int firstResult = commandCatalogue ? commandCatalogue->firstResultRow() : 3;
    if (SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(firstResult), 0) == CB_ERR)
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0); // not every combo box clears it itself
}

void onListClosed(CommandWindowState &state) {
    state.jumpToResults = false;
    if (state.savedCursor) {
        SetCursor(state.savedCursor);
        state.savedCursor = nullptr;
    }
}

void onSelectionConfirmed(HWND combo) {
    LRESULT row = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (row == CB_ERR)
        return;
    // The combo's text is what the user typed: the edit field never takes a row's text.
    launchRow(GetParent(combo), static_cast<int>(row), windowText(combo));
}

INT_PTR onComboNotification(HWND dialog, HWND combo, UINT code) {
    CommandWindowState &state = windowState(dialog);
    switch (code) {
    case CBN_EDITCHANGE:
        fillCommandList(combo);
        break;
    case CBN_DROPDOWN:
        onListDropped(state);
        break;
    case CBN_SELCHANGE:
        onSelectionChanged(combo, state);
        break;
    case CBN_CLOSEUP:
        onListClosed(state);
        break;
    case CBN_SELENDOK:
        onSelectionConfirmed(combo);
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR onCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDC_COMMAND_CLOSE:
        return onCloseButton(dialog);
    case IDC_COMMAND_COMBO:
        return onComboNotification(dialog, reinterpret_cast<HWND>(lParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}

INT_PTR onButtonDown(HWND dialog, LPARAM lParam) {
    if (listDropped(commandCombo(dialog)))
        return FALSE;
    CommandWindowState &state = windowState(dialog);
    RECT rect;
    if (!GetWindowRect(dialog, &rect))
        return FALSE;
    SetCapture(dialog);
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    state.dragOrigin = {rect.left - x, rect.top - y, rect.right - x, rect.bottom - y};
    state.dragging = true;
    return TRUE;
}

INT_PTR onButtonUp(HWND dialog, LPARAM lParam) {
    CommandWindowState &state = windowState(dialog);
    // A release without a press on the bar (the click that closed the list, say) moves nothing.
    if (!state.dragging)
        return FALSE;
    state.dragging = false;
    if (GetCapture() == dialog)
        ReleaseCapture();
    if (listDropped(commandCombo(dialog)))
        return FALSE;
    // The bar jumps by the distance between press and release; it does not follow the mouse.
    RECT &target = state.dragOrigin;
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    OffsetRect(&target, x, y);
    MoveWindow(dialog, target.left, target.top, target.right - target.left, target.bottom - target.top, TRUE);
    return TRUE;
}

LRESULT passOn(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(commandEditOldProc, edit, message, wParam, lParam);
}

LRESULT onEditEnter(HWND edit, WPARAM wParam, LPARAM lParam) {
    HWND combo = GetParent(edit);
    // With a row selected the combo box closes its list and reports CBN_SELENDOK itself.
    if (hasSelectedRow(combo))
        return passOn(edit, WM_KEYDOWN, wParam, lParam);
    std::string query = windowText(edit);
    // Row 0: a typed address opens as typed, a sum's result is copied, anything else goes to the
    // first search engine.
    if (!query.empty())
        launchRow(GetParent(combo), 0, query);
    return 1;
}

LRESULT onEditArrow(HWND edit, WPARAM wParam, LPARAM lParam) {
    HWND combo = GetParent(edit);
    if (listDropped(combo))
        return passOn(edit, WM_KEYDOWN, wParam, lParam);
    fillCommandList(combo);
    return 1;
}

LRESULT onEditKeyDown(HWND edit, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case VK_RETURN:
        return onEditEnter(edit, wParam, lParam);
    case VK_UP:
    case VK_DOWN:
        return onEditArrow(edit, wParam, lParam);
    default:
        return passOn(edit, WM_KEYDOWN, wParam, lParam);
    }
}

LRESULT onEditClear(HWND edit) { return passOn(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("")); }

} // namespace

INT_PTR CALLBACK commandWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(dialog);
    case WM_MEASUREITEM:
        return onMeasureItem(dialog, reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
    case WM_DRAWITEM:
        return onDrawItem(dialog, reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
    case WM_WINDOWPOSCHANGED:
        onWindowPosChanged(reinterpret_cast<const WINDOWPOS *>(lParam));
        return FALSE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(windowState(dialog).backgroundBrush);
    case WM_COMMAND:
        return onCommand(dialog, wParam, lParam);
    case WM_LBUTTONDOWN:
        return onButtonDown(dialog, lParam);
    case WM_LBUTTONUP:
        return onButtonUp(dialog, lParam);
    case WM_NCDESTROY:
        dropWindowState(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

LRESULT CALLBACK commandEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        return onEditKeyDown(edit, wParam, lParam);
    case WM_SETTEXT:
    case EM_SETSEL:
        // The combo box would put the selected row's text into the field: keep what was typed.
        return 1;
    case WM_CLEAR:
        return onEditClear(edit);
    default:
        return passOn(edit, message, wParam, lParam);
    }
}
