// The host build's file access: the system takes the UTF-8 path as it is.
#include "common/file_access.h"

#include <unistd.h>

std::FILE *openFile(const std::string &path, const char *mode) {
    return std::fopen(path.c_str(), mode);
}

bool flushFileToDisk(std::FILE *file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool moveFileOver(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string &path) {
    return std::remove(path.c_str()) == 0;
}
