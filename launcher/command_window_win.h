#pragma once

#include <windows.h>

// Quick Search and Launch: the modeless dialog 102 with its close button, picture and owner-drawn
// drop-down combo box. User-interface thread only; the hook library's CB_RESETCONTENT, WM_CLEAR
// and show/hide arrive as sent messages on that thread.

// Dialog procedure of dialog 102.
INT_PTR CALLBACK commandWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Replaces the procedure of the combo box's edit field (the old one is in commandEditOldProc). It
// keeps the typed text when the selection moves, launches on Enter and refills on Up and Down.
LRESULT CALLBACK commandEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
