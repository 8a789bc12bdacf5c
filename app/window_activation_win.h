#pragma once

#include <windows.h>

// Wordlark's windows that the user opens to type into, Quick Search and the Configurations dialog,
// come to the front with the keyboard: a window merely shown stays behind the program the user
// was in, which keeps the keys typed next. Each way of opening them grants the main program the
// foreground first where another program has it (the hook, inside that program, for the hot key;
// the shell for the tray icon and its menu). User-interface thread only.

// Puts the window in front and the focus into focus (the window itself when null).
void bringToFront(HWND window, HWND focus);

// Shows Quick Search in front, the focus in its edit field; emptied first for the hot key, which
// opens a fresh strip, and left as it was for the tray icon and menu.
void openCommandWindow(bool emptied);
