#include "common/file_contents.h"

#include "win32/file_handle_win.h"
#include "win32/wide_path_win.h"

#include <algorithm>

bool readSharedFileContents(const std::string &path, size_t maxBytes, std::string &contents) {
    contents.clear();
    // Every share mode: the other program keeps writing, renaming or deleting as it pleases, and
    // a program that opened the file for writing would otherwise make the open fail.
    FileHandle file(CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0)
        return false;
    size_t wanted =
        static_cast<unsigned long long>(size.QuadPart) < maxBytes ? static_cast<size_t>(size.QuadPart) : maxBytes;
    contents.resize(wanted);
    // The file may shrink while it is read; what was read is what it holds.
    size_t got = 0;
    while (got < wanted) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(wanted - got, 1 << 20));
        DWORD read = 0;
        if (!ReadFile(file.get(), &contents[got], chunk, &read, nullptr) || read == 0)
            break;
        got += read;
    }
    contents.resize(got);
    return true;
}
