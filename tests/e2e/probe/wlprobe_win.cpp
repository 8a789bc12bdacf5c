// Test probe for the end-to-end tests: reads windows, their texts and the hook library's shared
// state through Win32 and prints JSON on standard output. Run under Wine in the test's prefix.
#include <windows.h>

#include <msi.h>
#include <psapi.h>
#include <shellapi.h>

#include "hooklib/hook_state.h"
#include "tests/e2e/caretfield/caret_field_accessible_win.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

std::string jsonString(const std::string &s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// The clipboard's text (CF_TEXT, which the system makes from Unicode text too), or "".
std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char *chars = static_cast<const char *>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::string windowText(HWND w) {
    // WM_GETTEXT rather than GetWindowText, so the text of controls in other processes is read.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return "";
    std::vector<char> buf(length + 2, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                        &got);
    return std::string(buf.data());
}

std::string describe(HWND w) {
    char cls[256] = "";
    GetClassNameA(w, cls, sizeof cls);
    RECT r = {};
    GetWindowRect(w, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char head[256];
    snprintf(head, sizeof head, "{\"hwnd\": %lu, \"pid\": %lu, \"id\": %ld, \"visible\": %s, \"rect\": [%ld, %ld, %ld, %ld], ",
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(w)), static_cast<unsigned long>(pid),
             static_cast<long>(GetDlgCtrlID(w)), IsWindowVisible(w) ? "true" : "false", r.left, r.top, r.right,
             r.bottom);
    char style[96];
    snprintf(style, sizeof style, "\"style\": %lu, \"owner\": %lu, ",
             static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE)),
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetWindow(w, GW_OWNER))));
    return std::string(head) + style + "\"class\": " + jsonString(cls) + ", \"text\": " + jsonString(windowText(w)) +
           "}";
}

std::vector<HWND> found;
BOOL CALLBACK collect(HWND w, LPARAM) {
    found.push_back(w);
    return TRUE;
}

HWND parseHandle(const char *s) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoul(s, nullptr, 0))); }

void printList() {
    printf("[");
    for (size_t i = 0; i < found.size(); ++i)
        printf("%s%s", i ? ", " : "", describe(found[i]).c_str());
    printf("]\n");
}

int listComboItems(HWND combo) {
    DWORD_PTR count = 0;
    SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    printf("[");
    for (DWORD_PTR i = 0; i < count && static_cast<LONG_PTR>(count) > 0; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 2000, &length);
        // Across processes Wine copies the row as wide text whatever the message's form, so the
        // wide message with a wide buffer is the one that cannot overrun.
        std::vector<wchar_t> wide(length + 2, L'\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG, 2000,
                            &got);
        std::vector<char> text(wide.size() * 2 + 1, '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text.data(), static_cast<int>(text.size()), nullptr,
                            nullptr);
        printf("%s%s", i ? ", " : "", jsonString(text.data()).c_str());
    }
    printf("]\n");
    return 0;
}

