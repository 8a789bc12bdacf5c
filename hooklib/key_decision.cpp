#include "hooklib/key_decision.h"

namespace hookkeys {

namespace {

bool isHotKey(int vk, char key) { return vk == static_cast<int>(static_cast<signed char>(key)); }

KeyDecision dismissAndPassOn() {
    KeyDecision d;
    d.dismissFirst = true;
    return d;
}

// Ctrl+Shift+O, Ctrl+Alt+M, Win+Ctrl+Space belong to the programs (editors, office programs,
// input methods): a hot key is Ctrl and its key with no other modifier.
Toggle hotKeyToggle(const KeyInput &in) {
    if (in.shiftDown || in.altDown || in.winDown)
        return Toggle::None;
    if (isHotKey(in.vk, in.enableKey))
        return Toggle::Enable;
    if (isHotKey(in.vk, in.commandKey) && in.haveCommandWindow)
        return Toggle::CommandWindow;
    if (isHotKey(in.vk, in.keyboardKey) && in.haveKeyboardWindow)
        return Toggle::KeyboardWindow;
    return Toggle::None;
}

KeyDecision decideWithCtrl(const KeyInput &in) {
    KeyDecision d;
    // A list shown for another window is hidden before anything is decided on it.
    const bool listShown = in.suggestionsVisible && !in.focusChanged;
    const Toggle toggle = hotKeyToggle(in);
    if (toggle != Toggle::None) {
        d.dismissFirst = true;
        d.toggle = toggle;
        d.consume = true;
    } else if (listShown && in.vk >= '0' && in.vk <= '9') {
        d.forward = true;
        d.forwardWaits = true;
        d.forwardCode = in.vk;
        d.dismissAfter = true;
        d.consume = true;
    } else if (in.vk == kControl) {
        d.consume = true;
    } else {
        d = dismissAndPassOn();
    }
    d.hideSuggestions = in.focusChanged && in.suggestionsVisible;
    return d;
}

bool isSteeringKey(const KeyInput &in) {
    switch (in.vk) {
    case kSpace:
    case kUp:
    case kDown:
        return in.shiftDown;
    case kEnter:
    case kDelete:
    case kBackspace:
    case kShift:
        return true;
    default:
        return false;
    }
}

// A program that no library of its bitness serves gets every key untouched, so nothing is
// forwarded or learned there; only the hot keys work, as they need nothing from that program. A
// list still shown belongs to a word typed elsewhere: it is hidden, and that word stays.
KeyDecision decideHotKeysOnly(const KeyInput &in) {
    if (in.ctrlDown) {
        KeyDecision hotKey = decideWithCtrl(in);
        if (hotKey.toggle != Toggle::None)
            return hotKey;
    }
    KeyDecision d;
    d.hideSuggestions = in.suggestionsVisible;
    return d;
}

bool typesALetter(const KeyInput &in) { return in.typed == Typed::Letter || in.typed == Typed::ForeignLetter; }

// Ctrl and Alt together are AltGr on the layouts that have it: when they make the key type a
// character (ß, é, @), the key is typed, not a shortcut.
bool isAltGrTyping(const KeyInput &in) { return in.ctrlDown && in.altDown && in.typed != Typed::Other; }

enum class Repeat { Swallow, PassOn, Decide };

// A held key repeats what its press did to the program and the word, and nothing else: a pick, a
// hot key or a steering key acts once and its repeats never reach the program either (a held
// Shift+Down would select lines under the list, a held Ctrl+1 switch a browser's tabs); letters
// and Backspace go on changing the word as they change the text.
Repeat repeatOf(const KeyInput &in) {
    if (in.heldKeyConsumed)
        return in.shiftDown && (in.vk == kUp || in.vk == kDown) ? Repeat::Decide : Repeat::Swallow;
    return typesALetter(in) || in.vk == kBackspace ? Repeat::Decide : Repeat::PassOn;
}

KeyDecision decidePress(const KeyInput &in) {
    if (in.role == KeyRole::HotKeysOnly)
        return decideHotKeysOnly(in);
    const bool altGr = isAltGrTyping(in);
    if (in.altDown && !altGr)
        return dismissAndPassOn();
    // The key state does not show a key as down during its own first key-down, so Ctrl's own
    // press counts as Ctrl held: it is consumed and leaves the list shown for Ctrl+digit.
    if (!altGr && (in.ctrlDown || in.vk == kControl))
        return decideWithCtrl(in);
    if (!in.enabled)
        return dismissAndPassOn();

    KeyDecision d;
    // A password field gets its keys untouched and changes nothing, not even the focus record.
    if (in.passwordField)
        return d;
    d.examineFocus = true;
    // The list of a word typed in another window is hidden, without ending that word, and the
    // key is decided as if no list were shown: a steering key never acts on another window's word.
    d.hideSuggestions = in.focusChanged;
    const bool listShown = in.suggestionsVisible && !in.focusChanged;
    // Letters typed into the command window's own edit field are the launcher's, not a word.
    if (in.inCommandEdit)
        return d;
    // An accent waits for its letter: the word goes on.
    if (in.typed == Typed::DeadKey)
        return d;
    d.recordContext = true;

    // The letter the layout types, in the case that Shift, Caps Lock and the layout give it: the
    // word is what the program shows.
    if (typesALetter(in)) {
        d.forward = true;
        d.forwardCode = in.typed == Typed::Letter ? in.letter : kForeignLetter;
        return d;
    }
    if (!listShown || !isSteeringKey(in)) {
        d.dismissFirst = true;
        return d;
    }
    d.forward = true;
    d.forwardWaits = true;
    d.forwardCode = in.vk;
    d.consume = in.vk == kSpace || in.vk == kUp || in.vk == kDown || in.vk == kEnter;
    return d;
}

} // namespace

KeyDecision decideKeyDown(const KeyInput &in) {
    if (in.role == KeyRole::PassesOn)
        return KeyDecision();
    if (in.repeat) {
        switch (repeatOf(in)) {
        case Repeat::Swallow: {
            KeyDecision d;
            d.consume = true;
            return d;
        }
        case Repeat::PassOn:
            return KeyDecision();
        case Repeat::Decide:
            break;
        }
    }
    return decidePress(in);
}

bool repeatActsOnTheWord(const KeyInput &in) { return repeatOf(in) == Repeat::Decide; }

bool dependsOnTheList(const KeyInput &in) {
    if (in.role != KeyRole::Acts || in.altDown)
        return false;
    if (in.repeat && repeatOf(in) != Repeat::Decide)
        return false;
    if (in.ctrlDown || in.vk == kControl)
        return in.vk >= '0' && in.vk <= '9';
    return in.enabled && isSteeringKey(in);
}

} // namespace hookkeys
