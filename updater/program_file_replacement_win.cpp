#include "updater/program_file_replacement_win.h"

namespace {

std::string setAsideName(const std::string &installed) {
    const size_t name = installed.find_last_of('\\') + 1; // 0 without a folder
    return installed.substr(0, name) + "~" + installed.substr(name) + ".tmp";
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Puts the set-aside old file back over the new one; a file that the update brought first is
// taken away again. An old file that cannot go back (the new one is held open) is reported.
void restore(const FileReplacement &file, bool hadOldFile, ReplacementFailure &failure) {
    if (!hadOldFile) {
        DeleteFileA(file.installed.c_str());
        return;
    }
    if (!MoveFileExA(setAsideName(file.installed).c_str(), file.installed.c_str(), MOVEFILE_REPLACE_EXISTING))
        failure.notRestored.push_back(file.installed);
}

bool replaceOne(const FileReplacement &file, bool hadOldFile, ReplacementFailure &failure) {
    failure.file = file.installed;
    if (file.installed.empty() || file.packaged.empty()) {
        failure.error = ERROR_INVALID_PARAMETER;
        return false;
    }
    const std::string setAside = setAsideName(file.installed);
    // Left by an earlier update while the old file was still in use.
    DeleteFileA(setAside.c_str());
    // A file the installed version lacks (the helper, in a folder from before it) is simply added.
    if (!hadOldFile) {
        if (MoveFileA(file.packaged.c_str(), file.installed.c_str()))
            return true;
        failure.error = GetLastError();
        return false;
    }
    if (MoveFileA(file.installed.c_str(), setAside.c_str())) {
        if (MoveFileA(file.packaged.c_str(), file.installed.c_str()))
            return true;
        failure.error = GetLastError();
        // The set-aside file is the only copy of the installed file: put it back.
        if (!MoveFileA(setAside.c_str(), file.installed.c_str()))
            failure.notRestored.push_back(file.installed);
    } else {
        failure.error = GetLastError();
    }
    return false;
}

} // namespace

bool replaceProgramFiles(const std::vector<FileReplacement> &files, ReplacementFailure &failure) {
    failure.notRestored.clear();
    std::vector<bool> hadOldFile;
    for (const FileReplacement &file : files)
        hadOldFile.push_back(exists(file.installed));
    for (size_t i = 0; i < files.size(); ++i) {
        if (!replaceOne(files[i], hadOldFile[i], failure)) {
            // A new program with the old hook library (or the other way round) may not even start.
            while (i-- > 0)
                restore(files[i], hadOldFile[i], failure);
            return false;
        }
    }
    // Fails while the old file is in use (the running program, the loaded hook library).
    for (const FileReplacement &file : files)
        DeleteFileA(setAsideName(file.installed).c_str());
    return true;
}
