// What Wordlark adds to every key-down in another program: this tool is the other program, an
// editor like notepad. It injects keystrokes into its own window and measures the time until the
// editor gets WM_CHAR: without Wordlark, under a hook that does nothing, under one that only posts
// a message to another process, and with the given wordlark.exe running (its hook then runs inside
// this process for every key), in turns; it prints the medians, the 95th percentiles and their
// ratios.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench_tools_win.h"

using namespace benchtools;

namespace {

const int kKeys = 100;
const int kRounds = 4;
const DWORD kKeyGapMs = 30;
LARGE_INTEGER frequency;
LARGE_INTEGER charArrived;
bool gotChar = false;

WNDPROC editProc = nullptr;
HWND editor = nullptr;

// The editor types the character as notepad's does; its arrival is the moment measured.
LRESULT CALLBACK targetEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) {
        QueryPerformanceCounter(&charArrived);
        gotChar = true;
    }
    return CallWindowProcA(editProc, window, message, wParam, lParam);
}

// A window like notepad's: a frame and a multi-line edit control with its system caret.
HWND createTarget(HINSTANCE instance) {
    HWND frame = CreateWindowExA(0, "STATIC", "latency target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 200,
                                 nullptr, nullptr, instance, nullptr);
    editor = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 380, 160,
                             frame, nullptr, instance, nullptr);
    editProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(targetEditProc)));
    return frame;
}

// Microseconds from each injected key-down to its WM_CHAR.
std::vector<double> measure(HWND target) {
    std::vector<double> samples;
    SetWindowTextA(editor, "");
    for (int i = 0; i < kKeys; ++i) {
        SetForegroundWindow(target);
        SetFocus(editor);
        // Keys come as a fast typist's do, a few dozen milliseconds apart: what Wordlark does with
        // one key is done before the next, as it is when people type.
        const DWORD until = GetTickCount() + kKeyGapMs;
        while (GetTickCount() < until) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            pump();
        }
        pump();
        // Letters that are no prefix of anything, so that the list never shows and steals time
        // in ways that only the suggestion window's own benchmark should count.
        WORD vk = static_cast<WORD>(i % 2 ? 'Q' : 'X');
        gotChar = false;
        LARGE_INTEGER sent;
        QueryPerformanceCounter(&sent);
        sendKey(vk, false);
        DWORD deadline = GetTickCount() + 2000;
        while (!gotChar && GetTickCount() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            pump();
        }
        sendKey(vk, true);
        pump();
        if (gotChar)
            samples.push_back(1e6 * static_cast<double>(charArrived.QuadPart - sent.QuadPart) /
                              static_cast<double>(frequency.QuadPart));
    }
    return samples;
}

// What any system-wide keyboard hook costs here: one in a library of its own that only passes the
// key on; and one that also posts a message to another process at each key-down, the floor of any
// hook whose program follows the typing from another process.
extern "C" __declspec(dllimport) LRESULT CALLBACK EmptyKeyboardHook(int code, WPARAM vk, LPARAM flags);
extern "C" __declspec(dllimport) LRESULT CALLBACK PostingKeyboardHook(int code, WPARAM vk, LPARAM flags);

std::vector<double> measureWithHook(HWND target, HOOKPROC procedure) {
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, procedure, GetModuleHandleA("empty_hook.dll"), 0);
    if (!hook)
        return {};
    std::vector<double> samples = measure(target);
    UnhookWindowsHookEx(hook);
    return samples;
}

double processorSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME &t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The catalogue harvest runs in the background after start-up; measure only once it is done,
// when the program uses (almost) no processor time for a second.
void waitUntilIdle(HANDLE process) {
    double last = processorSeconds(process);
    for (int i = 0; i < 240; ++i) {
        Sleep(1000);
        double now = processorSeconds(process);
        if (now - last < 0.02)
            return;
        last = now;
    }
}

// One line of figures: median and 95th percentile of every sample of a condition.
void report(const char *what, const std::vector<double> &samples) {
    printf("  %-17s median %.0f, p95 %.0f (%zu samples)\n", what, percentile(samples, 0.5), percentile(samples, 0.95),
           samples.size());
}

double ratio(const std::vector<double> &a, const std::vector<double> &b, double p) {
    const double base = percentile(b, p);
    return base > 0 ? percentile(a, p) / base : 0.0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: keystroke_latency WORDLARK.EXE\n");
        return 2;
    }
    QueryPerformanceFrequency(&frequency);
    HWND target = createTarget(GetModuleHandleA(nullptr));
    pump();
    // The conditions take turns, round after round, so that what else the machine does at one
    // moment weighs on each of them alike.
    std::vector<double> without, emptyHooked, postingHooked, with;
    for (int round = 0; round < kRounds; ++round) {
        const std::vector<double> a = measure(target);
        without.insert(without.end(), a.begin(), a.end());
        const std::vector<double> b = measureWithHook(target, EmptyKeyboardHook);
        emptyHooked.insert(emptyHooked.end(), b.begin(), b.end());
        const std::vector<double> p = measureWithHook(target, PostingKeyboardHook);
        postingHooked.insert(postingHooked.end(), p.begin(), p.end());
        RunningWordlark wordlark;
        if (!wordlark.start(argv[1]))
            return 1;
        waitUntilIdle(wordlark.process());
        const std::vector<double> c = measure(target);
        with.insert(with.end(), c.begin(), c.end());
    }

    printf("keystroke latency, key-down to WM_CHAR, %d rounds of %d keys each (microseconds)\n", kRounds, kKeys);
    report("without Wordlark:", without);
    report("an empty hook:", emptyHooked);
    report("a posting hook:", postingHooked);
    report("with Wordlark:", with);
    printf("  with Wordlark against without: median %.2fx, p95 %.2fx\n", ratio(with, without, 0.5),
           ratio(with, without, 0.95));
    // What Wordlark's hook costs beside any system-wide hook's own cost.
    printf("  with Wordlark against the empty hook: median %.2fx, p95 %.2fx\n", ratio(with, emptyHooked, 0.5),
           ratio(with, emptyHooked, 0.95));
    // The part of that no hook that posts to another process can avoid.
    printf("  the posting hook against the empty hook: median %.2fx, p95 %.2fx\n",
           ratio(postingHooked, emptyHooked, 0.5), ratio(postingHooked, emptyHooked, 0.95));
    return 0;
}
