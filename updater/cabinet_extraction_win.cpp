#include "updater/cabinet_extraction_win.h"

#include "win32/file_handle_win.h"
#include "win32/wide_path_win.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A temporary file named by the system, deleted when the owner goes.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile() {
        if (!path_.empty())
            DeleteFileW(widePath(path_).c_str());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    // The temporary folder lies in the user's profile, whose name may be outside the ANSI code page.
    bool create(DWORD &error) {
        wchar_t folder[MAX_PATH] = L"";
        wchar_t path[MAX_PATH] = L"";
        const DWORD length = GetTempPathW(MAX_PATH, folder);
        if (length == 0 || length >= MAX_PATH || !GetTempFileNameW(folder, L"wlu", 0, path)) {
            error = GetLastError();
            return false;
        }
        path_ = utf8Path(path, lstrlenW(path));
        return true;
    }
    const char *path() const { return path_.c_str(); }

private:
    std::string path_;
};

bool writeWhole(HANDLE file, const std::string &bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + at, piece, &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

// True when the file behind the handle holds exactly `bytes`.
bool holdsExactly(HANDLE file, const std::string &bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) != bytes.size())
        return false;
    std::vector<char> piece(1 << 16);
    size_t at = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
            return false;
        if (got == 0)
            return at == bytes.size();
        if (got > bytes.size() - at || bytes.compare(at, got, piece.data(), got) != 0)
            return false;
        at += got;
    }
}

UINT placeMember(const char *folder, FILE_IN_CABINET_INFO_W &member) {
    const std::string inCabinet =
        member.NameInCabinet ? utf8Path(member.NameInCabinet, lstrlenW(member.NameInCabinet)) : std::string();
    const std::string name = packagedMemberName(inCabinet, kThisBuildsPackage);
    const std::string folderPath = folder ? std::string(folder) : runningProgramFolder();
    const std::wstring target = widePath(folderPath + name);
    if (name.empty() || folderPath.empty() || target.size() >= MAX_PATH)
        return FILEOP_SKIP;
    memcpy(member.FullTargetName, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
    return FILEOP_DOIT;
}

} // namespace

std::string runningProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    const std::string folder = utf8Path(path, length);
    size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

UINT CALLBACK cabinetCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
    if (notification != SPFILENOTIFY_FILEINCABINET)
        return NO_ERROR;
    return placeMember(static_cast<const char *>(context), *reinterpret_cast<FILE_IN_CABINET_INFO_W *>(param1));
}

bool extractCabinetMembers(const char *cabinetPath, const char *folder, DWORD &error) {
    // SetupIterateCabinetW takes a non-const context; the handler only reads it.
    if (SetupIterateCabinetW(widePath(cabinetPath).c_str(), 0, cabinetCallback, const_cast<char *>(folder))) {
        error = ERROR_SUCCESS;
        return true;
    }
    error = GetLastError();
    // Some cabinet readers fail on a damaged cabinet without saying why; the user must not be
    // shown "The operation completed successfully." for it.
    if (error == ERROR_SUCCESS)
        error = ERROR_INVALID_DATA;
    return false;
}

bool extractHeldCabinet(const std::string &checkedBytes, const char *folder, DWORD &error,
                        const HeldCabinetSeams &seams) {
    TemporaryFile cabinet;
    if (!cabinet.create(error))
        return false;
    {
        FileHandle out(CreateFileW(widePath(cabinet.path()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!out || !writeWhole(out.get(), checkedBytes)) {
            error = GetLastError();
            if (error == ERROR_SUCCESS)
                error = ERROR_WRITE_FAULT;
            return false;
        }
    }
    if (seams.written)
        seams.written(cabinet.path());
    // Without FILE_SHARE_WRITE and FILE_SHARE_DELETE nobody can write, rename, replace or delete
    // the file while this handle is open; the cabinet reader's own opening only reads.
    FileHandle held(CreateFileW(widePath(cabinet.path()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held) {
        error = GetLastError();
        return false;
    }
    // Whatever happened to the file between writing and holding it is found here.
    if (!holdsExactly(held.get(), checkedBytes)) {
        error = ERROR_FILE_CORRUPT;
        return false;
    }
    if (seams.held)
        seams.held(cabinet.path());
    return extractCabinetMembers(cabinet.path(), folder, error);
}
