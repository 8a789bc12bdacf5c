#include "launcher/directory_lister.h"
#include "win32/find_handle_win.h"

bool listDirectoryA(const std::string &pattern, std::vector<DirectoryEntry> &entries) {
    entries.clear();
    // FindFirstFileA would silently work on a cut pattern; refuse it instead.
    if (pattern.size() >= MAX_PATH)
        return false;
    WIN32_FIND_DATAA data;
    FindHandle search(pattern.c_str(), data);
    if (!search.valid())
        return false;
    do {
        entries.push_back(
            {data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, data.cAlternateFileName});
    } while (search.next(data));
    return true;
}
