#pragma once

// What each key of the on-screen keyboard types and shows. Portable: the Win32 window
// (screen_keyboard_win.cpp) only turns these answers into messages and captions.
#include <string>

// Number of character keys; key id kFirstCharacterKey + i types character i of a layout.
constexpr int kCharacterKeyCount = 47;
constexpr int kFirstCharacterKey = 1001;
constexpr int kLastCharacterKey = kFirstCharacterKey + kCharacterKeyCount - 1;

// The two layouts, row by row: digits, q to backslash, a to quote, z to slash.
extern const char plainLayout[kCharacterKeyCount + 1];
extern const char shiftedLayout[kCharacterKeyCount + 1];

// The character that key id types in the plain or shifted layout; 0 for an id that is not a
// character key.
char layoutCharacter(int keyId, bool shifted);

// The button caption for a character: itself, except that an ampersand is doubled so the
// button shows it instead of taking it as a mnemonic mark.
std::string keyCaption(char character);

// What a click on a key sends to the target window.
struct KeySend {
    enum Kind {
        nothing,    // an id that is not a key
        character,  // WM_CHAR with `code`
        deleteKey,  // WM_KEYDOWN then WM_KEYUP of VK_DELETE (`code`)
    };
    Kind kind;
    unsigned char code;
    // The dialog procedure's answer to the command: 1 for character keys, 0 otherwise.
    int result;
};

// The message(s) that key id sends with the given Shift state.
KeySend keySendFor(int keyId, bool shifted);

// Whether the keyboard's input should move to the foreground window's thread: not when there is
// none (0), not onto the user-interface thread itself and not again onto the thread it already
// follows.
bool shouldAttachInput(unsigned long foregroundThread, unsigned long uiThread, unsigned long attachedThread);
