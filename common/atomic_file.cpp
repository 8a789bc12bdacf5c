#include "common/atomic_file.h"

#include "common/failed_saves.h"
#include "common/file_access.h"

bool replaceFileContents(const std::string &path, const std::string &contents) {
    std::string temporary = path + ".tmp";
    std::FILE *file = openFile(temporary, "wb");
    if (!file) {
        noteFailedSave(path);
        return false;
    }
    bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    // The bytes reach the disk before the temporary file replaces the target, so that a crash or
    // power loss leaves either the old file or the whole new one.
    written = flushFileToDisk(file) && written;
    written = std::fclose(file) == 0 && written;
    if (written && moveFileOver(temporary, path))
        return true;
    removeFile(temporary);
    noteFailedSave(path);
    return false;
}
