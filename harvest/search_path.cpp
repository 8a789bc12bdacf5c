#include "harvest/search_path.h"

std::vector<std::string> searchPathFolders(const std::string &pathValue) {
    std::vector<std::string> folders;
    size_t start = 0;
    while (start <= pathValue.size()) {
        size_t end = pathValue.find(';', start);
        if (end == std::string::npos)
            end = pathValue.size();
        if (end > start)
            folders.push_back(pathValue.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}
