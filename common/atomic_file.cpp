#include "common/atomic_file.h"

#include "common/failed_saves.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Pushes the temporary file's bytes to the disk before it replaces the target, so that a crash
// or power loss leaves either the old file or the whole new one.
bool flushToDisk(std::FILE *file) {
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool moveOver(const std::string &from, const std::string &to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

bool replaceFileContents(const std::string &path, const std::string &contents) {
    std::string temporary = path + ".tmp";
    std::FILE *file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        noteFailedSave(path);
        return false;
    }
    bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    written = flushToDisk(file) && written;
    written = std::fclose(file) == 0 && written;
    if (written && moveOver(temporary, path))
        return true;
    std::remove(temporary.c_str());
    noteFailedSave(path);
    return false;
}