// The products the Windows Installer keeps on record in one context (the user's own per-user
// installs, or the machine's), with their name, version and publisher, as Apps & features lists
// them: [[name, version, publisher], ...].
std::string productProperty(const wchar_t *product, MSIINSTALLCONTEXT context, const wchar_t *property) {
    wchar_t value[512] = L"";
    DWORD size = 512;
    if (MsiGetProductInfoExW(product, nullptr, context, property, value, &size) != ERROR_SUCCESS)
        return std::string();
    char narrow[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, value, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

int listInstalledProducts(const std::string &where) {
    const MSIINSTALLCONTEXT context = where == "machine" ? MSIINSTALLCONTEXT_MACHINE : MSIINSTALLCONTEXT_USERUNMANAGED;
    printf("[");
    wchar_t product[39] = L"";
    for (DWORD i = 0;; ++i) {
        MSIINSTALLCONTEXT inContext = MSIINSTALLCONTEXT_NONE;
        if (MsiEnumProductsExW(nullptr, nullptr, context, i, product, &inContext, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        printf("%s[%s, %s, %s]", i ? ", " : "",
               jsonString(productProperty(product, inContext, L"ProductName")).c_str(),
               jsonString(productProperty(product, inContext, L"VersionString")).c_str(),
               jsonString(productProperty(product, inContext, L"Publisher")).c_str());
    }
    printf("]\n");
    return 0;
}

typedef int (*IntGetter)();

template <typename F> F exported(HMODULE dll, const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
}
typedef HWND (*WindowGetter)();
typedef int (*TextGetter)(char *);

int readHookState(const char *dllPath) {
    HMODULE dll = LoadLibraryA(dllPath);
    if (!dll) {
        fprintf(stderr, "cannot load %s\n", dllPath);
        return 2;
    }
    auto get = [dll](const char *name) { return exported<IntGetter>(dll, name)(); };
    char name[260] = "", path[260] = "";
    exported<TextGetter>(dll, "GetModuleName")(name);
    exported<TextGetter>(dll, "GetModulePath")(path);
    HWND focus = exported<WindowGetter>(dll, "GetFocusWindow")();
    printf("{\"enable\": %d, \"focus\": %lu, \"caretX\": %d, \"caretY\": %d, \"charX\": %d, \"charY\": %d, "
           "\"moduleName\": %s, \"modulePath\": %s}\n",
           get("GetEnableState"), static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(focus)), get("GetCaretX"),
           get("GetCaretY"), get("GetCharX"), get("GetCharY"), jsonString(name).c_str(), jsonString(path).c_str());
    return 0;
}

typedef LRESULT(CALLBACK *HookProcedure)(int, WPARAM, LPARAM);

struct HookCall {
    HMODULE dll;
    WPARAM vk;
    bool outside;
    LRESULT result;
};

typedef BOOL(WINAPIV *ServeThreadOfFunction)(HWND);
typedef BOOL(WINAPIV *StopFunction)();

DWORD WINAPI callHookOnThread(LPVOID parameter) {
    HookCall &call = *static_cast<HookCall *>(parameter);
    const LPARAM flags = 1 | static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(call.vk), MAPVK_VK_TO_VSC)) << 16;
    // Out of context Windows calls a hook on the thread that installed it: this thread becomes one
    // by hooking the foreground program's thread, as the helper does.
    if (call.outside)
        exported<ServeThreadOfFunction>(call.dll, "ServeThreadOf")(GetForegroundWindow());
    call.result = exported<HookProcedure>(call.dll, "KeyboardHookProc")(0, call.vk, flags);
    if (call.outside)
        exported<StopFunction>(call.dll, "Stop")();
    return 0;
}

// Calls the library's keyboard hook for a key-down in a thread of this process, which is not the
// foreground program: in context, as Windows calls it in the thread that reads the key; or, from
// outside, on a thread that installed the library's hooks, as Windows calls it out of context for
// a program that cannot load the library.
int callKeyboardHook(const char *dllPath, const char *key, bool outside) {
    HMODULE dll = LoadLibraryA(dllPath);
    if (!dll) {
        fprintf(stderr, "cannot load %s\n", dllPath);
        return 2;
    }
    HookCall call = {dll, static_cast<WPARAM>(strtoul(key, nullptr, 0)), outside, 0};
    HANDLE thread = CreateThread(nullptr, 0, callHookOnThread, &call, 0, nullptr);
    if (!thread)
        return 2;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    printf("%ld\n", static_cast<long>(call.result));
    return 0;
}

// Keys as a user's tool or a fast typist sends them: one SendInput of the whole sequence, each
// token a virtual key (a name or a number) with + for down and - for up ("shift+ down+ down+
// down- shift-"). A key sent down while it is down is an auto-repeat.
int sendInputBatch(const char *keys) {
    static const std::map<std::string, WORD> names = {
        {"shift", VK_SHIFT}, {"ctrl", VK_CONTROL}, {"alt", VK_MENU},   {"return", VK_RETURN},
        {"space", VK_SPACE}, {"down", VK_DOWN},    {"up", VK_UP},      {"back", VK_BACK},
        {"delete", VK_DELETE}, {"escape", VK_ESCAPE}};
    std::vector<INPUT> inputs;
    std::string token;
    for (const char *p = keys;; ++p) {
        if (*p && *p != ' ') {
            token += *p;
            continue;
        }
        if (token.size() >= 2) {
            const char direction = token.back();
            const std::string name = token.substr(0, token.size() - 1);
            const auto named = names.find(name);
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = named != names.end()         ? named->second
                           : name.size() == 1            ? static_cast<WORD>(toupper(static_cast<unsigned char>(name[0])))
                                                         : static_cast<WORD>(strtoul(name.c_str(), nullptr, 0));
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(input.ki.wVk, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = direction == '-' ? KEYEVENTF_KEYUP : 0;
            if (input.ki.wVk == VK_DOWN || input.ki.wVk == VK_UP || input.ki.wVk == VK_DELETE)
                input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
            inputs.push_back(input);
        }
        token.clear();
        if (!*p)
            break;
    }
    printf("%u\n", SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
    return 0;
}

// Holds the thread of a window still for a while, as a program busy with something else is, and
// answers at once: the thread runs on by itself afterwards.
struct Freeze {
    HANDLE thread;
    DWORD milliseconds;
};

DWORD WINAPI thawLater(LPVOID parameter) {
    Freeze *freeze = static_cast<Freeze *>(parameter);
    Sleep(freeze->milliseconds);
    ResumeThread(freeze->thread);
    CloseHandle(freeze->thread);
    delete freeze;
    return 0;
}

int freezeThreadOf(HWND window, DWORD milliseconds) {
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));
    if (!thread || SuspendThread(thread) == static_cast<DWORD>(-1)) {
        if (thread)
            CloseHandle(thread);
        return 2;
    }
    HANDLE thawer = CreateThread(nullptr, 0, thawLater, new Freeze{thread, milliseconds}, 0, nullptr);
    if (thawer)
        CloseHandle(thawer);
    printf("1\n");
    return 0;
}

// Which hook libraries have their hooks installed, read from the session's shared block itself.
int readHookLibraries() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, "Local\\WordlarkHookState");
    const hookstate::HookState *state =
        mapping ? static_cast<const hookstate::HookState *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
    if (!state || !hookstate::isSoundHookState(*state)) {
        printf("null\n");
    } else {
        printf("{\"main\": %d, \"mainProcess\": %lu, \"helper\": %d, \"helperProcess\": %lu, "
               "\"forwards\": %d, \"posted\": %d, \"postedHandled\": %d, \"protectedWindow\": %lu}\n",
               state->hooksInstalled[hookstate::kMainLibrary],
               static_cast<unsigned long>(state->installerProcessId[hookstate::kMainLibrary]),
               state->hooksInstalled[hookstate::kHelperLibrary],
               static_cast<unsigned long>(state->installerProcessId[hookstate::kHelperLibrary]),
               state->lastForwardSerial, state->postedKeys, state->postedKeysHandled,
               static_cast<unsigned long>(state->protectedWindow));
    }
    if (state)
        UnmapViewOfFile(state);
    if (mapping)
        CloseHandle(mapping);
    return 0;
}

