#pragma once

// Downloads the update cabinet, extracts it into the program folder, checks that the packaged
// program file and hook library are sound 32-bit images and puts them in place of wordlark.exe
// and larkhook.dll in the current directory. Runs to its end on the calling (UI) thread and tells
// the user the outcome in a message box. True when both files were replaced; they take effect
// at the next start.
bool checkForUpdates();
