#include "launcher/launcher_platform.h"

#include <windows.h>

#include <cstring>

namespace {

// The clipboard is held by one window at a time; another program may have it for a moment.
const int kOpenAttempts = 5;
const DWORD kOpenRetryMilliseconds = 20;

const char kOwnerClass[] = "WordlarkClipboardOwner";

// A clipboard opened without a window gets no owner, and SetClipboardData then fails: the data
// is owned by a message-only window of the calling thread, made at the first copy and kept.
HWND clipboardOwner() {
    static thread_local HWND owner = nullptr;
    if (owner && IsWindow(owner))
        return owner;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassA(&windowClass); // fails harmlessly when another thread registered it
    owner = CreateWindowExA(0, kOwnerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                            nullptr);
    return owner;
}

class ClipboardOpen {
public:
    ClipboardOpen() {
        HWND owner = clipboardOwner();
        for (int attempt = 0; attempt < kOpenAttempts && owner && !open_; ++attempt) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_)
                Sleep(kOpenRetryMilliseconds);
        }
    }
    ~ClipboardOpen() {
        if (open_)
            CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen &) = delete;
    ClipboardOpen &operator=(const ClipboardOpen &) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_ = false;
};

} // namespace

bool copyTextToClipboard(const std::string &text) {
    // The text is digits, signs and a point: the same in every code page, so it goes as both
    // CF_TEXT and CF_UNICODETEXT without a conversion.
    const size_t length = text.size() + 1;
    HGLOBAL ansi = GlobalAlloc(GMEM_MOVEABLE, length);
    HGLOBAL wide = GlobalAlloc(GMEM_MOVEABLE, length * sizeof(wchar_t));
    if (!ansi || !wide) {
        if (ansi)
            GlobalFree(ansi);
        if (wide)
            GlobalFree(wide);
        return false;
    }
    std::memcpy(GlobalLock(ansi), text.c_str(), length);
    GlobalUnlock(ansi);
    auto *characters = static_cast<wchar_t *>(GlobalLock(wide));
    for (size_t i = 0; i < length; ++i)
        characters[i] = static_cast<wchar_t>(static_cast<unsigned char>(text.c_str()[i]));
    GlobalUnlock(wide);
    ClipboardOpen clipboard;
    // Once SetClipboardData took a block the system owns it; the others are freed here.
    if (!clipboard || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, wide)) {
        GlobalFree(ansi);
        GlobalFree(wide);
        return false;
    }
    if (!SetClipboardData(CF_TEXT, ansi))
        GlobalFree(ansi);
    return true;
}
