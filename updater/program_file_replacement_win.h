#pragma once

// Puts the packaged file (e.g. "wordlark.ex_") in the place of the current one ("wordlark.exe").
// Both are bare names in the current directory. The current file is first renamed to "~<name>.tmp",
// which works even while it runs or is loaded; if the packaged file then cannot be moved into place
// the set-aside file is moved back, so the current file is never lost. The set-aside file is deleted
// when it is no longer in use; otherwise a later run deletes it. True when the packaged file is in place.
bool replaceProgramFile(const char *current, const char *packaged);
