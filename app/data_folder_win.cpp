#include "app/data_folder_win.h"

#include "win32/file_handle_win.h"
#include "win32/find_handle_win.h"
#include "win32/wide_path_win.h"

#include <windows.h>
#include <shlobj.h>

namespace {

const char kProbeName[] = "wordlark-write-check.tmp";
const char kBaseVocabulary[] = "english.voc";
// The files the program writes; the learned vocabularies and word pairs are found by their
// extension. The shipped pair model shares that extension but is only ever read, from the
// program folder.
const char *const kWrittenFiles[] = {"wordlark.cfg", "wordlark.cmd", "wordlark.cmq", kBaseVocabulary};
const char *const kLearnedPatterns[] = {"*.vob", "*.pairs"};
const wchar_t kShippedPairModel[] = L"english.pairs";
const char kPerUserName[] = "Wordlark";

// A file is written and removed, as the saves will do: the folder's permissions, a read-only
// medium and a locked-down install all show here, and nothing is left behind.
bool canWriteIn(const std::string &folder) {
    const std::string probe = folder + kProbeName;
    bool wrote = false;
    {
        FileHandle file(CreateFileW(widePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!file)
            return false;
        DWORD written = 0;
        wrote = WriteFile(file.get(), "x", 1, &written, nullptr) && written == 1;
    }
    return DeleteFileW(widePath(probe).c_str()) && wrote;
}

void copyIfAbsent(const std::string &from, const std::string &to, const std::string &name) {
    CopyFileW(widePath(from + name).c_str(), widePath(to + name).c_str(), TRUE);
}

void copyWrittenFiles(const std::string &from, const std::string &to) {
    for (const char *name : kWrittenFiles)
        copyIfAbsent(from, to, name);
    for (const char *pattern : kLearnedPatterns) {
        WIN32_FIND_DATAW found = {};
        FindHandle search(widePath(from + pattern).c_str(), found);
        if (!search.valid())
            continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                lstrcmpiW(found.cFileName, kShippedPairModel) != 0)
                copyIfAbsent(from, to, utf8Path(found.cFileName, lstrlenW(found.cFileName)));
        } while (search.next(found));
    }
}

std::string perUserFolder() {
    wchar_t base[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)) ||
        !base[0])
        return std::string();
    std::string folder = utf8Path(base, lstrlenW(base));
    if (folder.back() != '\\')
        folder += '\\';
    return folder + kPerUserName + '\\';
}

} // namespace

DataFolder chooseDataFolder(const std::string &programFolder) {
    DataFolder chosen;
    chosen.path = programFolder;
    if (programFolder.empty() || canWriteIn(programFolder))
        return chosen;
    const std::string folder = perUserFolder();
    if (folder.empty())
        return chosen;
    if (CreateDirectoryW(widePath(folder).c_str(), nullptr)) {
        copyWrittenFiles(programFolder, folder);
        chosen.madeNow = true;
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
        return chosen;
    }
    copyIfAbsent(programFolder, folder, kBaseVocabulary);
    chosen.path = folder;
    chosen.perUser = true;
    return chosen;
}
