// Word completion's speed under Wine, with the full base vocabulary of the program folder:
// 1. handleSuggestionKey per letter, in this process against a WordStore of english.voc, typing
//    the vocabulary's own words letter by letter (each word ended with Escape), and apart from it
//    the placing and painting of the list that the key asked for;
// 2. from an injected key-down in this tool's edit field to the suggestion window of the given,
//    running wordlark.exe being shown and painted at the caret (its footer colour on screen); and
//    the same in a field that keeps no system caret and gives its caret through accessibility;
// 3. with that list shown, from the key-down that ends the word (Space) or picks from it (Ctrl+1)
//    to its effect in the edit field: the space typed, the picked word's last character typed.
// Prints the median and the 99th percentile of each, in microseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_globals_win.h"
#include "completion/key_handler.h"
#include "completion/key_handler_win.h"
#include "completion/suggestion_window_win.h"
#include "config/settings.h"
#include "vocabulary/word_store.h"

#include "bench_tools_win.h"
#include "caretfield/caret_field_accessible_win.h"

using namespace benchtools;

namespace {

const COLORREF kFooter = RGB(204, 204, 204);

std::vector<std::string> vocabularyWords(const std::string &path, size_t most) {
    std::vector<std::string> words;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (words.size() < most && std::getline(in, line)) {
        std::string word = line.substr(0, line.find(' '));
        bool letters = word.size() >= 4 && std::all_of(word.begin(), word.end(), [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
                       });
        if (letters)
            words.push_back(word);
    }
    return words;
}

std::vector<double> handlerPerLetter(const std::string &folder, std::vector<double> &placing) {
    std::string vocabulary = folder + "english.voc";
    wordStore = new WordStore(vocabulary, 25, 10); // never destroyed: it would rewrite the file
    takeKeysWithoutSerial(true);
    settings = new Settings(folder + "bench-missing\\wordlark.cfg");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = suggestionWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(250, 250, 250));
    wc.lpszClassName = "WordlarkBenchList";
    RegisterClassA(&wc);
    HWND list = CreateWindowExA(0, wc.lpszClassName, "Wordlark", WS_POPUP | WS_BORDER, 50, 50, 100, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
    std::vector<double> samples;
    // Every 7th word of the file, so that all first letters and many prefixes take part.
    std::vector<std::string> words = vocabularyWords(vocabulary, 1000000);
    for (size_t w = 0; w < words.size() && samples.size() < 20000; w += 7) {
        for (char ch : words[w]) {
            LARGE_INTEGER start;
            QueryPerformanceCounter(&start);
            handleSuggestionKey(list, static_cast<unsigned char>(ch), false);
            samples.push_back(microsecondsSince(start));
            // What the key asked for: the list moved, sized, shown and painted by the message loop.
            QueryPerformanceCounter(&start);
            pump();
            placing.push_back(microsecondsSince(start));
        }
        handleSuggestionKey(list, VK_ESCAPE, false);
        pump();
    }
    DestroyWindow(list);
    printf("  (%zu words in the base vocabulary)\n", words.size());
    return samples;
}

// The same letters through the portable decisions alone, with no window to place: what the word
// store and its lock cost, without the GDI and window-manager calls.
std::vector<double> decisionsPerLetter(const std::string &folder) {
    KeyHandlerSeams seams;
    seams.focusedProgram = [](std::string &name, std::string &path) {
        name = "bench.exe";
        path = "C:\\bench.exe";
    };
    seams.sendImeChar = [](unsigned char) {};
    seams.eraseTyped = [](int) {};
    seams.hideList = [] {};
    seams.showListAtCaret = [] {};
    std::vector<double> samples;
    std::vector<std::string> words = vocabularyWords(folder + "english.voc", 1000000);
    for (size_t w = 0; w < words.size() && samples.size() < 20000; w += 7) {
        for (char ch : words[w]) {
            LARGE_INTEGER start;
            QueryPerformanceCounter(&start);
            handleKey(*wordStore, *settings, seams, static_cast<unsigned char>(ch));
            samples.push_back(microsecondsSince(start));
        }
        handleKey(*wordStore, *settings, seams, VK_ESCAPE);
    }
    return samples;
}

bool footerPainted(HWND list) {
    RECT r;
    if (!GetWindowRect(list, &r))
        return false;
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, r.right - 4, r.bottom - 4);
    ReleaseDC(nullptr, screen);
    return c == kFooter;
}

// A field of this tool's own that draws no caret and keeps no system caret: it gives its caret
// only through accessibility, as browsers do. Its text is kept here, a fixed width per letter.
std::string fieldText;

