#pragma once

#include <cstdint>

// The modifier keys and toggles of one thread that reads keys, followed from the key events its
// hook sees, so that the window system need not be asked for the thread's key state at every key
// (under Wine each question is a round trip to its server). The record is trusted only while it
// follows the thread: no key or click went anywhere else since its last event (every hook of the
// session counts every event it sees in the shared block), and that event was recent. Anything
// else, such as a key typed in a program no hook reaches, is met by asking again.
//
// Plain data, no Win32: the virtual key codes are Windows' own numbers.
namespace hookstate {

class TrackedKeys {
public:
    // How long after its last event the record is trusted.
    static const uint32_t kTrustMs = 1000;

    // True when the record may stand in for the thread's key state at an event that came after
    // priorEvent events of the session, at tick (milliseconds).
    bool follows(uint32_t priorEvent, uint32_t tick) const;
    // Starts the record anew from the thread's key state as the window system gives it (256 bytes,
    // 0x80 down, 0x01 toggled), before the event numbered priorEvent.
    void resetFrom(const uint8_t keys[256], uint32_t priorEvent, uint32_t tick);
    // One key event of the thread, the event numbered priorEvent of the session: a key going down
    // (a first press or a repeat) or up. extended is the key's extended flag (the right Ctrl or
    // Alt), scanCode tells the right Shift from the left.
    void note(int vk, bool up, bool repeat, bool extended, int scanCode, uint32_t priorEvent, uint32_t tick);
    // The thread's key state as far as it changes characters and shortcuts: the modifiers (both
    // sides and either) and the toggles; every other key up.
    void fill(uint8_t keys[256]) const;
    void forget() { valid_ = false; }

private:
    bool valid_ = false;
    uint32_t nextEvent_ = 0; // the number the thread's next event has when nothing came between
    uint32_t lastTick_ = 0;
    uint8_t down_[8] = {};   // the modifiers below, down or not
    uint8_t toggled_[4] = {};
};

} // namespace hookstate
