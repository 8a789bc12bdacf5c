#include "harvest/history_files_win.h"

#include "harvest/utf8_to_ansi_win.h"
#include "win32/file_handle_win.h"

#include <shlobj.h>

#include <climits>
#include <cstdio>
#include <vector>

namespace {

// profiles.ini and Local State stay far below this; a larger file is read this far.
const size_t kMaxSmallFileBytes = size_t(16) << 20;
const DWORD kCopyChunk = 1 << 20;

std::wstring wide(const std::string &utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX)
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring text(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &text[0], length);
    return text;
}

std::string utf8(const wchar_t *text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return std::string();
    std::string result(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], length, nullptr, nullptr);
    result.resize(size_t(length - 1));
    return result;
}

// Every share mode: the browser keeps writing, renaming or deleting as it pleases, and a file it
// opened for writing would otherwise refuse to open.
HANDLE openShared(const std::string &path) {
    return CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool readSmallFile(const std::string &path, std::string &bytes) {
    bytes.clear();
    FileHandle file(openShared(path));
    if (!file)
        return false;
    std::vector<char> chunk(64 * 1024);
    DWORD read = 0;
    while (bytes.size() < kMaxSmallFileBytes && ReadFile(file.get(), chunk.data(), DWORD(chunk.size()), &read, nullptr) &&
           read > 0)
        bytes.append(chunk.data(), read);
    return true;
}

class WideSearch {
public:
    WideSearch(const std::wstring &pattern, WIN32_FIND_DATAW &data) : handle_(FindFirstFileW(pattern.c_str(), &data)) {}
    ~WideSearch() {
        if (valid())
            FindClose(handle_);
    }
    WideSearch(const WideSearch &) = delete;
    WideSearch &operator=(const WideSearch &) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAW &data) { return FindNextFileW(handle_, &data) != FALSE; }

private:
    HANDLE handle_;
};

bool listFolder(const std::string &pattern, std::vector<DirectoryEntry> &entries) {
    entries.clear();
    WIN32_FIND_DATAW data;
    WideSearch search(wide(pattern), data);
    if (!search.valid())
        return false;
    do {
        entries.push_back({utf8(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, {}});
    } while (search.next(data));
    return true;
}

HistoryFileAccess::Copy copyShared(const std::string &from, const std::string &to) {
    FileHandle source(openShared(from));
    if (!source) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? HistoryFileAccess::Copy::Missing
                                                                                : HistoryFileAccess::Copy::Failed;
    }
    FileHandle copy(CreateFileW(wide(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!copy)
        return HistoryFileAccess::Copy::Failed;
    std::vector<char> chunk(kCopyChunk);
    for (;;) {
        DWORD read = 0;
        // A read the browser's lock refuses (SQLite locks a range at 1 GiB) fails the copy.
        if (!ReadFile(source.get(), chunk.data(), kCopyChunk, &read, nullptr))
            return HistoryFileAccess::Copy::Failed;
        if (read == 0)
            return HistoryFileAccess::Copy::Done;
        DWORD written = 0;
        if (!WriteFile(copy.get(), chunk.data(), read, &written, nullptr) || written != read)
            return HistoryFileAccess::Copy::Failed;
    }
}

std::string temporaryCopyPath() {
    wchar_t folder[MAX_PATH + 1] = L"";
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return std::string();
    wchar_t file[MAX_PATH] = L"";
    if (!GetTempFileNameW(folder, L"wlh", 0, file))
        return std::string();
    return utf8(file);
}

} // namespace

HistoryFileAccess historyFileAccess() {
    HistoryFileAccess access;
    access.readFile = readSmallFile;
    access.listDirectory = listFolder;
    access.copyFile = copyShared;
    access.removeFile = [](const std::string &path) { DeleteFileW(wide(path).c_str()); };
    access.copyPath = temporaryCopyPath();
    access.titleToAnsi = utf8ToAnsi;
    access.note = [](const std::string &text) { std::fprintf(stderr, "%s\n", text.c_str()); };
    return access;
}

std::string specialFolderUtf8(int csidl) {
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::string();
    return utf8(folder);
}
