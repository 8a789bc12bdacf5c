#include "common/file_contents.h"

#include "common/file_access.h"

bool readFileContents(const std::string &path, std::string &contents) {
    std::FILE *file = openFile(path, "rb");
    if (!file)
        return false;
    contents.clear();
    char block[65536];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        contents.append(block, got);
    std::fclose(file);
    return true;
}
