#include "hooklib/hook_state.h"

#include <cstring>

namespace hookstate {

// The layout is part of the contract between the 32-bit and the 64-bit library: the same offsets
// in both builds, no padding that a compiler could choose.
static_assert(offsetof(HookState, enableState) == 12, "header of three 32-bit fields");
static_assert(offsetof(HookState, moduleFileName) == 72, "fixed-width fields before the name");
static_assert(offsetof(HookState, suggestionsShown) == 332, "the name is 260 bytes");
static_assert(sizeof(HookState) == 636, "the same size in every build");

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

bool isSoundHookState(const HookState &state) {
    return state.size == sizeof state && state.layoutVersion == kLayoutVersion && state.ready == kReady;
}

std::string hookStateModuleFileName(const HookState &state) {
    const char *name = state.moduleFileName;
    const void *end = std::memchr(name, '\0', sizeof state.moduleFileName);
    const size_t length = end ? static_cast<size_t>(static_cast<const char *>(end) - name) : sizeof state.moduleFileName - 1;
    return std::string(name, length);
}

void setHookStateModuleFileName(HookState &state, const char *name) {
    size_t length = name ? std::strlen(name) : 0;
    if (length >= sizeof state.moduleFileName)
        length = sizeof state.moduleFileName - 1;
    if (length)
        std::memcpy(state.moduleFileName, name, length);
    state.moduleFileName[length] = '\0';
}

} // namespace hookstate
