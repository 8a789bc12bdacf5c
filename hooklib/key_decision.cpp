#include "hooklib/key_decision.h"

namespace hookkeys {

namespace {

bool isHotKey(int vk, char key) { return vk == static_cast<int>(static_cast<signed char>(key)); }

KeyDecision dismissAndPassOn() {
    KeyDecision d;
    d.dismissFirst = true;
    return d;
}

KeyDecision decideWithCtrl(const KeyInput &in) {
    KeyDecision d;
    // A list shown for another window is hidden before anything is decided on it.
    const bool listShown = in.suggestionsVisible && !in.focusChanged;
    if (isHotKey(in.vk, in.enableKey)) {
        d.dismissFirst = true;
        d.toggle = Toggle::Enable;
        d.consume = true;
    } else if (isHotKey(in.vk, in.commandKey) && in.haveCommandWindow) {
        d.dismissFirst = true;
        d.toggle = Toggle::CommandWindow;
        d.consume = true;
    } else if (isHotKey(in.vk, in.keyboardKey) && in.haveKeyboardWindow) {
        d.dismissFirst = true;
        d.toggle = Toggle::KeyboardWindow;
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

} // namespace

KeyDecision decideKeyDown(const KeyInput &in) {
    if (in.role == KeyRole::PassesOn)
        return KeyDecision();
    if (in.role == KeyRole::HotKeysOnly)
        return decideHotKeysOnly(in);
    if (in.altDown)
        return dismissAndPassOn();
    // The key state does not show a key as down during its own first key-down, so Ctrl's own
    // press counts as Ctrl held: it is consumed and leaves the list shown for Ctrl+digit.
    if (in.ctrlDown || in.vk == kControl)
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
    d.recordContext = true;

    if (in.vk >= 'A' && in.vk <= 'Z') {
        // Shift decides the case; Caps Lock is deliberately not consulted.
        d.forward = true;
        d.forwardCode = in.shiftDown ? in.vk : in.vk + ('a' - 'A');
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

bool dependsOnTheList(const KeyInput &in) {
    if (in.role != KeyRole::Acts || in.altDown)
        return false;
    if (in.ctrlDown || in.vk == kControl)
        return in.vk >= '0' && in.vk <= '9';
    return in.enabled && isSteeringKey(in);
}

} // namespace hookkeys
