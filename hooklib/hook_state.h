#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The state that every hook library of the desktop session shares with the main program: the
// 64-bit library, the 32-bit one of the helper process, and the main program through its
// library's getters and setters. It lives in a named shared memory block that 32-bit and 64-bit
// processes map alike, so every field has a fixed width and the layout is the same in both
// builds: window handles are stored as 32-bit values, which Windows keeps valid across bitnesses.
//
// Any program of the session can open the block and write into it, so whatever is read from it is
// checked before use: the header (isSoundHookState) and the one string (hookStateModuleFileName).
namespace hookstate {

const uint32_t kLayoutVersion = 4;
const int kPathSize = 260;
// Enough for every key typed while the main program stands still for a while; a key whose slot
// was taken again by a later one before the main program got to it counts as stale.
const unsigned kKeySlots = 128;
const int32_t kReady = 2;

// What became of a key handed to the main program, with its serial in the low 16 bits of the
// slot's claim. A key the hook waits for is decided once: the main program claims it before it
// acts in the user's place, or declines it, or the hook abandons it when its wait runs out; a key
// the main program did not claim reaches the program typed in, and the main program follows what
// it did there (kKeyFollowed) exactly once.
enum KeyClaim : int32_t { kKeyPosted = 1, kKeyWaiting = 2, kKeyClaimed = 3, kKeyAbandoned = 4, kKeyFollowed = 5 };

// What the hook makes of a key whose wait ran out.
enum class GivenUp {
    Claimed,  // the main program claimed it just before: it acts on it, the key is consumed
    Abandoned, // the program typed in gets it; the main program has yet to hear of it
    Declined, // the main program declined it already and follows it: the program typed in gets it
};

// A key handed to the main program (posted or sent), with what it needs of the program it was
// typed in, as the hook saw them when the key was pressed: the main program may handle it later,
// when the user already types elsewhere.
struct KeySlot {
    int32_t claim;
    uint32_t focusWindow;
    int32_t caretX, caretY; // screen coordinates of the caret's top left corner
    int32_t hasCaret;       // 0: the program shows no caret; caretX and caretY are the last click
    int32_t charHeight; // the line height
    uint32_t listEpoch; // the list epoch when the key was pressed
    char moduleFileName[kPathSize];
};

// Which library a field speaks of: the main program's own, or the helper's of the other bitness.
enum LibraryRole : int32_t { kMainLibrary = 0, kHelperLibrary = 1, kLibraryRoles = 2 };

struct HookState {
    // Header: set up by initHookState, ready written last.
    uint32_t size;
    uint32_t layoutVersion;
    int32_t ready;

    int32_t enableState; // completion on (non-zero) or off
    uint32_t programWindow; // the suggestion window, which takes the forwarded keys
    uint32_t focusWindow;   // the focus window of the last key-down
    uint32_t commandWindow;
    uint32_t commandCombo;
    uint32_t keyboardWindow;
    int32_t clickX, clickY; // the last left click, in screen coordinates
    int32_t caretClientX, caretClientY;
    int32_t caretScreenX, caretScreenY;
    int32_t charWidth, charHeight;
    uint8_t commandKey, enableKey, keyboardKey, reserved;
    char moduleFileName[kPathSize]; // executable of the program of the last key-down

    // Whether the suggestion list is shown or about to be: what the hooks decide on.
    int32_t suggestionsShown;
    // Keys handed to the main program are numbered (1 to 65535, round), each with its slot.
    int32_t lastForwardSerial;
    int32_t forwardStalled;
    // What the context of the last key was measured for: the text metrics change only with the
    // focus window, the executable only with the process.
    uint32_t metricsWindow;
    uint32_t moduleProcessId;
    // Per library: whether its hooks are installed, and the process that installed them.
    int32_t hooksInstalled[kLibraryRoles];
    uint32_t installerProcessId[kLibraryRoles];
    // Keys the hooks posted to the main program, and how many of them it has handled: when the
    // two differ, the list state lags behind the last letter.
    int32_t postedKeys;
    int32_t postedKeysHandled;
    // Counts the hooks' hides of the list (a click, a focus change, a key that ends the word): a
    // letter pressed before the last of them may still change the word but never shows the list.
    uint32_t listEpoch;
    KeySlot keySlots[kKeySlots];
    // A window whose focused field accessibility marks protected (a web page's password field),
    // as the main program found it: the hooks treat it as a password field.
    uint32_t protectedWindow;
    // The key of the last press (not an auto-repeat) and whether that press was consumed: a held
    // key's repeats are decided by how its press went, in whichever library and thread they come.
    int32_t heldKey;
    int32_t heldKeyConsumed;
    // Every key event (down, repeat, up) and button press the hooks of the session see, counted: a
    // thread's own record of its modifier keys holds while no event went elsewhere meanwhile.
    uint32_t keyEvents;
};

// The defaults of a fresh block, marked ready: completion on, Ctrl+Space, Ctrl+M and Ctrl+O.
void initHookState(HookState &state);

// What the block says of keys, the list and the programs typed in, set back as a fresh block has
// it: a main program that ended without cleaning up (a crash) must not leave a list "shown" that
// makes the hooks hand the next Enter over, or a protected window, or keys still "posted".
void resetVolatileHookState(HookState &state);

// True when the block is one of this layout, completely set up. A block that is not is never
// used: the hooks then pass every key on.
bool isSoundHookState(const HookState &state);

// The executable name as stored, cut at the end of its field when it lacks a terminator.
std::string hookStateModuleFileName(const HookState &state);

// Stores a name, cut to fit its field with the terminator.
void setHookStateModuleFileName(HookState &state, const char *name);

// Where the list goes for the last key: the caret, or the last left click where the program
// showed none (a caret client coordinate of exactly 0 counts as none).
int resolvedCaretX(const HookState &state);
int resolvedCaretY(const HookState &state);

// Counts one key event or button press of the session; the count before it.
uint32_t countKeyEvent(HookState &state);

KeySlot &keySlotOf(HookState &state, unsigned serial);
const KeySlot &keySlotOf(const HookState &state, unsigned serial);
// The slot's executable name, read like hookStateModuleFileName.
std::string keySlotModuleFileName(const KeySlot &slot);
// True when the slot still speaks of this serial's key (no later key took it over).
bool keySlotHolds(const KeySlot &slot, unsigned serial);

// The claim on a key, shared by processes: every change is one atomic operation.
void markKey(KeySlot &slot, unsigned serial, KeyClaim state);
// The main program, before it acts on a key the hook waits for: true when the key is now its own;
// false when the hook already gave up on it (the program typed in has it) or the slot moved on.
bool claimKey(KeySlot &slot, unsigned serial);
// The main program, for a key it does not claim: true once, for whoever comes first of the main
// program declining a waiting key and the hook's note of a key it abandoned, so that the word
// follows the key exactly once.
bool followKey(KeySlot &slot, unsigned serial);
// The hook, when its wait for the key ran out.
GivenUp giveUpKey(KeySlot &slot, unsigned serial);

} // namespace hookstate
