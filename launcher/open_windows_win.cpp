#include "launcher/open_windows_win.h"

#include "launcher/launcher_platform.h"
#include "win32/kernel_handle_win.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

namespace {

// DWMWA_CLOAKED of dwmapi.h, which mingw's headers give only for later targets than this build's.
const DWORD kCloakedAttribute = 14;
const int kTitleLimit = 512;

using DwmGetWindowAttributeFunction = HRESULT(WINAPI *)(HWND, DWORD, PVOID, DWORD);

// Looked up once: dwmapi.dll is absent from some systems, and Windows 7 knows no cloaking.
DwmGetWindowAttributeFunction dwmWindowAttribute() {
    static const DwmGetWindowAttributeFunction function = [] {
        HMODULE dwm = LoadLibraryExA("dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return dwm ? reinterpret_cast<DwmGetWindowAttributeFunction>(
                         reinterpret_cast<void *>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : nullptr;
    }();
    return function;
}

bool isCloaked(HWND window) {
    const DwmGetWindowAttributeFunction attribute = dwmWindowAttribute();
    DWORD cloaked = 0;
    return attribute && SUCCEEDED(attribute(window, kCloakedAttribute, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

bool isSwitchable(HWND window) {
    if (!IsWindowVisible(window) || window == GetShellWindow())
        return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId())
        return false;
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    if (exStyle & WS_EX_TOOLWINDOW)
        return false;
    const bool onTaskbar = (exStyle & WS_EX_APPWINDOW) != 0;
    if (!onTaskbar && (GetWindow(window, GW_OWNER) != nullptr || (exStyle & WS_EX_NOACTIVATE)))
        return false;
    return !isCloaked(window);
}

// The title in the ANSI code page: read wide, so that a title in another script keeps what the
// code page has of it.
std::string windowTitle(HWND window) {
    wchar_t title[kTitleLimit] = L"";
    const int length = GetWindowTextW(window, title, kTitleLimit);
    if (length <= 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, title, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, title, length, &ansi[0], size, nullptr, nullptr);
    return ansi;
}

std::string processPath(DWORD processId) {
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    char path[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameA(process.get(), 0, path, &size))
        return std::string();
    return std::string(path, size);
}

struct Listing {
    std::vector<OpenWindow> windows;
    std::map<DWORD, std::string> programs; // by process, asked once
};

BOOL CALLBACK collectWindow(HWND window, LPARAM data) {
    Listing &listing = *reinterpret_cast<Listing *>(data);
    if (!isSwitchable(window))
        return TRUE;
    OpenWindow open;
    open.title = windowTitle(window);
    if (open.title.find_first_not_of(' ') == std::string::npos)
        return TRUE;
    open.handle = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    auto known = listing.programs.find(processId);
    if (known == listing.programs.end())
        known = listing.programs.emplace(processId, processPath(processId)).first;
    open.programPath = known->second;
    listing.windows.push_back(std::move(open));
    return TRUE;
}

} // namespace

std::vector<OpenWindow> listOpenWindows() {
    Listing listing;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&listing));
    return std::move(listing.windows);
}

bool bringWindowToFront(uint64_t handle) {
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
    if (!IsWindow(window))
        return false; // closed since the strip was shown
    // Only the foreground process may give the foreground away; the strip is it while the user
    // presses Enter in it. The window's own process may then take it again as it restores.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    const bool front = SetForegroundWindow(window) != FALSE;
    // Posted rather than sent: a hung program would otherwise stop the strip with it.
    if (IsIconic(window))
        ShowWindowAsync(window, SW_RESTORE);
    return front;
}