RECT fieldCaret(HWND) {
    const int x = 20 + 9 * static_cast<int>(fieldText.size());
    return RECT{x, 20, x + 2, 44};
}

LRESULT CALLBACK caretFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETOBJECT:
        return answerGetObject(window, wParam, lParam, fieldCaret, false);
    case WM_CHAR:
    case WM_IME_CHAR:
        if (wParam >= 0x20)
            fieldText += static_cast<char>(wParam);
        return 0;
    case WM_SETFOCUS:
        // As a browser that serves accessibility names the element that took the focus.
        NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, 1);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND createCaretField() {
    // The accessible objects are handed to wordlark.exe through COM, served by this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = caretFieldProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "WordlarkBenchCaretField";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "accessible caret target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                           500, 300, nullptr, nullptr, wc.hInstance, nullptr);
}

// With accessibleCaret, the keys go to the caret field; otherwise to an edit control with its
// system caret.
std::vector<double> keyToPaintedList(const char *exe, int &misplaced, bool accessibleCaret) {
    std::vector<double> samples;
    misplaced = 0;
    RunningWordlark wordlark;
    if (!wordlark.start(exe))
        return samples;
    Sleep(1000);
    HWND frame = nullptr, edit = nullptr;
    if (accessibleCaret) {
        frame = edit = createCaretField();
    } else {
        frame = CreateWindowExA(0, "STATIC", "latency target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 300,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 480, 260, frame, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    for (int i = 0; i < 60; ++i) {
        SetForegroundWindow(frame);
        SetFocus(edit);
        SetWindowTextA(edit, "");
        fieldText.clear();
        pump();
        // The hook records the caret at the key-down, before the letter moves it; the
        // accessibility caret is read after it, one letter further.
        POINT caret = {};
        if (accessibleCaret) {
            RECT field = fieldCaret(edit);
            caret = {field.left, field.top};
        } else {
            GetCaretPos(&caret);
        }
        ClientToScreen(edit, &caret);
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        sendKey('H', false);
        HWND list = nullptr;
        DWORD deadline = GetTickCount() + 3000;
        while (GetTickCount() < deadline) {
            pump(); // the hook runs in this thread while it reads the key
            list = findWordlark(wordlark.pid()).visible;
            if (list && footerPainted(list))
                break;
            list = nullptr;
            // Each look is a round trip to the window system and the display: a busy loop of them
            // would take the processor and the server from the program measured.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        if (list) {
            samples.push_back(microsecondsSince(start));
            RECT r;
            GetWindowRect(list, &r);
            if (r.left < caret.x || r.left > caret.x + (accessibleCaret ? 9 : 0))
                ++misplaced;
        }
        sendKey('H', true);
        sendKey(VK_ESCAPE, false);
        sendKey(VK_ESCAPE, true);
        deadline = GetTickCount() + 2000;
        while (findWordlark(wordlark.pid()).visible && GetTickCount() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            pump();
        }
    }
    DestroyWindow(frame);
    return samples;
}

// When the edit field got its last character (the user's or a picked word's).
LARGE_INTEGER lastCharacter;
WNDPROC editProc = nullptr;

LRESULT CALLBACK timedEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR || message == WM_IME_CHAR)
        QueryPerformanceCounter(&lastCharacter);
    return CallWindowProcA(editProc, window, message, wParam, lParam);
}

