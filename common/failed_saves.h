#pragma once

#include <string>
#include <vector>

// The files that could not be written (a full disk, a locked or read-only target). Every save goes
// through replaceFileContents, which notes its failures here, so the main program can tell the
// user without each owner of a file passing the news on. Safe to call from any thread.
void noteFailedSave(const std::string &path);

// The files whose save failed since the last call, each handed out once in the life of the
// process: a file that keeps failing is reported once.
std::vector<std::string> takeFailedSaves();
