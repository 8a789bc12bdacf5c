#include "common/file_access.h"

#include "win32/wide_path_win.h"

#include <io.h>

std::FILE *openFile(const std::string &path, const char *mode) {
    // The mode is ASCII: widened byte by byte.
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(widePath(path).c_str(), wideMode.c_str());
}

bool flushFileToDisk(std::FILE *file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool moveFileOver(const std::string &from, const std::string &to) {
    return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string &path) {
    return DeleteFileW(widePath(path).c_str()) != 0;
}
