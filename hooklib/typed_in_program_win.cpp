#include "hooklib/typed_in_program_win.h"

#include "win32/kernel_handle_win.h"

namespace hookstate {

namespace {

bool windowsIs64Bit() {
    if (kOwnBitness == hookkeys::Bitness::Bits64)
        return true;
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}

// An executable's path in UTF-8, as Wordlark holds every path: the ANSI form would turn a name
// outside the code page into question marks. A path that does not fit is left empty rather than
// cut into another name.
void storeUtf8(const wchar_t *path, DWORD length, char (&out)[kPathSize]) {
    const int n =
        length ? WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), out, kPathSize - 1, nullptr, nullptr)
               : 0;
    out[n > 0 ? n : 0] = '\0';
}

// This process's executable, read once: it never changes while the process runs.
const char *ownModuleFileName() {
    static char name[kPathSize] = "";
    static bool known = false;
    if (!known) {
        wchar_t path[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        storeUtf8(path, n < MAX_PATH ? n : 0, name);
        known = true;
    }
    return name;
}

// Per thread, as programs may take input on several threads; asked again when the foreground
// process changes.
thread_local ProgramFacts facts;

} // namespace

const ProgramFacts &factsOf(DWORD processId) {
    if (facts.processId == processId)
        return facts;
    facts.processId = processId;
    facts.bitness = hookkeys::Bitness::Unknown;
    facts.path[0] = '\0';
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return facts;
    BOOL wow = FALSE;
    if (IsWow64Process(process.get(), &wow))
        facts.bitness = windowsIs64Bit() && !wow ? hookkeys::Bitness::Bits64 : hookkeys::Bitness::Bits32;
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    storeUtf8(path, QueryFullProcessImageNameW(process.get(), 0, path, &size) ? size : 0, facts.path);
    return facts;
}

TypedInProgram typedInProgram(bool outOfContext) {
    TypedInProgram program;
    program.processId = GetCurrentProcessId();
    program.threadId = GetCurrentThreadId();
    if (!outOfContext)
        return program;
    const HWND foreground = GetForegroundWindow();
    DWORD processId = 0;
    const DWORD threadId = foreground ? GetWindowThreadProcessId(foreground, &processId) : 0;
    if (!threadId) {
        program.here = false;
        program.known = false;
        program.bitness = hookkeys::Bitness::Unknown;
        return program;
    }
    if (processId == GetCurrentProcessId())
        return program;
    program.processId = processId;
    program.threadId = threadId;
    program.here = false;
    program.bitness = factsOf(processId).bitness;
    return program;
}

const char *moduleFileNameOf(const TypedInProgram &program) {
    return program.here ? ownModuleFileName() : factsOf(program.processId).path;
}

FocusAndCaret focusAndCaretOf(const TypedInProgram &program) {
    FocusAndCaret result;
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(program.threadId, &thread)) {
        result.focus = thread.hwndFocus;
        if (thread.hwndCaret) {
            result.caretWindow = thread.hwndCaret;
            result.caret = thread.rcCaret;
        }
    } else if (program.here) {
        result.focus = GetFocus();
        POINT caret = {0, 0};
        if (GetCaretPos(&caret)) {
            result.caretWindow = result.focus;
            result.caret = {caret.x, caret.y, caret.x, caret.y};
        }
    }
    return result;
}

void readKeyboardState(const TypedInProgram &program, KeyboardState &state) {
    BYTE *keys = state.keys;
    if (!program.here || !GetKeyboardState(keys)) {
        ZeroMemory(keys, sizeof state.keys);
        const int modifiers[] = {VK_SHIFT, VK_LSHIFT, VK_RSHIFT,   VK_CONTROL, VK_LCONTROL,
                                 VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN};
        for (int vk : modifiers)
            keys[vk] = (GetAsyncKeyState(vk) & 0x8000) ? 0x80 : 0;
        keys[VK_CAPITAL] = GetKeyState(VK_CAPITAL) & 1;
    }
    takeModifiers(state);
}

void takeModifiers(KeyboardState &state) {
    const BYTE *keys = state.keys;
    state.ctrl = (keys[VK_CONTROL] & 0x80) != 0;
    state.alt = (keys[VK_MENU] & 0x80) != 0;
    state.shift = (keys[VK_SHIFT] & 0x80) != 0;
    state.win = (keys[VK_LWIN] & 0x80) != 0 || (keys[VK_RWIN] & 0x80) != 0;
}

} // namespace hookstate
