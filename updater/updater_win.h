#pragma once

// Downloads the update cabinet and its signature, checks that the makers signed the whole
// cabinet, extracts the packaged files from those very bytes, checks that they are sound images of
// this build's processor, all of one release and newer than the running program, and puts them in
// place of the installed program files in the program's folder, all or none. Runs to its end on
// the calling thread and tells the user the outcome in one message box: the update, that there is
// none (the server has no cabinet, or only this release or an older one), or what failed. True
// when every file was replaced; they take effect at the next start.
bool checkForUpdates();

// The menu's check: checkForUpdates on a thread of its own, one at a time, so the user-interface
// thread never waits for the server. UI thread only.
void startUpdateCheck();
// At the end of the program: waits (bounded) for a replacement under way and lets no later one
// begin, so the program never ends between two replaced files.
void endUpdateChecks();
