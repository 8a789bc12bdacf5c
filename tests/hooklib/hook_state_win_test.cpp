// The session's hook state block as Windows keeps it: which processes may open it.
#include "hooklib/larkhook.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

std::vector<BYTE> tokenUser() {
    HANDLE token = nullptr;
    std::vector<BYTE> buffer;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return buffer;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    buffer.resize(size);
    if (!size || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        buffer.clear();
    CloseHandle(token);
    return buffer;
}

} // namespace

// What is typed passes through the block: only the user's own processes (and the system) may open it.
TEST(HookStateBlock, AdmitsOnlyTheUsersOwnProcesses) {
    GetEnableState(); // the library beside the tests has made the block
    HANDLE block = OpenFileMappingA(READ_CONTROL, FALSE, "Local\\WordlarkHookState");
    ASSERT_NE(block, nullptr);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(block, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr);
    const std::vector<BYTE> user = tokenUser();
    ASSERT_FALSE(user.empty());
    BYTE systemSid[SECURITY_MAX_SID_SIZE];
    DWORD systemSize = sizeof systemSid;
    ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, systemSid, &systemSize));
    ASSERT_EQ(dacl->AceCount, 2);
    for (WORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE *ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void **>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        PSID sid = &ace->SidStart;
        EXPECT_TRUE(EqualSid(sid, reinterpret_cast<TOKEN_USER *>(const_cast<BYTE *>(user.data()))->User.Sid) ||
                    EqualSid(sid, systemSid));
    }
    LocalFree(descriptor);
    CloseHandle(block);
}
