#include "hooklib/hook_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace hookstate;

TEST(HookState, AFreshBlockHoldsTheDefaultsAndIsSound) {
    HookState state;
    std::memset(&state, 0x5A, sizeof state);
    initHookState(state);
    EXPECT_TRUE(isSoundHookState(state));
    EXPECT_EQ(state.enableState, 1);
    EXPECT_EQ(state.commandKey, 0x20);
    EXPECT_EQ(state.enableKey, 0x4D);
    EXPECT_EQ(state.keyboardKey, 0x4F);
    EXPECT_EQ(state.programWindow, 0u);
    EXPECT_EQ(state.hooksInstalled[kHelperLibrary], 0);
    EXPECT_EQ(hookStateModuleFileName(state), "");
}

TEST(HookState, ABlockWrittenOverByAnotherProgramIsRefused) {
    struct Case {
        const char *what;
        void (*spoil)(HookState &);
    };
    const Case cases[] = {
        {"all zero, as a block that nobody set up yet", [](HookState &s) { std::memset(&s, 0, sizeof s); }},
        {"another size", [](HookState &s) { s.size = sizeof s + 4; }},
        {"another layout", [](HookState &s) { s.layoutVersion = kLayoutVersion + 1; }},
        {"being set up", [](HookState &s) { s.ready = 1; }},
    };
    for (const Case &c : cases) {
        HookState state;
        initHookState(state);
        c.spoil(state);
        EXPECT_FALSE(isSoundHookState(state)) << c.what;
    }
}

TEST(HookState, TheExecutableNameIsReadAndWrittenWithinItsField) {
    // Heap memory that ends with the block, so that a read past the field would be caught.
    std::unique_ptr<HookState> state(new HookState);
    initHookState(*state);
    setHookStateModuleFileName(*state, "C:\\Windows\\notepad.exe");
    EXPECT_EQ(hookStateModuleFileName(*state), "C:\\Windows\\notepad.exe");

    const std::string tooLong(400, 'x');
    setHookStateModuleFileName(*state, tooLong.c_str());
    EXPECT_EQ(hookStateModuleFileName(*state), std::string(kPathSize - 1, 'x'));
    setHookStateModuleFileName(*state, nullptr);
    EXPECT_EQ(hookStateModuleFileName(*state), "");

    // Another program left the field without a terminator: the name ends with the field.
    std::memset(state->moduleFileName, 'y', sizeof state->moduleFileName);
    std::memset(&state->suggestionsShown, 'z', sizeof state->suggestionsShown);
    EXPECT_EQ(hookStateModuleFileName(*state), std::string(kPathSize - 1, 'y'));
}
