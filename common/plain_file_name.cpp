#include "common/plain_file_name.h"

bool isPlainFileName(const std::string &name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("\\/:\0", 4)) == std::string::npos;
}
