#include "win32/screen_dpi_win.h"

namespace {

// The functions that came with per-monitor DPI (Windows 8.1 and 10) are looked up, so that the
// program still starts on systems without them.
typedef HRESULT(WINAPI *GetDpiForMonitorFn)(HMONITOR, int, UINT *, UINT *);
typedef BOOL(WINAPI *LogicalToPhysicalFn)(HWND, POINT *);
const int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI

template <typename F> F lookUp(const char *library, const char *name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module)
        module = LoadLibraryA(library);
    return module ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name))) : nullptr;
}

GetDpiForMonitorFn getDpiForMonitor() {
    static GetDpiForMonitorFn function = lookUp<GetDpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
    return function;
}

LogicalToPhysicalFn logicalToPhysical() {
    static LogicalToPhysicalFn function =
        lookUp<LogicalToPhysicalFn>("user32.dll", "LogicalToPhysicalPointForPerMonitorDPI");
    return function;
}

UINT screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT dpiOfMonitor(HMONITOR monitor) {
    UINT x = 0, y = 0;
    if (monitor && getDpiForMonitor() && SUCCEEDED(getDpiForMonitor()(monitor, kEffectiveDpi, &x, &y)) && y)
        return y;
    return screenDpi();
}

} // namespace

UINT dpiOfMonitorAt(POINT point) { return dpiOfMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

UINT dpiOfWindow(HWND window) { return dpiOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }

POINT physicalPointOf(HWND window, POINT point) {
    POINT physical = point;
    if (window && logicalToPhysical() && logicalToPhysical()(window, &physical))
        return physical;
    return point;
}

bool workAreaAt(POINT point, RECT &workArea) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info))
        return false;
    workArea = info.rcWork;
    return true;
}
