#include "config/config_dialog_win.h"

#include "app/app_globals_win.h"
#include "config/run_value_win.h"
#include "config/settings.h"
#include "hooklib/larkhook.h"
#include "resources/resource_ids.h"
#include "vocabulary/word_store.h"
#include "win32/screen_dpi_win.h"
#include "win32/wide_path_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <uxtheme.h>

#include <string>

namespace {

const COLORREF kEvenRowColour = 0xFFFFFF;
const COLORREF kOddRowColour = 0xEBEBEB;
const COLORREF kExplanationColour = 0xFF0000; // blue, as COLORREF is 0x00BBGGRR
const int kProgramColumnWidth = 120;
const int kPathColumnWidth = 240;
const UINT kStateImageShift = 12;
const int kEmptyBox = 1;

// The start-up value is named after the program's title (string 103).
const char *runValueName() {
    return windowTitle[0] ? windowTitle : "Wordlark";
}

void showHotKeys(HWND dialog) {
    CheckRadioButton(dialog, IDC_CFG_COMMAND_SPACE, IDC_CFG_COMMAND_L, settings->commandKeyId);
    CheckRadioButton(dialog, IDC_CFG_TYPING_M, IDC_CFG_TYPING_T, settings->typingKeyId);
    CheckRadioButton(dialog, IDC_CFG_KEYBOARD_O, IDC_CFG_KEYBOARD_B, settings->keyboardKeyId);
}

void setUpProgramList(HWND list) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const struct {
        const char *title;
        int width;
    } columns[] = {{"Program", kProgramColumnWidth}, {"Path", kPathColumnWidth}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = scaleForDpi(columns[i].width, dpiOfWindow(list)); // the widths are at 96 DPI
        column.pszText = const_cast<char *>(columns[i].title);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    settings->fillProgramList(list);
}

INT_PTR onInitDialog(HWND dialog) {
    // The dialog class is shared by every dialog of the process; onDestroy takes the icon back.
    SetClassLongPtrA(dialog, GCLP_HICON,
                     reinterpret_cast<LONG_PTR>(LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_SMALL))));
    // A themed group box draws its title in the theme's colour, whatever WM_CTLCOLORSTATIC says;
    // the classic look keeps "Hot Keys" blue like the explanations.
    SetWindowTheme(GetDlgItem(dialog, IDC_CFG_HOTKEY_GROUP), L"", L"");
    showHotKeys(dialog);
    CheckDlgButton(dialog, IDC_CFG_LAUNCH_ON_STARTUP, runValueExists(runValueName(), 0) ? BST_CHECKED : BST_UNCHECKED);
    setUpProgramList(GetDlgItem(dialog, IDC_CFG_PROGRAM_LIST));
    SetDlgItemTextW(dialog, IDC_CFG_WORDLIST_PATH, widePath(settings->wordListFile).c_str());
    // In front of the program the user was in, with the keyboard (its first control, as TRUE asks).
    SetForegroundWindow(dialog);
    return TRUE;
}

void onDestroy(HWND dialog) {
    SetClassLongPtrA(dialog, GCLP_HICON, 0);
}

// The choice is stored at once; the hook library hears of it only at OK.
void onHotKeyClicked(HWND dialog, int id) {
    if (id <= IDC_CFG_COMMAND_L)
        settings->commandKeyId = id;
    else if (id <= IDC_CFG_TYPING_T)
        settings->typingKeyId = id;
    else
        settings->keyboardKeyId = id;
    showHotKeys(dialog);
}

void onChooseWordList(HWND dialog) {
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW chooser = {};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = dialog;
    chooser.lpstrFilter = L"All\0*.*\0Text\0*.TXT\0";
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = file;
    chooser.nMaxFile = MAX_PATH;
    chooser.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameW(&chooser))
        SetDlgItemTextW(dialog, IDC_CFG_WORDLIST_PATH, file);
}

// Written or removed at once, whichever button later closes the dialog; failures are silent.
void onStartupClicked(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_CFG_LAUNCH_ON_STARTUP) == BST_CHECKED)
        addStartupValue(appInstance, runValueName(), 0);
    else
        deleteRunValue(runValueName(), 0);
}

