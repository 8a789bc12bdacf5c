#pragma once

#include <string>

// Where Wordlark keeps the files it writes: its settings, the base vocabulary with the user's
// counts, the learned vocabularies and word pairs, the launch counts and the query memory.
//
// The rule: the program folder, when a file can be written and removed there at start-up (an
// unzipped copy, a portable install). Otherwise (an install under Program Files, where a program
// run as its user may not write) the user's own "%LOCALAPPDATA%\Wordlark\". When that folder is made,
// the program folder's files are copied into it once, byte for byte, so nothing the user had is
// lost; from then on only the per-user folder is read and written. A base vocabulary missing there
// is copied again at any start, since without it the vocabulary would be saved empty. When no
// per-user folder can be made either, the program folder stays the place and the saves that fail
// are reported one by one.
struct DataFolder {
    std::string path;      // ends with a backslash
    bool perUser = false;  // not the program folder
    bool madeNow = false;  // the per-user folder was made, and filled, at this start
};

DataFolder chooseDataFolder(const std::string &programFolder);
