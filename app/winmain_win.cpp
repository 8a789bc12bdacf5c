// The main program's entry point: single instance, window class, windows, hooks, the long-lived
// objects, the worker thread, the message loop and the orderly shut-down.
#include "app/app_globals_win.h"
#include "app/data_folder_win.h"
#include "app/main_window_win.h"
#include "app/process_names.h"
#include "app/startup_win.h"
#include "common/letter_case.h"
#include "config/settings.h"
#include "harvest/harvest_catalogue_win.h"
#include "hooklib/larkhook.h"
#include "launcher/command_catalogue.h"
#include "resources/resource_ids.h"
#include "updater/updater_win.h"
#include "vocabulary/word_store.h"
#include "win32/wide_path_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

const int kMaxSuggestions = 25;
const int kPageSize = 10;
const int kCatalogueResultLimit = 25;
// The longest path Windows gives a program's own file name in, with long-path support on.
const DWORD kLongestPath = 32768;

void registerWindowClass(HINSTANCE instance) {
    largeIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    smallIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = largeIcon;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(RGB(250, 250, 250));
    wc.lpszClassName = windowClassName;
    wc.hIconSm = smallIcon;
    RegisterClassExA(&wc);
}

// The program's folder ends with a backslash. Every file of the program is named with it, since
// the current directory moves (a file dialog changes it); it also becomes the current directory,
// so that a start from the Run key does not leave the process in the system folder.
void findProgramFolder() {
    wchar_t path[kLongestPath] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, path, kLongestPath);
    // A path that filled the buffer was cut: no folder rather than a wrong one.
    const std::wstring self = n < kLongestPath ? std::wstring(path, n) : std::wstring();
    const size_t lastSlash = self.find_last_of(L'\\');
    programFolder = lastSlash == std::wstring::npos ? std::string() : utf8Path(self.substr(0, lastSlash + 1));
    if (!programFolder.empty())
        SetCurrentDirectoryW(widePath(programFolder).c_str());
}

std::string inDataFolder(const char *name) {
    return dataFolder + name;
}

void findDataFolder() {
    const DataFolder chosen = chooseDataFolder(programFolder);
    dataFolder = chosen.path;
    if (chosen.madeNow)
        queueTrayNotice("Wordlark keeps your files in your own folder",
                        "The program folder cannot be written, so your settings, words and launch counts are kept in " +
                            chosen.path + " from now on.",
                        false);
}

// The 32-bit program on 64-bit Windows: its hook library loads only into 32-bit programs.
void noteIfUnderWow64() {
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
        queueTrayNotice("Wordlark completes words in 32-bit programs only",
                        "This is the 32-bit Wordlark on 64-bit Windows. The 64-bit package of Wordlark serves every "
                        "program, 64-bit and 32-bit.",
                        true);
}

// The hook library starts with the default hot keys; the saved ones apply from the start.
void applySavedHotKeys() {
    char commandKey = 0, enableKey = 0, keyboardKey = 0;
    settings->hotKeyChars(commandKey, enableKey, keyboardKey);
    SetHotKeys(commandKey, enableKey, keyboardKey);
}

DWORD WINAPI workerMain(LPVOID parameter) {
    HANDLE event = *static_cast<HANDLE *>(parameter);
    if (commandCatalogue)
        harvestCatalogue(*commandCatalogue);
    WaitForSingleObject(event, INFINITE);
    destroyLongLivedObjects();
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    HANDLE instanceMutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (!instanceMutex || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (instanceMutex)
            CloseHandle(instanceMutex);
        return 0;
    }
    InitCommonControls();
    LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, sizeof windowClassName);
    registerWindowClass(instance);
    lastEnableState = 1;
    findProgramFolder();
    findDataFolder();
    noteIfUnderWow64();

    settings = new Settings(inDataFolder("wordlark.cfg"));
    SetEnableState(settings->completionEnabled);
    applySavedHotKeys();
    mainMenu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    trayMenu = GetSubMenu(mainMenu, 0);

    if (!createWindows(instance, showCommand)) {
        ReleaseMutex(instanceMutex);
        CloseHandle(instanceMutex);
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    // An installer that closes Wordlark through the Restart Manager starts it again afterwards.
    RegisterApplicationRestart(nullptr, RESTART_NO_CRASH | RESTART_NO_HANG);

    // Words are matched and typed in the capitals of the system's code page.
    useSystemLetterCase();
    wordStore = new WordStore(inDataFolder("english.voc"), kMaxSuggestions, kPageSize, dataFolder);
    // Shipped and never written, so always read from the program folder; without it, words rank
    // by count alone.
    wordStore->loadPairModel(programFolder + "english.pairs");
    if (!settings->wordListFile.empty())
        wordStore->loadWordList(settings->wordListFile);
    // Only now: a key the hooks hand over waits for this thread, and no program's keys may wait
    // while the vocabularies load.
    startHooks();

    SHFILEINFOA info = {};
    systemImageList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    shutdownEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    commandCatalogue = new CommandCatalogue(kCatalogueResultLimit, inDataFolder("wordlark.cmd"));

    workerThread = CreateThread(nullptr, 0, workerMain, &shutdownEvent, 0, nullptr);
    if (workerThread)
        SetThreadPriority(workerThread, THREAD_PRIORITY_LOWEST);

    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    endUpdateChecks();
    SetEvent(shutdownEvent);
    if (workerThread) {
        WaitForSingleObject(workerThread, INFINITE);
        CloseHandle(workerThread);
    } else {
        // Without a worker thread the objects are still saved, in the same order.
        destroyLongLivedObjects();
    }
    reportFailedSavesAtExit();
    CloseHandle(shutdownEvent);
    ReleaseMutex(instanceMutex);
    CloseHandle(instanceMutex);
    return static_cast<int>(msg.wParam);
}
