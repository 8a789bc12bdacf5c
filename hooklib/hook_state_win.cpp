#include "hooklib/hook_state_win.h"

#include <sddl.h>

#include <string>

#include "win32/kernel_handle_win.h"

namespace hookstate {

namespace {

// "Local\" keeps the block to this desktop session.
const char kBlockName[] = "Local\\WordlarkHookState";

HANDLE mapping = nullptr;
HookState *view = nullptr;

// The user's own SID as text ("S-1-5-21-..."), empty when it cannot be read.
std::string userSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return std::string();
    KernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (!size || !GetTokenInformation(token.get(), TokenUser, &buffer[0], size, &size))
        return std::string();
    char *text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER *>(&buffer[0])->User.Sid, &text))
        return std::string();
    std::string sid = text;
    LocalFree(text);
    return sid;
}

// The block admits the user's own processes (and the system) alone: no other user of the machine
// can read what is typed or steer the hooks through it. Made only by the process that creates
// the block; the others just open it.
HANDLE createBlock() {
    const std::string sid = userSid();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::string sddl = "D:P(A;;GA;;;" + sid + ")(A;;GA;;;SY)";
    if (sid.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                             &descriptor, nullptr))
        return nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE block =
        CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, sizeof(HookState), kBlockName);
    LocalFree(descriptor);
    return block;
}

} // namespace

bool mapHookState() {
    if (view)
        return true;
    bool created = false;
    mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kBlockName);
    if (!mapping) {
        mapping = createBlock();
        created = mapping && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    if (!mapping)
        return false;
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
