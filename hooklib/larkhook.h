#pragma once

// The hook library's exports, as the main program imports them. The setters and getters are
// cdecl with undecorated names (larkhook.def); the hook procedures are CALLBACK as Windows wants.
#include <windows.h>

#ifdef LARKHOOK_BUILD
#define LARKHOOK_API extern "C" __declspec(dllexport)
#else
#define LARKHOOK_API extern "C" __declspec(dllimport)
#endif

LARKHOOK_API HWND SetProgramWindow(HWND window);
LARKHOOK_API HWND SetKeyboardWindow(HWND window);
LARKHOOK_API HWND SetCommandWindow(HWND window, HWND combo);
LARKHOOK_API int SetEnableState(int state);
LARKHOOK_API int GetEnableState();
LARKHOOK_API void SetHotKeys(char commandKey, char enableKey, char keyboardKey);
LARKHOOK_API HHOOK Start();
// The helper's library: hooks the thread that owns the window when it belongs to a program of the
// library's own bitness (once per thread). Stop removes these hooks too.
LARKHOOK_API BOOL ServeThreadOf(HWND window);
LARKHOOK_API BOOL Stop();
LARKHOOK_API HWND GetFocusWindow();
LARKHOOK_API int GetCaretX();
LARKHOOK_API int GetCaretY();
LARKHOOK_API int GetCharX();
LARKHOOK_API int GetCharY();
// Both write at most 260 bytes including the terminator into the buffer, in UTF-8 like every path
// of Wordlark's (empty for a path that does not fit).
LARKHOOK_API int GetModuleName(char *buffer);
LARKHOOK_API int GetModulePath(char *buffer);
// Whether the suggestion list is shown or about to be: the state the hook decides on. The main
// program sets it when a key asks for the list or hides it; the hook clears it when it hides the
// list. The window itself follows from its own message loop (kSyncSuggestionsMessage).
LARKHOOK_API int SetSuggestionsShown(int shown);
LARKHOOK_API int GetSuggestionsShown();
// The main program, before it acts on a key sent with this serial (the high word of its wParam):
// true when the key is its own now; false when the hook's wait ran out first and the program
// typed in got the key, which must then not be acted on as well.
LARKHOOK_API BOOL ClaimForwardedKey(unsigned serial);
// The main program, for a key it does not take: true when it is to follow now what the key did in
// the program typed in (a space ends the word); false when it already did, for this key.
LARKHOOK_API BOOL FollowForwardedKey(unsigned serial);

// Where a key handed to the main program was typed, as the hook saw it when the key was pressed.
struct KeyOrigin {
    HWND focus;
    int caretX, caretY; // screen; the last left click where the program showed no caret
    int hasCaret;
    int charHeight; // the line height
    // No hide of the list by the hooks (a click, a focus change, the end of the word) came after
    // the key was pressed: only such a key may show the list.
    int listCurrent;
    char modulePath[MAX_PATH];
};
// False when the key is too old: later keys took its record over.
LARKHOOK_API BOOL GetKeyOrigin(unsigned serial, KeyOrigin *origin);
// Called every second by the main program and the helper: a state block that another program
// spoiled is set up again with the windows, hot keys and hooks they published.
LARKHOOK_API void RepairHookState();
// The main program tells the hooks how far it is with the keys they posted: one more handled, or
// every key posted so far handled (after taking all of them from its queue).
LARKHOOK_API void PostedKeyHandled();
LARKHOOK_API void PostedKeysCaughtUp();
// The window whose focused field the main program found protected through accessibility (null for
// none): its keys are passed on untouched, as those of a password field.
LARKHOOK_API HWND SetProtectedWindow(HWND window);
LARKHOOK_API LRESULT CALLBACK KeyboardHookProc(int code, WPARAM vk, LPARAM flags);
LARKHOOK_API LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM info);

// The keystroke protocol: the hook forwards a key to the suggestion window, the key code in the low
// word of wParam, a serial number that names its KeyOrigin in the high word, the user's key flags
// in lParam. Letters and the Escape that ends a word are posted as kPostedKeyMessage; a letter is
// its byte in the system's ANSI code page (0x41 and above), or kForeignLetter for one outside it.
// The keys that act on the list are sent as WM_KEYDOWN, and the program typed in waits (bounded)
// until the main program has handled them. The main program answers kKeyTaken when it acted on the
// key in its place; any other answer gives the user's own key to the program typed in. A key whose
// wait ran out before the main program claimed it is posted to it again as a note, among the
// letters, so that it follows what the key did in the program.
const LRESULT kKeyTaken = 1;
const int kForeignLetter = 0x100;
inline int forwardedKeyCode(WPARAM wParam) { return static_cast<int>(wParam & 0xFFFF); }
inline unsigned forwardSerial(WPARAM wParam) { return static_cast<unsigned>((wParam >> 16) & 0xFFFF); }

// What the hook posts to the suggestion window, so that the program typed in never waits for
// Wordlark's windows: bring the list in line with GetSuggestionsShown; and show (lParam: the show
// command) or hide the window whose handle is wParam, one of the command and keyboard windows.
const UINT kSyncSuggestionsMessage = WM_APP + 2;
const UINT kToggleWindowMessage = WM_APP + 3;
// Sent by the hook before a key that acts on the list while posted keys are still queued: the
// main program handles them before it answers.
const UINT kCatchUpMessage = WM_APP + 4;
const UINT kPostedKeyMessage = WM_APP + 5;
