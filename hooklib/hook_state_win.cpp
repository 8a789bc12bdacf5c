#include "hooklib/hook_state_win.h"

namespace hookstate {

namespace {

// "Local\" keeps the block to this desktop session.
const char kBlockName[] = "Local\\WordlarkHookState";

HANDLE mapping = nullptr;
HookState *view = nullptr;

} // namespace

bool mapHookState() {
    if (view)
        return true;
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(HookState), kBlockName);
    if (!mapping)
        return false;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    view = static_cast<HookState *>(MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(HookState)));
    if (!view) {
        CloseHandle(mapping);
        mapping = nullptr;
        return false;
    }
    if (created)
        initHookState(*view);
    return true;
}

void unmapHookState() {
    if (view)
        UnmapViewOfFile(view);
    if (mapping)
        CloseHandle(mapping);
    view = nullptr;
    mapping = nullptr;
}

HookState *soundHookState() { return view && isSoundHookState(*view) ? view : nullptr; }

HookState *ownedHookState() {
    if (!view && !mapHookState())
        return nullptr;
    if (!isSoundHookState(*view))
        initHookState(*view);
    return view;
}

} // namespace hookstate
