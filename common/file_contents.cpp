#include "common/file_contents.h"

#include <fstream>
#include <iterator>

bool readFileContents(const std::string &path, std::string &contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}
