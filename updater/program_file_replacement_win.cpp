#include "updater/program_file_replacement_win.h"

namespace {

std::string setAsideName(const std::string &installed) {
    const size_t name = installed.find_last_of('\\') + 1; // 0 without a folder
    return installed.substr(0, name) + "~" + installed.substr(name) + ".tmp";
}

// Puts the set-aside old file back over the new one.
void restore(const FileReplacement &file) {
    MoveFileExA(setAsideName(file.installed).c_str(), file.installed.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool replaceOne(const FileReplacement &file, ReplacementFailure &failure) {
    failure.file = file.installed;
    if (file.installed.empty() || file.packaged.empty()) {
        failure.error = ERROR_INVALID_PARAMETER;
        return false;
    }
    const std::string setAside = setAsideName(file.installed);
    // Left by an earlier update while the old file was still in use.
    DeleteFileA(setAside.c_str());
    if (MoveFileA(file.installed.c_str(), setAside.c_str())) {
        if (MoveFileA(file.packaged.c_str(), file.installed.c_str()))
            return true;
        failure.error = GetLastError();
        // The set-aside file is the only copy of the installed file: put it back.
        MoveFileA(setAside.c_str(), file.installed.c_str());
    } else {
        failure.error = GetLastError();
    }
    return false;
}

} // namespace

bool replaceProgramFiles(const std::vector<FileReplacement> &files, ReplacementFailure &failure) {
    for (size_t i = 0; i < files.size(); ++i) {
        if (!replaceOne(files[i], failure)) {
            // A new program with the old hook library (or the other way round) may not even start.
            while (i-- > 0)
                restore(files[i]);
            return false;
        }
    }
    // Fails while the old file is in use (the running program, the loaded hook library).
    for (const FileReplacement &file : files)
        DeleteFileA(setAsideName(file.installed).c_str());
    return true;
}