// Writes over the block's header, as a program of the session might: every library must stop
// trusting it until the main program sets it up again.
int spoilHookState() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, "Local\\WordlarkHookState");
    auto *state = mapping ? static_cast<hookstate::HookState *>(
                                MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0))
                          : nullptr;
    if (state)
        memset(state, 0x5A, sizeof(hookstate::HookState));
    printf("%d\n", state ? 1 : 0);
    if (state)
        UnmapViewOfFile(state);
    if (mapping)
        CloseHandle(mapping);
    return 0;
}

// The caret rectangle that a window gives through accessibility, in screen coordinates, as any
// client of accessibility reads it.
int accessibleCaret(HWND window) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible *caret = nullptr;
    long left = 0, top = 0, width = 0, height = 0;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    bool located = SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CARET), kAccessibleIid,
                                                      reinterpret_cast<void **>(&caret))) &&
                 caret && SUCCEEDED(caret->accLocation(&left, &top, &width, &height, self));
    if (caret)
        caret->Release();
    if (located)
        printf("[%ld, %ld, %ld, %ld]\n", left, top, left + width, top + height);
    else
        printf("null\n");
    return 0;
}

// The file names of the modules loaded into a process.
int listModules(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    HMODULE modules[512];
    DWORD bytes = 0;
    std::string out = "[";
    if (process && EnumProcessModules(process, modules, sizeof modules, &bytes)) {
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            char name[MAX_PATH] = "";
            if (GetModuleBaseNameA(process, modules[i], name, sizeof name))
                out += (out.size() > 1 ? ", " : "") + jsonString(name);
        }
    }
    if (process)
        CloseHandle(process);
    printf("%s]\n", out.c_str());
    return 0;
}

