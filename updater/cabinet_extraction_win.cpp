#include "updater/cabinet_extraction_win.h"

#include <cstring>
#include <string>

namespace {

UINT placeMember(const char *folder, FILE_IN_CABINET_INFO_A &member) {
    std::string name = packagedMemberName(member.NameInCabinet ? member.NameInCabinet : "", kThisBuildsPackage);
    std::string target = (folder ? std::string(folder) : runningProgramFolder()) + name;
    if (name.empty() || target.size() >= MAX_PATH || target == name)
        return FILEOP_SKIP;
    memcpy(member.FullTargetName, target.c_str(), target.size() + 1);
    return FILEOP_DOIT;
}

} // namespace

std::string runningProgramFolder() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder(path, length);
    size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

UINT CALLBACK cabinetCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
    if (notification != SPFILENOTIFY_FILEINCABINET)
        return NO_ERROR;
    return placeMember(static_cast<const char *>(context), *reinterpret_cast<FILE_IN_CABINET_INFO_A *>(param1));
}

bool extractCabinetMembers(const char *cabinetPath, const char *folder, DWORD &error) {
    // SetupIterateCabinetA takes a non-const context; the handler only reads it.
    if (SetupIterateCabinetA(cabinetPath, 0, cabinetCallback, const_cast<char *>(folder))) {
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
