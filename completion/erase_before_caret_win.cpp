#include "completion/erase_before_caret_win.h"

namespace {

// The wait for an edit control's selection; a program that does not answer within it gets the
// Backspace key instead, in order with the rest.
const UINT kSelectionWaitMs = 200;

// Edit controls, and rich edit controls of every version (RichEdit20A, RICHEDIT50W, ...), also
// where a program subclassed or superclassed them under a name of its own.
bool isEditControl(HWND window) {
    char name[64] = "";
    if (!RealGetWindowClassA(window, name, sizeof name))
        return false;
    if (lstrcmpiA(name, "Edit") == 0)
        return true;
    name[8] = '\0';
    return lstrcmpiA(name, "RichEdit") == 0;
}

// Selects the count characters before an empty selection and clears them. False, with nothing
// changed, when the control holds a selection, gives no answer, or has its caret beyond what
// EM_GETSEL's result can say (65,535 characters).
bool clearInEditControl(HWND window, int count) {
    DWORD_PTR selection = 0;
    if (!SendMessageTimeoutA(window, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kSelectionWaitMs, &selection) ||
        static_cast<LRESULT>(selection) == -1)
        return false;
    const int start = LOWORD(selection), end = HIWORD(selection);
    if (start != end || end < count)
        return false;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, EM_SETSEL, static_cast<WPARAM>(end - count), static_cast<LPARAM>(end),
                               SMTO_ABORTIFHUNG, kSelectionWaitMs, &ignored) &&
           SendMessageTimeoutA(window, WM_CLEAR, 0, 0, SMTO_ABORTIFHUNG, kSelectionWaitMs, &ignored);
}

// While Ctrl is held (a pick with Ctrl+digit) a program reads each Backspace as Ctrl+Backspace:
// a word deleted, or nothing at all (an edit control's way). For the erasing, this thread shares
// the key state of the program's thread and lifts Ctrl in it; the state is put back afterwards.
class ControlLifted {
public:
    explicit ControlLifted(HWND focus) {
        if (!(GetAsyncKeyState(VK_CONTROL) & 0x8000))
            return;
        self_ = GetCurrentThreadId();
        program_ = GetWindowThreadProcessId(focus, nullptr);
        if (!program_ || program_ == self_ || !AttachThreadInput(self_, program_, TRUE)) {
            program_ = 0;
            return;
        }
        BYTE state[256] = {};
        GetKeyboardState(state);
        for (int i = 0; i < kKeys; ++i) {
            held_[i] = state[kControlKeys[i]];
            state[kControlKeys[i]] &= ~0x80;
        }
        SetKeyboardState(state);
    }
    ~ControlLifted() {
        if (!program_)
            return;
        BYTE state[256] = {};
        GetKeyboardState(state);
        for (int i = 0; i < kKeys; ++i)
            state[kControlKeys[i]] = held_[i];
        SetKeyboardState(state);
        AttachThreadInput(self_, program_, FALSE);
    }
    ControlLifted(const ControlLifted &) = delete;
    ControlLifted &operator=(const ControlLifted &) = delete;

private:
    static constexpr int kKeys = 3;
    static constexpr int kControlKeys[kKeys] = {VK_CONTROL, VK_LCONTROL, VK_RCONTROL};
    DWORD self_ = 0, program_ = 0;
    BYTE held_[kKeys] = {};
};

} // namespace

void eraseBeforeCaret(HWND focus, int count, const TypeMessage &type) {
    if (count <= 0 || !focus)
        return;
    if (isEditControl(focus) && clearInEditControl(focus, count))
        return;
    // As the keyboard sends it: scan code in bits 16-23, a repeat count of 1; the release also
    // says the key was down and is going up.
    const LPARAM down = 1 | static_cast<LPARAM>(MapVirtualKeyA(VK_BACK, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM up = down | static_cast<LPARAM>(0xC0000000u);
    ControlLifted lifted(focus);
    for (int i = 0; i < count; ++i) {
        type(WM_KEYDOWN, VK_BACK, down);
        type(WM_CHAR, VK_BACK, down);
        type(WM_KEYUP, VK_BACK, up);
    }
}
