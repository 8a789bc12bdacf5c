#pragma once

#include "launcher/open_windows.h"

#include <vector>

// The top-level windows a user switches between, top of the Z order first: visible, titled, not
// of this process (the strip and Wordlark's other windows), not tool windows, not windows owned by
// another (dialogs) unless marked to be on the taskbar, not cloaked (the system hides some
// windows without making them invisible: other virtual desktops, suspended apps), not the desktop.
// User-interface thread; reads each title without a message, so a hung program cannot stop it.
std::vector<OpenWindow> listOpenWindows();
