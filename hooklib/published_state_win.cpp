// The exported setters and getters of the shared block: what the main program (and the helper)
// publish for the hooks, and what the main program reads back of the keys and programs the hooks
// saw. None of them runs on a key's path.
#define LARKHOOK_BUILD
#include "hooklib/larkhook.h"

#include "hooklib/hook_state_win.h"
#include "hooklib/published_state_win.h"

using namespace hookstate;

namespace {

// What the main program handed to the block, kept in its own process so that a block set up anew
// (another program spoiled it) gets it back at once. Only the process that installed this
// library's hooks fills it.
struct Published {
    uint32_t programWindow = 0, keyboardWindow = 0, commandWindow = 0, commandCombo = 0;
    uint8_t commandKey = 0x20, enableKey = 0x4D, keyboardKey = 0x4F;
    int32_t enableState = 1;
    bool hooksInstalled = false;
} published;

void publish(HookState &s) {
    s.installerProcessId[kRole] = published.hooksInstalled ? GetCurrentProcessId() : 0;
    s.hooksInstalled[kRole] = published.hooksInstalled ? 1 : 0;
    if (kRole != kMainLibrary)
        return;
    s.programWindow = published.programWindow;
    s.keyboardWindow = published.keyboardWindow;
    s.commandWindow = published.commandWindow;
    s.commandCombo = published.commandCombo;
    s.commandKey = published.commandKey;
    s.enableKey = published.enableKey;
    s.keyboardKey = published.keyboardKey;
}

int copyOut(char *buffer, const char *text) {
    if (!buffer)
        return 0;
    lstrcpynA(buffer, text, kPathSize);
    return lstrlenA(buffer);
}

} // namespace

namespace hookstate {

// Set up anew when it is not sound, and then given everything the main program published before,
// so that completion goes on without a restart. The helper never sets the block up: it waits for
// the main program to do it.
HookState *publishedHookState() {
    HookState *sound = soundHookState();
    if (sound || kRole != kMainLibrary)
        return sound;
    HookState *s = ownedHookState();
    if (!s)
        return nullptr;
    publish(*s);
    s->enableState = published.enableState;
    return s;
}

void publishHooksInstalled(bool installed) {
    published.hooksInstalled = installed;
    if (installed) {
        if (HookState *s = publishedHookState())
            publish(*s);
        return;
    }
    HookState *s = soundHookState();
    if (s && s->installerProcessId[kRole] == GetCurrentProcessId())
        s->hooksInstalled[kRole] = 0;
}

} // namespace hookstate

// The setters are the main program's: they set the block up anew when another program spoiled it,
// with everything published before.
HWND SetProgramWindow(HWND window) {
    published.programWindow = fromWindow(window);
    if (HookState *s = publishedHookState())
        s->programWindow = published.programWindow;
    return window;
}

HWND SetKeyboardWindow(HWND window) {
    published.keyboardWindow = fromWindow(window);
    if (HookState *s = publishedHookState())
        s->keyboardWindow = published.keyboardWindow;
    return window;
}

HWND SetCommandWindow(HWND window, HWND combo) {
    published.commandWindow = fromWindow(window);
    published.commandCombo = fromWindow(combo);
    if (HookState *s = publishedHookState()) {
        s->commandWindow = published.commandWindow;
        s->commandCombo = published.commandCombo;
    }
    return window;
}

int SetEnableState(int state) {
    published.enableState = state;
    if (HookState *s = publishedHookState())
        s->enableState = state;
    return state;
}

int GetEnableState() {
    const HookState *s = soundHookState();
    return s ? s->enableState : 1;
}

int SetSuggestionsShown(int shown) {
    if (HookState *s = publishedHookState())
        s->suggestionsShown = shown;
    return shown;
}

int GetSuggestionsShown() {
    const HookState *s = soundHookState();
    return s ? s->suggestionsShown : 0;
}

BOOL ClaimForwardedKey(unsigned serial) {
    HookState *s = soundHookState();
    return s && serial != 0 && claimKey(keySlotOf(*s, serial), serial);
}

BOOL FollowForwardedKey(unsigned serial) {
    HookState *s = soundHookState();
    return s && serial != 0 && followKey(keySlotOf(*s, serial), serial);
}

BOOL GetKeyOrigin(unsigned serial, KeyOrigin *origin) {
    const HookState *s = soundHookState();
    if (!s || !origin || !keySlotHolds(keySlotOf(*s, serial), serial))
        return FALSE;
    const KeySlot &slot = keySlotOf(*s, serial);
    origin->focus = toWindow(slot.focusWindow);
    origin->caretX = slot.caretX;
    origin->caretY = slot.caretY;
    origin->hasCaret = slot.hasCaret;
    origin->charHeight = slot.charHeight;
    origin->listCurrent = slot.listEpoch == s->listEpoch;
    lstrcpynA(origin->modulePath, keySlotModuleFileName(slot).c_str(), sizeof origin->modulePath);
    // A later key took the slot over while it was read: what was read may be mixed.
    return keySlotHolds(slot, serial);
}

void PostedKeyHandled() {
    if (HookState *s = soundHookState())
        InterlockedIncrement(reinterpret_cast<volatile LONG *>(&s->postedKeysHandled));
}

void PostedKeysCaughtUp() {
    if (HookState *s = soundHookState())
        s->postedKeysHandled = s->postedKeys;
}

HWND SetProtectedWindow(HWND window) {
    if (HookState *s = ownedHookState())
        s->protectedWindow = fromWindow(window);
    return window;
}

void SetHotKeys(char command, char enable, char keyboard) {
    published.commandKey = static_cast<uint8_t>(command);
    published.enableKey = static_cast<uint8_t>(enable);
    published.keyboardKey = static_cast<uint8_t>(keyboard);
    if (HookState *s = publishedHookState()) {
        s->commandKey = published.commandKey;
        s->enableKey = published.enableKey;
        s->keyboardKey = published.keyboardKey;
    }
}

void RepairHookState() {
    // The hot keys switch the enable state inside the block: what it was a second ago is what a
    // block set up anew gets back.
    if (const HookState *sound = soundHookState(); sound && kRole == kMainLibrary)
        published.enableState = sound->enableState;
    if (HookState *s = publishedHookState())
        publish(*s);
}

HWND GetFocusWindow() {
    const HookState *s = soundHookState();
    return s ? toWindow(s->focusWindow) : nullptr;
}

int GetCaretX() {
    const HookState *s = soundHookState();
    return s ? resolvedCaretX(*s) : 0;
}

int GetCaretY() {
    const HookState *s = soundHookState();
    return s ? resolvedCaretY(*s) : 0;
}

int GetCharX() {
    const HookState *s = soundHookState();
    return s ? s->charWidth : 0;
}

int GetCharY() {
    const HookState *s = soundHookState();
    return s ? s->charHeight : 0;
}

int GetModuleName(char *buffer) {
    const HookState *s = soundHookState();
    const std::string path = s ? hookStateModuleFileName(*s) : std::string();
    const size_t slash = path.find_last_of("\\/");
    return copyOut(buffer, path.c_str() + (slash == std::string::npos ? 0 : slash + 1));
}

int GetModulePath(char *buffer) {
    const HookState *s = soundHookState();
    return copyOut(buffer, s ? hookStateModuleFileName(*s).c_str() : "");
}