// Pumps until the list is shown and painted (or hidden, when `shown` is false); false on time-out.
bool waitForList(DWORD pid, bool shown) {
    DWORD deadline = GetTickCount() + 3000;
    while (GetTickCount() < deadline) {
        pump();
        HWND list = findWordlark(pid).visible;
        if (shown ? list && footerPainted(list) : !list)
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    return false;
}

// Pumps for a while after the key, so that every character it causes has arrived.
double untilLastCharacter(const LARGE_INTEGER &start, DWORD settleMs) {
    lastCharacter.QuadPart = 0;
    DWORD end = GetTickCount() + settleMs;
    while (GetTickCount() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
        pump();
    }
    if (lastCharacter.QuadPart == 0)
        return -1;
    // Both measured against now: their difference is the time from the key to the character.
    const LARGE_INTEGER last = lastCharacter;
    return microsecondsSince(start) - microsecondsSince(last);
}

// Key-down to effect for the keys that end or pick a shown list's word: what the user feels as
// the program typed in waiting for Wordlark.
void keysPastTheList(const char *exe, std::vector<double> &space, std::vector<double> &pick) {
    RunningWordlark wordlark;
    if (!wordlark.start(exe))
        return;
    Sleep(1000);
    HWND frame = CreateWindowExA(0, "STATIC", "latency target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 300,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 480, 260, frame, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timedEditProc)));
    for (int i = 0; i < 40; ++i) {
        for (bool picking : {false, true}) {
            SetForegroundWindow(frame);
            SetFocus(edit);
            SetWindowTextA(edit, "");
            pump();
            sendKey('H', false);
            sendKey('H', true);
            if (!waitForList(wordlark.pid(), true))
                continue;
            LARGE_INTEGER start;
            QueryPerformanceCounter(&start);
            if (picking) {
                sendKey(VK_CONTROL, false);
                sendKey('1', false);
                sendKey('1', true);
                sendKey(VK_CONTROL, true);
            } else {
                sendKey(VK_SPACE, false);
                sendKey(VK_SPACE, true);
            }
            double took = untilLastCharacter(start, 300);
            if (took >= 0)
                (picking ? pick : space).push_back(took);
            waitForList(wordlark.pid(), false);
        }
    }
    DestroyWindow(frame);
}

// The hook that wordlark.exe installs runs in this process from wordlark's own larkhook.dll; the
// handler measured here imports larkhook.dll too. Both must be the same file, or the hook would
// find this process's copy already loaded and its shared state empty: so the tool runs itself
// from the program folder.
bool runFromProgramFolder(const std::string &folder, const char *wordlarkExe, DWORD &exitCode) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string own = self;
    if (lstrcmpiA(own.substr(0, own.find_last_of('\\') + 1).c_str(), folder.c_str()) == 0)
        return false;
    std::string copy = folder + own.substr(own.find_last_of('\\') + 1);
    CopyFileA(self, copy.c_str(), FALSE);
    std::string command = "\"" + copy + "\" \"" + wordlarkExe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DeleteFileA(copy.c_str());
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: suggestion_latency WORDLARK.EXE\n");
        return 2;
    }
    std::string folder = argv[1];
    folder.erase(folder.find_last_of('\\') + 1);
    DWORD exitCode = 0;
    if (runFromProgramFolder(folder, argv[1], exitCode))
        return static_cast<int>(exitCode);

    printf("word completion under Wine (microseconds)\n");
    std::vector<double> placing;
    std::vector<double> handler = handlerPerLetter(folder, placing);
    printf("  handleSuggestionKey per letter: median %.0f, p99 %.0f (%zu letters)\n", percentile(handler, 0.5),
           percentile(handler, 0.99), handler.size());
    printf("  then the list placed and painted by the message loop: median %.0f, p99 %.0f\n",
           percentile(placing, 0.5), percentile(placing, 0.99));
    std::vector<double> decisions = decisionsPerLetter(folder);
    printf("  of which the decisions and word store alone: median %.0f, p99 %.0f\n", percentile(decisions, 0.5),
           percentile(decisions, 0.99));
    int misplaced = 0;
    std::vector<double> shown = keyToPaintedList(argv[1], misplaced, false);
    printf("  key-down to list shown and painted: median %.0f, p99 %.0f (%zu of 60 keys; %d not at the caret)\n",
           percentile(shown, 0.5), percentile(shown, 0.99), shown.size(), misplaced);
    const AccessRequests before = accessRequests;
    shown = keyToPaintedList(argv[1], misplaced, true);
    printf("  the same at a caret given through accessibility (no system caret): median %.0f, p99 %.0f (%zu of 60 "
           "keys; %d not at the caret)\n",
           percentile(shown, 0.5), percentile(shown, 0.99), shown.size(), misplaced);
    // What wordlark.exe asked of the field for those keys.
    printf("  its accessibility requests for the 60 letters: caret %ld objects and %ld calls, other %ld objects "
           "and %ld calls (%ld accFocus)\n",
           accessRequests.caretObjects - before.caretObjects, accessRequests.caretCalls - before.caretCalls,
           accessRequests.otherObjects - before.otherObjects, accessRequests.otherCalls - before.otherCalls,
           accessRequests.focusWalks - before.focusWalks);
    std::vector<double> space, pick;
    keysPastTheList(argv[1], space, pick);
    printf("  with the list shown, Space to its space typed: median %.0f, p99 %.0f (%zu of 40)\n",
           percentile(space, 0.5), percentile(space, 0.99), space.size());
    printf("  with the list shown, Ctrl+1 to the picked word's last character: median %.0f, p99 %.0f (%zu of 40)\n",
           percentile(pick, 0.5), percentile(pick, 0.99), pick.size());
    return 0;
}
