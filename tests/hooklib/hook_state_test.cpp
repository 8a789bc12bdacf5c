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

    // A main program that crashed left a list shown, a protected window and keys it never took:
    // a new start clears them and keeps what was published (hot keys, enable state, windows).
    state.suggestionsShown = 1;
    state.protectedWindow = 0x1234;
    state.postedKeys = 7;
    state.heldKey = 0x0D;
    state.heldKeyConsumed = 1;
    state.commandKey = 'K';
    state.enableState = 0;
    const uint32_t epoch = state.listEpoch;
    resetVolatileHookState(state);
    EXPECT_EQ(state.suggestionsShown, 0);
    EXPECT_EQ(state.protectedWindow, 0u);
    EXPECT_EQ(state.postedKeysHandled, state.postedKeys);
    EXPECT_EQ(state.heldKeyConsumed, 0);
    EXPECT_NE(state.listEpoch, epoch); // a key of the old run never shows the list
    EXPECT_EQ(state.commandKey, 'K');
    EXPECT_EQ(state.enableState, 0);
    EXPECT_TRUE(isSoundHookState(state));
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

// A key the hook waits for is decided once, whichever side comes first: the main program's claim
// or the hook's wait running out. Each order is played here as it happens between the processes.
TEST(HookState, AWaitedKeyIsEitherHandledOrPassedOnNeverBoth) {
    std::unique_ptr<HookState> state(new HookState);
    initHookState(*state);
    const unsigned serial = 300;
    KeySlot &slot = keySlotOf(*state, serial);

    // The main program claims the key while the hook still waits; the wait then runs out: the hook
    // consumes the key, as the main program is acting on it.
    markKey(slot, serial, kKeyWaiting);
    EXPECT_TRUE(claimKey(slot, serial));
    EXPECT_EQ(giveUpKey(slot, serial), GivenUp::Claimed);
    EXPECT_FALSE(claimKey(slot, serial)); // and only once
    EXPECT_FALSE(followKey(slot, serial));

    // The wait runs out first: the program typed in gets the key, the main program's late claim
    // fails, and the word follows the key once, whichever of the late key and the hook's note of
    // it comes first.
    markKey(slot, serial, kKeyWaiting);
    EXPECT_EQ(giveUpKey(slot, serial), GivenUp::Abandoned);
    EXPECT_FALSE(claimKey(slot, serial));
    EXPECT_TRUE(followKey(slot, serial));
    EXPECT_FALSE(followKey(slot, serial));

    // The main program declines the key (nothing to pick) and follows it at once; the hook's wait
    // running out then gives it to the program with no note.
    markKey(slot, serial, kKeyWaiting);
    EXPECT_TRUE(followKey(slot, serial));
    EXPECT_EQ(giveUpKey(slot, serial), GivenUp::Declined);
    EXPECT_FALSE(followKey(slot, serial));

    // A posted key is never claimed; a slot taken over by the key 128 later no longer holds this one.
    markKey(slot, serial, kKeyPosted);
    EXPECT_FALSE(claimKey(slot, serial));
    EXPECT_TRUE(keySlotHolds(slot, serial));
    markKey(keySlotOf(*state, serial + kKeySlots), serial + kKeySlots, kKeyWaiting);
    EXPECT_FALSE(keySlotHolds(slot, serial));
    EXPECT_FALSE(claimKey(slot, serial));
    EXPECT_FALSE(keySlotHolds(slot, 0)); // serial 0 is never handed out

    // A slot's name that another program left without a terminator ends with its field.
    std::memset(slot.moduleFileName, 'q', sizeof slot.moduleFileName);
    EXPECT_EQ(keySlotModuleFileName(slot), std::string(kPathSize - 1, 'q'));
}