void onOk(HWND dialog) {
    char commandKey = 0, enableKey = 0, keyboardKey = 0;
    settings->hotKeyChars(commandKey, enableKey, keyboardKey);
    SetHotKeys(commandKey, enableKey, keyboardKey);

    wchar_t text[MAX_PATH] = L"";
    const std::string path = utf8Path(text, GetDlgItemTextW(dialog, IDC_CFG_WORDLIST_PATH, text, MAX_PATH));
    if (settings->wordListFile != path) {
        settings->wordListFile = path;
        if (wordStore)
            wordStore->loadWordList(settings->wordListFile);
    }
    settings->save();
    EndDialog(dialog, IDOK);
}

void onCommand(HWND dialog, int id, int code) {
    if (code != BN_CLICKED)
        return;
    if (id >= IDC_CFG_COMMAND_SPACE && id <= IDC_CFG_KEYBOARD_B)
        onHotKeyClicked(dialog, id);
    else if (id == IDC_CFG_WORDLIST_CHOOSE)
        onChooseWordList(dialog);
    else if (id == IDC_CFG_WORDLIST_CLEAR)
        SetDlgItemTextA(dialog, IDC_CFG_WORDLIST_PATH, "");
    else if (id == IDC_CFG_LAUNCH_ON_STARTUP)
        onStartupClicked(dialog);
    else if (id == IDOK)
        onOk(dialog);
    else if (id == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
}

// A tick box clicked (or a row selected): the program's learning flag follows its box, and an
// emptied box drops what the program learned since its vocabulary was loaded.
void onProgramChanged(const NMLISTVIEW &change) {
    // Filling the list raises changes from an empty state; those are not the user's.
    if (!(change.uChanged & LVIF_STATE) || change.uOldState == 0 || !(change.uNewState & LVIS_STATEIMAGEMASK))
        return;
    HWND list = change.hdr.hwndFrom;
    UINT image =
        static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, change.iItem, LVIS_STATEIMAGEMASK)) >> kStateImageShift;

    // Module names are file names, so a full path's room holds any of them.
    wchar_t text[MAX_PATH] = L"";
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, change.iItem, reinterpret_cast<LPARAM>(&item));
    const std::string name = utf8Path(text, static_cast<size_t>(length > 0 ? length : 0));

    settings->setLearning(name, image != kEmptyBox);
    if (image == kEmptyBox && wordStore)
        wordStore->forgetProgram(name);
}

// The list view reads the row's colours back from the structure it sent.
LRESULT customDrawResult(NMLVCUSTOMDRAW &draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw.clrTextBk = (draw.nmcd.dwItemSpec % 2) ? kOddRowColour : kEvenRowColour;
        return CDRF_NEWFONT;
    default:
        return 0;
    }
}

INT_PTR onNotify(HWND dialog, NMHDR &header) {
    if (header.idFrom != IDC_CFG_PROGRAM_LIST)
        return FALSE;
    if (header.code == LVN_ITEMCHANGED) {
        onProgramChanged(reinterpret_cast<const NMLISTVIEW &>(header));
        return FALSE;
    }
    if (header.code == NM_CUSTOMDRAW) {
        // A dialog procedure answers through DWLP_MSGRESULT, not its return value.
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, customDrawResult(reinterpret_cast<NMLVCUSTOMDRAW &>(header)));
        return TRUE;
    }
    return FALSE;
}

// The "Hot Keys" frame and the two explanations are written in blue.
INT_PTR onColorStatic(HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    if (id != IDC_CFG_HOTKEY_GROUP && id != IDC_CFG_LEARNING_TEXT && id != IDC_CFG_WORDLIST_TEXT)
        return FALSE;
    SetTextColor(dc, kExplanationColour);
    SetBkMode(dc, TRANSPARENT);
    // The system's own brush: nothing to free, however often the statics are painted.
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

} // namespace

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(dialog);
    case WM_COMMAND:
        onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        return onNotify(dialog, *reinterpret_cast<NMHDR *>(lParam));
    case WM_CTLCOLORSTATIC:
        return onColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        onDestroy(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}
