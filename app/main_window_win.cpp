#include "app/main_window_win.h"

#include "app/app_globals_win.h"
#include "app/hook_helper_process_win.h"
#include "app/hook_thread_win.h"
#include "app/product_site.h"
#include "app/startup_win.h"
#include "app/tray_icon_win.h"
#include "app/window_activation_win.h"
#include "common/failed_saves.h"
#include "config/config_dialog_win.h"
#include "config/settings.h"
#include "harvest/harvest_catalogue_win.h"
#include "hooklib/larkhook.h"
#include "keyboard/screen_keyboard_win.h"
#include "resources/resource_ids.h"
#include "updater/updater_win.h"
#include "vocabulary/word_store.h"
#include "win32/wide_path_win.h"

#include <shellapi.h>

#include <deque>
#include <string>
#include <vector>

int lastEnableState = 1;

UINT taskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

namespace {

const DWORD kNoticeGapMs = 6000;

struct TrayNotice {
    std::string title;
    std::string text;
    bool warning;
};

std::deque<TrayNotice> pendingNotices;
DWORD lastNoticeTick = 0;
bool noticeShown = false;
// The session ends, or an installer closes Wordlark: nobody is there to answer a message box.
bool sessionEnding = false;

HICON loadIcon(int id) { return LoadIconA(appInstance, MAKEINTRESOURCEA(id)); }

void showTrayMenu(HWND window) {
    POINT cursor;
    GetCursorPos(&cursor);
    // The window must be foreground before TrackPopupMenu or the menu will not close when the
    // user clicks elsewhere; the WM_NULL afterwards lets a second click open it again.
    SetForegroundWindow(window);
    CheckMenuItem(trayMenu, IDM_ENABLE_TYPING, GetEnableState() ? MF_CHECKED : MF_UNCHECKED);
    TrackPopupMenu(trayMenu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
}

LRESULT onTrayCallback(HWND window, LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_RBUTTONUP:
        showTrayMenu(window);
        break;
    case WM_LBUTTONDBLCLK:
        openCommandWindow(false);
        break;
    }
    return 0;
}

// The settings and the tray icon follow the hook library's enable state, the master copy.
void showEnableState(HWND window, bool enabled) {
    if (settings)
        settings->completionEnabled = enabled ? 1 : 0;
    changeTrayIcon(window, loadIcon(enabled ? IDI_PROGRAM : IDI_TRAY_OFF));
}

void toggleIntelligentTyping(HWND window) {
    const bool enable = GetEnableState() == 0;
    SetEnableState(enable ? 1 : 0);
    CheckMenuItem(trayMenu, IDM_ENABLE_TYPING, enable ? MF_CHECKED : MF_UNCHECKED);
    showEnableState(window, enable);
}

void exitProgram(HWND window) {
    // Nothing of the catalogue outlives the process but its use counts: the harvest need not end.
    stopHarvest();
    stopHookThread();
    stopHookHelper();
    removeTrayIcon(window, kTrayIconId);
    DestroyWindow(window);
}

LRESULT onCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDM_ABOUT:
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, aboutDialogProc, 0);
        return 0;
    case IDM_EXIT:
        exitProgram(window);
        return 0;
    case IDM_QUICK_LAUNCH:
        openCommandWindow(false);
        return 0;
    case IDM_SCREEN_KEYBOARD:
        if (screenKeyboard)
            screenKeyboard->showKeyboard();
        return 0;
    case IDM_CONFIGURATIONS:
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CONFIG), window, configDialogProc, 0);
        return 0;
    case IDM_ENABLE_TYPING:
        toggleIntelligentTyping(window);
        return 0;
    case IDM_HELP:
        ShellExecuteA(nullptr, nullptr, kHelpPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
        return 0;
    case IDM_CHECK_UPDATES:
        startUpdateCheck();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A vocabulary file that could not be read whole is kept as it is, so what is learned in it this
// session is not saved: the user is told once per file, from the timer rather than the keystroke.
void noteUnsavableVocabularies() {
    std::vector<std::string> paths;
    if (!wordStore || !wordStore->takeUnsavableFiles(paths))
        return;
    for (const std::string &path : paths)
        queueTrayNotice("Wordlark cannot save a vocabulary", "Wordlark could not read all of " + path +
                        ". It leaves the file as it is and does not save new words into it.", true);
}

// Saves while running (the Configurations dialog's OK, a replaced word list) that failed.
void noteFailedSaves() {
    for (const std::string &path : takeFailedSaves())
        queueTrayNotice("Wordlark cannot save a file", "Wordlark could not write " + path +
                        " (the disk may be full, or the file locked or read-only). The file keeps its "
                        "earlier contents.", true);
}

void showNextNotice(HWND window) {
    if (pendingNotices.empty() || (noticeShown && GetTickCount() - lastNoticeTick < kNoticeGapMs))
        return;
    const TrayNotice &notice = pendingNotices.front();
    if (notice.warning)
        showTrayWarning(window, kTrayIconId, notice.title.c_str(), notice.text.c_str());
    else
        showTrayInfo(window, kTrayIconId, notice.title.c_str(), notice.text.c_str());
    pendingNotices.pop_front();
    lastNoticeTick = GetTickCount();
    noticeShown = true;
}

// Explorer started again: the new taskbar knows no icon of ours.
LRESULT onTaskbarCreated(HWND window) {
    addTrayIcon(window, kTrayIconId, loadIcon(GetEnableState() ? IDI_PROGRAM : IDI_TRAY_OFF), windowTitle);
    return 0;
}

LRESULT onTimer(HWND window, WPARAM id) {
    if (id != kEnablePollTimer)
        return 0;
    noteUnsavableVocabularies();
    noteFailedSaves();
    showNextNotice(window);
    RepairHookState();
    keepHookHelperRunning();
    int enabled = GetEnableState();
    if (enabled == lastEnableState)
        return 0;
    lastEnableState = enabled;
    showEnableState(window, enabled != 0);
    return 0;
}

// Log-off or shut-down of Windows, or the Restart Manager closing Wordlark for an installer that
// replaces its files (ENDSESSION_CLOSEAPP): everything is saved now, as Exit saves it, and the hooks
// and the helper end. At the end of a session Windows ends the process once this returns; the
// Restart Manager expects the program to end by itself, and restarts it after the installation
// (registered at start-up).
LRESULT onEndSession(HWND window, WPARAM ending, LPARAM how) {
    if (!ending)
        return 0;
    sessionEnding = true;
    stopHookThread();
    stopHookHelper();
    removeTrayIcon(window, kTrayIconId);
    endUpdateChecks();
    saveBeforeSessionEnds();
    if (how & ENDSESSION_CLOSEAPP)
        DestroyWindow(window);
    return 0;
}

LRESULT onDestroy(HWND window) {
    stopHookThread();
    removeTrayIcon(window, kTrayIconId);
    DestroyMenu(mainMenu);
    PostQuitMessage(0);
    return 0;
}

} // namespace

void queueTrayNotice(const std::string &title, const std::string &text, bool warning) {
    pendingNotices.push_back(TrayNotice{title, text, warning});
}

void reportFailedSavesAtExit() {
    const std::vector<std::string> paths = takeFailedSaves();
    if (paths.empty() || sessionEnding)
        return;
    std::string text = "Wordlark could not save these files; each keeps its earlier contents:\n";
    for (const std::string &path : paths)
        text += "\n" + path;
    text += "\n\nThe disk may be full, or a file locked or read-only.";
    MessageBoxW(nullptr, widePath(text).c_str(), widePath(windowTitle).c_str(),
                MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Registered at run time, so not a case of the switch.
    if (message == taskbarCreatedMessage() && message != 0)
        return onTaskbarCreated(window);
    switch (message) {
    case WM_DESTROY:
        return onDestroy(window);
    case WM_COMMAND:
        return onCommand(window, message, wParam, lParam);
    case WM_TIMER:
        return onTimer(window, wParam);
    case kTrayCallbackMessage:
        return onTrayCallback(window, lParam);
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        return onEndSession(window, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(smallIcon));
        return TRUE;
    case WM_DESTROY:
        SetClassLongPtrA(dialog, GCLP_HICON, 0);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
