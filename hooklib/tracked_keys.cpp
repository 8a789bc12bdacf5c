#include "hooklib/tracked_keys.h"

#include <cstring>

namespace hookstate {

namespace {

// The keys followed, in Windows' numbering.
const int kShift = 0x10, kControl = 0x11, kMenu = 0x12, kCapital = 0x14, kNumLock = 0x90, kScroll = 0x91;
const int kKana = 0x15, kLeftWin = 0x5B, kRightWin = 0x5C;
const int kLeftShift = 0xA0, kRightShift = 0xA1, kLeftControl = 0xA2, kRightControl = 0xA3, kLeftMenu = 0xA4,
          kRightMenu = 0xA5;
const int kRightShiftScanCode = 0x36;

// The sided keys that are followed, and the toggles.
const int kDownKeys[8] = {kLeftShift, kRightShift, kLeftControl, kRightControl, kLeftMenu, kRightMenu, kLeftWin, kRightWin};
const int kToggles[4] = {kCapital, kNumLock, kScroll, kKana};

int slotOf(const int (&keys)[8], int vk) {
    for (int i = 0; i < 8; ++i)
        if (keys[i] == vk)
            return i;
    return -1;
}

// A key event names the side of Shift, Ctrl and Alt through its scan code or extended flag.
int sidedKey(int vk, bool extended, int scanCode) {
    switch (vk) {
    case kShift:
        return scanCode == kRightShiftScanCode ? kRightShift : kLeftShift;
    case kControl:
        return extended ? kRightControl : kLeftControl;
    case kMenu:
        return extended ? kRightMenu : kLeftMenu;
    default:
        return vk;
    }
}

} // namespace

bool TrackedKeys::follows(uint32_t priorEvent, uint32_t tick) const {
    return valid_ && priorEvent == nextEvent_ && tick - lastTick_ < kTrustMs;
}

void TrackedKeys::resetFrom(const uint8_t keys[256], uint32_t priorEvent, uint32_t tick) {
    for (int i = 0; i < 8; ++i)
        down_[i] = (keys[kDownKeys[i]] & 0x80) ? 1 : 0;
    // A state that names only the generic key still counts it as down, on the left.
    if ((keys[kShift] & 0x80) && !down_[0] && !down_[1])
        down_[0] = 1;
    if ((keys[kControl] & 0x80) && !down_[2] && !down_[3])
        down_[2] = 1;
    if ((keys[kMenu] & 0x80) && !down_[4] && !down_[5])
        down_[4] = 1;
    for (int i = 0; i < 4; ++i)
        toggled_[i] = keys[kToggles[i]] & 0x01;
    valid_ = true;
    nextEvent_ = priorEvent;
    lastTick_ = tick;
}

void TrackedKeys::note(int vk, bool up, bool repeat, bool extended, int scanCode, uint32_t priorEvent, uint32_t tick) {
    if (!follows(priorEvent, tick)) {
        // Something came between: the next key asks the window system again.
        valid_ = false;
        return;
    }
    nextEvent_ = priorEvent + 1;
    lastTick_ = tick;
    const int sided = sidedKey(vk, extended, scanCode);
    const int slot = slotOf(kDownKeys, sided);
    if (slot >= 0)
        down_[slot] = up ? 0 : 1;
    if (!up && !repeat)
        for (int i = 0; i < 4; ++i)
            if (kToggles[i] == vk)
                toggled_[i] ^= 1;
}

void TrackedKeys::fill(uint8_t keys[256]) const {
    std::memset(keys, 0, 256);
    for (int i = 0; i < 8; ++i)
        keys[kDownKeys[i]] = down_[i] ? 0x80 : 0;
    keys[kShift] = (down_[0] || down_[1]) ? 0x80 : 0;
    keys[kControl] = (down_[2] || down_[3]) ? 0x80 : 0;
    keys[kMenu] = (down_[4] || down_[5]) ? 0x80 : 0;
    for (int i = 0; i < 4; ++i)
        keys[kToggles[i]] |= toggled_[i];
}

} // namespace hookstate
