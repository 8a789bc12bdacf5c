#include "common/stored_path.h"

#include "common/ansi_code_page.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const size_t kUtf8MarkSize = 3;

} // namespace

std::string storedPath(const std::string &utf8) {
    std::string ansi;
    if (ansiFromUtf8(utf8, ansi))
        return ansi;
    return kUtf8Mark + utf8;
}

std::string pathFromStored(const std::string &stored) {
    if (stored.compare(0, kUtf8MarkSize, kUtf8Mark) == 0)
        return stored.substr(kUtf8MarkSize);
    return utf8FromAnsi(stored);
}