// Files held open by "hold" until "release" (or the probe's end), without write or delete
// sharing, as a virus scanner or a backup tool may hold them: they can be neither renamed nor
// replaced meanwhile.
std::map<std::string, HANDLE> heldFiles;

bool holdFile(const std::string &path) {
    if (heldFiles.count(path))
        return true;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    heldFiles[path] = file;
    return true;
}

bool releaseFile(const std::string &path) {
    auto held = heldFiles.find(path);
    if (held == heldFiles.end())
        return false;
    CloseHandle(held->second);
    heldFiles.erase(held);
    return true;
}

int usage() {
    fprintf(stderr,
            "usage: wlprobe windows | children HWND | text HWND | combo HWND | hook DLL |\n"
            "               send HWND MSG WPARAM LPARAM | post HWND MSG WPARAM LPARAM |\n"
            "               foreground | activate HWND | focus-of HWND | settext HWND TEXT |\n"
            "               hook-libraries | hook-key[-outside] DLL VK | hook-spoil | acc-caret HWND |\n"
            "               move HWND X Y W H | sendinput KEYS | freeze HWND MS | selection HWND |\n"
            "               keystate VK | workarea X Y | modules PID | hold PATH | release PATH |\n"
            "               message-id NAME | tray-remove HWND ID | installed-products user|machine\n"
            "               (serve mode)\n");
    return 2;
}

