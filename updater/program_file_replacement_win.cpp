#include "updater/program_file_replacement_win.h"

#include <windows.h>

#include <string>

bool replaceProgramFile(const char *current, const char *packaged) {
    if (!current || !*current || !packaged || !*packaged)
        return false;

    const std::string setAside = "~" + std::string(current) + ".tmp";
    // Left by an earlier update while the old file was still in use.
    DeleteFileA(setAside.c_str());

    if (!MoveFileA(current, setAside.c_str()))
        return false;
    if (!MoveFileA(packaged, current)) {
        // The set-aside file is the only copy of the current file: put it back.
        MoveFileA(setAside.c_str(), current);
        return false;
    }
    // Fails while the old file is in use (the running program, the loaded hook library).
    DeleteFileA(setAside.c_str());
    return true;
}
