#include "keyboard/keyboard_layout.h"

#include "resources/resource_ids.h"

static_assert(IDC_KEY_FIRST == kFirstCharacterKey && IDC_KEY_LAST == kLastCharacterKey,
              "the dialog's key ids and the layouts must line up");

const char plainLayout[kCharacterKeyCount + 1] = "`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./";
const char shiftedLayout[kCharacterKeyCount + 1] = "~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?";

static_assert(sizeof(plainLayout) == kCharacterKeyCount + 1 && sizeof(shiftedLayout) == kCharacterKeyCount + 1,
              "one character per key");

namespace {
constexpr unsigned char kBackspace = 8;
constexpr unsigned char kEnter = 13;
constexpr unsigned char kSpace = 32;
constexpr unsigned char kVirtualKeyDelete = 0x2E;
}  // namespace

char layoutCharacter(int keyId, bool shifted) {
    if (keyId < kFirstCharacterKey || keyId > kLastCharacterKey)
        return 0;
    return (shifted ? shiftedLayout : plainLayout)[keyId - kFirstCharacterKey];
}

std::string keyCaption(char character) {
    return character == '&' ? std::string("&&") : std::string(1, character);
}

KeySend keySendFor(int keyId, bool shifted) {
    if (char c = layoutCharacter(keyId, shifted))
        return {KeySend::character, static_cast<unsigned char>(c), 1};
    switch (keyId) {
    case IDC_KEY_BACKSPACE:
        return {KeySend::character, kBackspace, 0};
    case IDC_KEY_DELETE:
        return {KeySend::deleteKey, kVirtualKeyDelete, 0};
    case IDC_KEY_ENTER:
        return {KeySend::character, kEnter, 0};
    case IDC_KEY_SPACE:
        return {KeySend::character, kSpace, 0};
    default:
        return {KeySend::nothing, 0, 0};
    }
}

bool shouldAttachInput(unsigned long foregroundThread, unsigned long uiThread, unsigned long attachedThread) {
    return foregroundThread != 0 && foregroundThread != uiThread && foregroundThread != attachedThread;
}