int run(int argc, char **argv) {
    found.clear();
    if (argc < 2)
        return usage();
    std::string verb = argv[1];
    if (verb == "windows") {
        EnumWindows(collect, 0);
        printList();
    } else if (verb == "children" && argc >= 3) {
        EnumChildWindows(parseHandle(argv[2]), collect, 0);
        printList();
    } else if (verb == "text" && argc >= 3) {
        printf("%s\n", jsonString(windowText(parseHandle(argv[2]))).c_str());
    } else if (verb == "combo" && argc >= 3) {
        return listComboItems(parseHandle(argv[2]));
    } else if (verb == "hook" && argc >= 3) {
        return readHookState(argv[2]);
    } else if (verb == "move" && argc >= 7) {
        printf("%d\n", SetWindowPos(parseHandle(argv[2]), nullptr, atoi(argv[3]), atoi(argv[4]), atoi(argv[5]),
                                    atoi(argv[6]), SWP_NOZORDER | SWP_NOACTIVATE)
                           ? 1
                           : 0);
    } else if (verb == "workarea" && argc >= 4) {
        // The work area of the monitor that holds the point.
        POINT point = {atoi(argv[2]), atoi(argv[3])};
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoA(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info))
            return 2;
        printf("[%ld, %ld, %ld, %ld]\n", info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom);
    } else if (verb == "acc-caret" && argc >= 3) {
        return accessibleCaret(parseHandle(argv[2]));
    } else if ((verb == "hook-key" || verb == "hook-key-outside") && argc >= 4) {
        return callKeyboardHook(argv[2], argv[3], verb == "hook-key-outside");
    } else if (verb == "sendinput" && argc >= 3) {
        return sendInputBatch(argv[2]);
    } else if (verb == "freeze" && argc >= 4) {
        return freezeThreadOf(parseHandle(argv[2]), static_cast<DWORD>(strtoul(argv[3], nullptr, 0)));
    } else if (verb == "selection" && argc >= 3) {
        DWORD_PTR range = 0;
        SendMessageTimeoutA(parseHandle(argv[2]), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &range);
        printf("[%u, %u]\n", static_cast<unsigned>(LOWORD(range)), static_cast<unsigned>(HIWORD(range)));
    } else if (verb == "keystate" && argc >= 3) {
        printf("%d\n", (GetAsyncKeyState(static_cast<int>(strtoul(argv[2], nullptr, 0))) & 0x8000) ? 1 : 0);
    } else if (verb == "hook-spoil") {
        return spoilHookState();
    } else if (verb == "hook-libraries") {
        return readHookLibraries();
    } else if (verb == "modules" && argc >= 3) {
        return listModules(static_cast<DWORD>(strtoul(argv[2], nullptr, 0)));
    } else if ((verb == "send" || verb == "post") && argc >= 6) {
        HWND w = parseHandle(argv[2]);
        UINT msg = strtoul(argv[3], nullptr, 0);
        WPARAM wp = strtoul(argv[4], nullptr, 0);
        LPARAM lp = static_cast<LPARAM>(strtol(argv[5], nullptr, 0));
        if (verb == "post") {
            printf("%d\n", PostMessageA(w, msg, wp, lp) ? 1 : 0);
        } else {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
            printf("%ld\n", static_cast<long>(result));
        }
    } else if (verb == "settext" && argc >= 4) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(parseHandle(argv[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]), SMTO_ABORTIFHUNG,
                            5000, &result);
        printf("%ld\n", static_cast<long>(result));
    } else if (verb == "activate" && argc >= 3) {
        HWND w = parseHandle(argv[2]);
        printf("%d\n", SetForegroundWindow(w) ? 1 : 0);
    } else if (verb == "clipboard") {
        printf("%s\n", jsonString(clipboardText()).c_str());
    } else if (verb == "foreground") {
        HWND w = GetForegroundWindow();
        printf("%s\n", w ? describe(w).c_str() : "null");
    } else if (verb == "focus-of" && argc >= 3) {
        // The focus inside another thread's window. Not by attaching to its input: that would
        // clear the key state the tests hold keys down in.
        HWND w = parseHandle(argv[2]);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        HWND focus = GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) ? info.hwndFocus : nullptr;
        printf("%s\n", focus ? describe(focus).c_str() : "null");
    } else if (verb == "message-id" && argc >= 3) {
        printf("%u\n", RegisterWindowMessageA(argv[2]));
    } else if (verb == "tray-remove" && argc >= 4) {
        // What a restarted Explorer does to every icon: it is gone from the new taskbar.
        NOTIFYICONDATAA icon = {};
        icon.cbSize = sizeof icon;
        icon.hWnd = parseHandle(argv[2]);
        icon.uID = static_cast<UINT>(strtoul(argv[3], nullptr, 0));
        printf("%d\n", Shell_NotifyIconA(NIM_DELETE, &icon) ? 1 : 0);
    } else if (verb == "installed-products" && argc >= 3) {
        return listInstalledProducts(argv[2]);
    } else if (verb == "hold" && argc >= 3) {
        printf("%d\n", holdFile(argv[2]) ? 1 : 0);
    } else if (verb == "release" && argc >= 3) {
        printf("%d\n", releaseFile(argv[2]) ? 1 : 0);
    } else {
        return usage();
    }
    return 0;
}

// Serves commands from standard input, one per line with tab-separated arguments, and answers
// each with one line; the tests keep one probe running instead of starting Wine per question.
int serve() {
    char line[4096];
    while (fgets(line, sizeof line, stdin)) {
        std::vector<std::string> parts(1, "wlprobe");
        std::string current;
        for (const char *p = line; *p && *p != '\n' && *p != '\r'; ++p) {
            if (*p == '\t') {
                parts.push_back(current);
                current.clear();
            } else {
                current += *p;
            }
        }
        parts.push_back(current);
        std::vector<char *> args;
        for (std::string &part : parts)
            args.push_back(&part[0]);
        int rc = run(static_cast<int>(args.size()), args.data());
        if (rc != 0)
            printf("null\n");
        fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::string(argv[1]) == "serve")
        return serve();
    return run(argc, argv);
}
