// wordlark_setup.dll: the installer's own actions, carried inside the MSI. An upgrade or an
// uninstall replaces files that a running Wordlark holds (its program, and its hook library, which
// Windows maps into the programs it hooks), so before the installer looks for files in use,
// Wordlark is asked to close the way the Restart Manager asks: it saves everything, removes its
// hooks, ends its helper and ends. The action tells the installer whether Wordlark was running,
// so that the new version is started again after an upgrade.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

#include "app/process_names.h"

namespace {

// Wordlark saves everything while it answers; the Restart Manager gives an application 30 seconds.
const UINT kAnswerMs = 30000;
const DWORD kEndMs = 30000;
const wchar_t *const kProgramFiles[] = {L"larkhook.dll", L"larkhook32.dll", L"wordlark.exe", L"wordlark32.exe"};
// Set-aside copies of one file: as the updater names them, then numbered.
const int kSetAsideNames = 10;

BOOL CALLBACK findMainWindow(HWND window, LPARAM found) {
    char name[64] = "";
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, kMainWindowClass) == 0 &&
        !GetWindow(window, GW_OWNER)) {
        *reinterpret_cast<HWND *>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Waits until the process that holds the named mutex has let it go or ended; true when it has
// (or none holds it).
bool waitForMutex(const char *name, DWORD waitMs) {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (!mutex)
        return true;
    const DWORD woken = WaitForSingleObject(mutex, waitMs);
    const bool free = woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED;
    if (free)
        ReleaseMutex(mutex);
    CloseHandle(mutex);
    return free;
}

std::wstring property(MSIHANDLE install, const wchar_t *name) {
    wchar_t value[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    return MsiGetPropertyW(install, name, value, &size) == ERROR_SUCCESS ? std::wstring(value, size) : std::wstring();
}

std::wstring folderOf(const std::wstring &path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The folder of the program behind the window.
std::wstring programFolderOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return std::wstring();
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    const bool known = QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    return known ? folderOf(std::wstring(path, size)) : std::wstring();
}

bool inUse(const std::wstring &path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::wstring setAsideName(const std::wstring &folder, const wchar_t *name, int number) {
    return folder + L"~" + name + (number ? L"." + std::to_wstring(number) : std::wstring()) + L".tmp";
}

// A program file that another program still holds (the hook library stays mapped in a program
// until it next takes a message, and a program that hangs may never) is set aside under another
// name, which Windows allows for a file in use, so that the installer puts the new one in its place
// at once instead of at the next restart. Earlier set-aside copies that are free now go first.
void setAsideFilesInUse(const std::wstring &folder) {
    for (const wchar_t *name : kProgramFiles) {
        for (int number = 0; number < kSetAsideNames; ++number)
            DeleteFileW(setAsideName(folder, name, number).c_str());
        const std::wstring path = folder + name;
        if (!inUse(path))
            continue;
        for (int number = 0; number < kSetAsideNames; ++number)
            if (MoveFileExW(path.c_str(), setAsideName(folder, name, number).c_str(), 0))
                break;
    }
}

} // namespace

// Asks a running Wordlark of this session that runs from the folder being installed to save and
// close, and waits until it and its helper have ended; sets WORDLARK_WAS_RUNNING when there was
// one. Then the program files still in use are set aside. Never fails the installation: whatever
// cannot be done is left to the installer's own handling of files in use.
extern "C" UINT __stdcall CloseRunningWordlark(MSIHANDLE install) {
    const std::wstring folder = property(install, L"INSTALLDIR");
    if (folder.empty())
        return ERROR_SUCCESS;
    HWND main = nullptr;
    EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&main));
    if (main && lstrcmpiW(programFolderOf(main).c_str(), folder.c_str()) == 0) {
        MsiSetPropertyA(install, "WORDLARK_WAS_RUNNING", "1");
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, kAnswerMs,
                                &answer) &&
            answer)
            SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, kAnswerMs, &answer);
        // As the Restart Manager does for a program that is still there after WM_ENDSESSION.
        if (!waitForMutex(kInstanceMutexName, kEndMs) && IsWindow(main)) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            waitForMutex(kInstanceMutexName, kEndMs);
        }
        waitForMutex(kHelperMutexName, kEndMs);
    }
    setAsideFilesInUse(folder);
    return ERROR_SUCCESS;
}
