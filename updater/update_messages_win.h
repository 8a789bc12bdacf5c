#pragma once

#include <windows.h>

// The updater's message boxes. They have no owner window: the update runs from the tray menu,
// whose hidden main window is no place to anchor them.

// The system's text for `error` under "Wordlark Update Error", top-most with a warning icon.
void showUpdateError(DWORD error);

// "Wordlark Update Confirmation": success when both files were replaced, otherwise the
// "already the latest version" text, which every failed run ends with.
void showUpdateOutcome(bool updated);
