#pragma once

// Downloads the update cabinet and its signature, checks that the makers signed the whole
// cabinet, extracts the packaged program file and hook library, checks that they are sound images
// of this build's processor and puts them in place of wordlark.exe and larkhook.dll in the
// program's folder, both or neither. Runs to its end on the calling (UI) thread and tells the user the
// outcome in one message box: the update, that there is none (the server has no cabinet), or
// what failed. True when both files were replaced; they take effect at the next start.
bool checkForUpdates();
