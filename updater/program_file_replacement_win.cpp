#include "updater/program_file_replacement_win.h"

#include "win32/wide_path_win.h"

namespace {

std::string setAsideName(const std::string &installed) {
    const size_t name = installed.find_last_of('\\') + 1; // 0 without a folder
    return installed.substr(0, name) + "~" + installed.substr(name) + ".tmp";
}

bool exists(const std::string &path) {
    return GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool deleteFile(const std::string &path) {
    return DeleteFileW(widePath(path).c_str()) != FALSE;
}

bool moveFile(const std::string &from, const std::string &to, DWORD flags = 0) {
    return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), flags) != FALSE;
}

// Puts the set-aside old file back over the new one; a file that the update brought first is
// taken away again. An old file that cannot go back (the new one is held open) is reported.
void restore(const FileReplacement &file, bool hadOldFile, ReplacementFailure &failure) {
    if (!hadOldFile) {
        deleteFile(file.installed);
        return;
    }
    if (!moveFile(setAsideName(file.installed), file.installed, MOVEFILE_REPLACE_EXISTING))
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
    deleteFile(setAside);
    // A file the installed version lacks (the helper, in a folder from before it) is simply added.
    if (!hadOldFile) {
        if (moveFile(file.packaged, file.installed))
            return true;
        failure.error = GetLastError();
        return false;
    }
    if (moveFile(file.installed, setAside)) {
        if (moveFile(file.packaged, file.installed))
            return true;
        failure.error = GetLastError();
        // The set-aside file is the only copy of the installed file: put it back.
        if (!moveFile(setAside, file.installed))
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
        deleteFile(setAsideName(file.installed));
    return true;
}
