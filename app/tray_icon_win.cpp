#include "app/tray_icon_win.h"

#include "win32/wide_path_win.h"

#include <shellapi.h>

namespace {

// The record of the layout with a 64-character tip, understood by every shell version.
const DWORD kTrayRecordSize = 88;
NOTIFYICONDATAA trayIconData;

void prepare(HWND window) {
    trayIconData.cbSize = kTrayRecordSize;
    trayIconData.hWnd = window;
}

void destroyIcon(HICON icon) {
    if (icon)
        DestroyIcon(icon);
}

} // namespace

BOOL addTrayIcon(HWND window, UINT id, HICON icon, const char *tip) {
    prepare(window);
    trayIconData.uID = id;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconData.uCallbackMessage = kTrayCallbackMessage;
    trayIconData.hIcon = icon;
    if (tip)
        lstrcpynA(trayIconData.szTip, tip, 64);
    else
        trayIconData.szTip[0] = '\0';
    BOOL result = Shell_NotifyIconA(NIM_ADD, &trayIconData);
    destroyIcon(icon);
    return result;
}

BOOL changeTrayIcon(HWND window, HICON icon) {
    prepare(window);
    trayIconData.uFlags = NIF_ICON;
    trayIconData.hIcon = icon;
    BOOL result = Shell_NotifyIconA(NIM_MODIFY, &trayIconData);
    destroyIcon(icon);
    return result;
}

BOOL removeTrayIcon(HWND window, UINT id) {
    prepare(window);
    trayIconData.uID = id;
    return Shell_NotifyIconA(NIM_DELETE, &trayIconData);
}

namespace {

BOOL showBalloon(HWND window, UINT id, const char *title, const char *text, DWORD icon) {
    // The balloon fields need the larger record; the icon itself is left as it is. The texts may
    // name a file, and go in UTF-16 so that every character of its path shows.
    NOTIFYICONDATAW balloon = {};
    balloon.cbSize = sizeof balloon;
    balloon.hWnd = window;
    balloon.uID = id;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = icon;
    lstrcpynW(balloon.szInfoTitle, widePath(title).c_str(), ARRAYSIZE(balloon.szInfoTitle));
    lstrcpynW(balloon.szInfo, widePath(text).c_str(), ARRAYSIZE(balloon.szInfo));
    return Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

} // namespace

BOOL showTrayWarning(HWND window, UINT id, const char *title, const char *text) {
    return showBalloon(window, id, title, text, NIIF_WARNING);
}

BOOL showTrayInfo(HWND window, UINT id, const char *title, const char *text) {
    return showBalloon(window, id, title, text, NIIF_INFO);
}
