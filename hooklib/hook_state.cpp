#include "hooklib/hook_state.h"

#include <cstring>

namespace hookstate {

// The layout is part of the contract between the 32-bit and the 64-bit library: the same offsets
// in both builds, no padding that a compiler could choose.
static_assert(offsetof(HookState, enableState) == 12, "header of three 32-bit fields");
static_assert(offsetof(HookState, moduleFileName) == 72, "fixed-width fields before the name");
static_assert(offsetof(HookState, suggestionsShown) == 332, "the name is 260 bytes");
static_assert(sizeof(KeySlot) == 288, "six 32-bit fields and the name");
static_assert(offsetof(HookState, keySlots) == 380, "fixed-width fields before the key slots");
static_assert(offsetof(HookState, protectedWindow) == 380 + kKeySlots * 288, "the key slots, then the rest");
static_assert(sizeof(HookState) == 380 + kKeySlots * 288 + 16, "the same size in every build");

namespace {

std::string boundedName(const char *name, size_t size) {
    const void *end = std::memchr(name, '\0', size);
    const size_t length = end ? static_cast<size_t>(static_cast<const char *>(end) - name) : size - 1;
    return std::string(name, length);
}

int32_t claimValue(unsigned serial, KeyClaim state) {
    return static_cast<int32_t>((serial & 0xFFFF) | static_cast<uint32_t>(state) << 16);
}

bool exchangeClaim(KeySlot &slot, unsigned serial, KeyClaim from, KeyClaim to) {
    int32_t expected = claimValue(serial, from);
    return __atomic_compare_exchange_n(&slot.claim, &expected, claimValue(serial, to), false, __ATOMIC_SEQ_CST,
                                       __ATOMIC_SEQ_CST);
}

} // namespace

void initHookState(HookState &state) {
    std::memset(&state, 0, sizeof state);
    state.size = sizeof state;
    state.layoutVersion = kLayoutVersion;
    state.enableState = 1;
    state.commandKey = 0x20;
    state.enableKey = 0x4D;
    state.keyboardKey = 0x4F;
    state.ready = kReady;
}

void resetVolatileHookState(HookState &state) {
    state.suggestionsShown = 0;
    state.protectedWindow = 0;
    state.forwardStalled = 0;
    state.postedKeysHandled = state.postedKeys;
    state.focusWindow = 0;
    state.metricsWindow = 0;
    state.moduleProcessId = 0;
    state.moduleFileName[0] = '\0';
    state.heldKey = 0;
    state.heldKeyConsumed = 0;
    // A key handed over before never shows the list again.
    ++state.listEpoch;
}

bool isSoundHookState(const HookState &state) {
    return state.size == sizeof state && state.layoutVersion == kLayoutVersion && state.ready == kReady;
}

std::string hookStateModuleFileName(const HookState &state) {
    return boundedName(state.moduleFileName, sizeof state.moduleFileName);
}

void setHookStateModuleFileName(HookState &state, const char *name) {
    size_t length = name ? std::strlen(name) : 0;
    if (length >= sizeof state.moduleFileName)
        length = sizeof state.moduleFileName - 1;
    if (length)
        std::memcpy(state.moduleFileName, name, length);
    state.moduleFileName[length] = '\0';
}

int resolvedCaretX(const HookState &state) { return state.caretClientX != 0 ? state.caretScreenX : state.clickX; }
int resolvedCaretY(const HookState &state) { return state.caretClientY != 0 ? state.caretScreenY : state.clickY; }

uint32_t countKeyEvent(HookState &state) { return __atomic_fetch_add(&state.keyEvents, 1u, __ATOMIC_SEQ_CST); }

KeySlot &keySlotOf(HookState &state, unsigned serial) { return state.keySlots[(serial & 0xFFFF) % kKeySlots]; }

const KeySlot &keySlotOf(const HookState &state, unsigned serial) {
    return state.keySlots[(serial & 0xFFFF) % kKeySlots];
}

std::string keySlotModuleFileName(const KeySlot &slot) {
    return boundedName(slot.moduleFileName, sizeof slot.moduleFileName);
}

bool keySlotHolds(const KeySlot &slot, unsigned serial) {
    const int32_t claim = __atomic_load_n(&slot.claim, __ATOMIC_SEQ_CST);
    return serial != 0 && (static_cast<uint32_t>(claim) & 0xFFFF) == (serial & 0xFFFF);
}

void markKey(KeySlot &slot, unsigned serial, KeyClaim state) {
    __atomic_store_n(&slot.claim, claimValue(serial, state), __ATOMIC_SEQ_CST);
}

bool claimKey(KeySlot &slot, unsigned serial) { return exchangeClaim(slot, serial, kKeyWaiting, kKeyClaimed); }

bool followKey(KeySlot &slot, unsigned serial) {
    return exchangeClaim(slot, serial, kKeyWaiting, kKeyFollowed) ||
           exchangeClaim(slot, serial, kKeyAbandoned, kKeyFollowed);
}

GivenUp giveUpKey(KeySlot &slot, unsigned serial) {
    if (exchangeClaim(slot, serial, kKeyWaiting, kKeyAbandoned))
        return GivenUp::Abandoned;
    // Not waiting any more: claimed or declined by the main program (a slot taken over by a key
    // 128 later cannot happen while this hook waits); only a claim keeps the key.
    return __atomic_load_n(&slot.claim, __ATOMIC_SEQ_CST) == claimValue(serial, kKeyClaimed) ? GivenUp::Claimed
                                                                                             : GivenUp::Declined;
}

} // namespace hookstate
