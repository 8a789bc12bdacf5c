#include "hooklib/typed_key_win.h"

namespace hookstate {

namespace {

// ToUnicodeEx leaves the keyboard state (the dead key pending in the layout) untouched with this
// flag, on Windows 10 version 1607 and later.
const UINT kKeepKeyboardState = 0x4;

// Letters come from A to Z, the digit row (é and à on French layouts) and the keys from VK_OEM_1
// on (ü, ö, ä on German layouts, ж, э, х on Russian ones, and the keys a layout or an input
// method makes up). Modifiers, navigation, function, numeric-pad and media keys are answered
// without asking the layout, and so is an injected character (VK_PACKET), whose code the hook
// does not get whole.
bool mayTypeALetter(UINT vk) { return (vk >= '0' && vk <= 'Z') || (vk >= VK_OEM_1 && vk <= 0xFE && vk != VK_PACKET); }

// What the layout makes of a key depends on the layout, the key and the keys that change
// characters; only a dead key pending in the layout changes that, and a dead key is told by its own
// answer. So each thread keeps the answers it had, and the layout is asked again only for a key
// not answered before or for the key after a dead key: asking costs a round trip to the display
// under Wine.
struct Answer {
    HKL layout = nullptr;
    UINT vk = 0;
    unsigned modifiers = 0;
    TypedKey key;
};
const unsigned kAnswers = 64;
thread_local Answer answers[kAnswers];
thread_local bool deadKeyPending = false;

unsigned modifiersOf(const BYTE keys[256]) {
    return (keys[VK_SHIFT] & 0x80 ? 1u : 0u) | (keys[VK_CONTROL] & 0x80 ? 2u : 0u) | (keys[VK_MENU] & 0x80 ? 4u : 0u) |
           (keys[VK_RMENU] & 0x80 ? 8u : 0u) | (keys[VK_CAPITAL] & 0x01 ? 16u : 0u) | (keys[VK_KANA] & 0x01 ? 32u : 0u);
}

TypedKey askLayout(UINT vk, UINT scanCode, const BYTE keys[256], HKL layout);

} // namespace

TypedKey typedKeyOf(UINT vk, UINT scanCode, const BYTE keys[256], HKL layout) {
    if (!mayTypeALetter(vk))
        return TypedKey();
    const unsigned modifiers = modifiersOf(keys);
    Answer &kept = answers[(vk ^ modifiers * 31) % kAnswers];
    const bool known = kept.layout == layout && kept.vk == vk && kept.modifiers == modifiers;
    if (known && !deadKeyPending) {
        deadKeyPending = kept.key.typed == hookkeys::Typed::DeadKey;
        return kept.key;
    }
    const TypedKey key = askLayout(vk, scanCode, keys, layout);
    // After a dead key the layout answers with the accented letter, which is no answer to keep.
    if (!deadKeyPending)
        kept = Answer{layout, vk, modifiers, key};
    deadKeyPending = key.typed == hookkeys::Typed::DeadKey;
    return key;
}

namespace {

TypedKey askLayout(UINT vk, UINT scanCode, const BYTE keys[256], HKL layout) {
    TypedKey key;
    WCHAR typed[4] = {};
    const int count = ToUnicodeEx(vk, scanCode, keys, typed, 4, kKeepKeyboardState, layout);
    if (count < 0) {
        key.typed = hookkeys::Typed::DeadKey;
        return key;
    }
    // Several characters are an accent that found no letter to join (^ then t): no word goes on.
    if (count != 1 || !IsCharAlphaW(typed[0]))
        return key;
    char ansi[2] = {};
    BOOL lossy = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, typed, 1, ansi, sizeof ansi, nullptr, &lossy);
    // A letter the code page lacks, or holds in two bytes, is none the vocabularies can store.
    if (bytes != 1 || lossy || static_cast<unsigned char>(ansi[0]) < 'A') {
        key.typed = hookkeys::Typed::ForeignLetter;
        return key;
    }
    key.typed = hookkeys::Typed::Letter;
    key.letter = static_cast<unsigned char>(ansi[0]);
    return key;
}

} // namespace

} // namespace hookstate
