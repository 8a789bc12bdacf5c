#pragma once

#include <windows.h>

#include <string>

// The updater's message boxes. They have no owner window: the update runs from the tray menu,
// whose hidden main window is no place to anchor them.

// A failed update: `text` (UTF-8, as it may name a file) under "Wordlark Update Error", top-most
// with a warning icon.
void showUpdateError(const std::string &text);

// The system's text for `error` in UTF-8, without its closing line break.
std::string systemErrorText(DWORD error);

// "Wordlark Update Confirmation": success when both files were replaced, otherwise the
// "already the latest version" text, for a server that has no update to offer.
void showUpdateOutcome(bool updated);
