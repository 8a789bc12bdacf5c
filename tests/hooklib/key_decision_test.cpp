#include "hooklib/key_decision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace hookkeys;

namespace {

KeyInput typing(int vk) {
    KeyInput in;
    in.vk = vk;
    in.haveCommandWindow = true;
    in.haveKeyboardWindow = true;
    return in;
}

KeyInput withCtrl(int vk) {
    KeyInput in = typing(vk);
    in.ctrlDown = true;
    return in;
}

bool passedOnUntouched(const KeyDecision &d) {
    return !d.hideSuggestions && !d.examineFocus && !d.recordContext && !d.dismissFirst && d.toggle == Toggle::None && !d.forward &&
           !d.dismissAfter && !d.consume;
}

} // namespace

TEST(KeyDecision, LettersAreForwardedWithTheCaseThatShiftGivesAndReachTheApplication) {
    KeyInput in = typing('A');
    KeyDecision d = decideKeyDown(in);
    EXPECT_TRUE(d.forward);
    EXPECT_EQ(d.forwardCode, 'a');
    EXPECT_TRUE(d.recordContext);
    EXPECT_TRUE(d.examineFocus);
    EXPECT_FALSE(d.consume);
    EXPECT_FALSE(d.dismissFirst);
    EXPECT_FALSE(d.forwardWaits); // the program typed in goes on at once
    EXPECT_FALSE(dependsOnTheList(in));

    in.shiftDown = true;
    EXPECT_EQ(decideKeyDown(in).forwardCode, 'A');

    // Letters are forwarded whether or not the list is shown.
    in.suggestionsVisible = true;
    EXPECT_TRUE(decideKeyDown(in).forward);
}

TEST(KeyDecision, HotKeysWorkWhateverTheEnableStateAndAreConsumed) {
    for (bool enabled : {true, false}) {
        KeyInput in = withCtrl('M');
        in.enabled = enabled;
        KeyDecision d = decideKeyDown(in);
        EXPECT_EQ(d.toggle, Toggle::Enable);
        EXPECT_TRUE(d.dismissFirst);
        EXPECT_TRUE(d.consume);

        in.vk = ' ';
        EXPECT_EQ(decideKeyDown(in).toggle, Toggle::CommandWindow);
        in.vk = 'O';
        EXPECT_EQ(decideKeyDown(in).toggle, Toggle::KeyboardWindow);
    }
}

TEST(KeyDecision, ChangedHotKeysReplaceTheDefaults) {
    KeyInput in = withCtrl('S');
    in.commandKey = 'S';
    EXPECT_EQ(decideKeyDown(in).toggle, Toggle::CommandWindow);
    in.vk = ' ';
    KeyDecision d = decideKeyDown(in);
    EXPECT_EQ(d.toggle, Toggle::None);
    EXPECT_FALSE(d.consume);
    EXPECT_TRUE(d.dismissFirst);
}

TEST(KeyDecision, WindowHotKeysNeedTheirWindows) {
    KeyInput in = withCtrl(' ');
    in.haveCommandWindow = false;
    KeyDecision d = decideKeyDown(in);
    EXPECT_EQ(d.toggle, Toggle::None);
    EXPECT_FALSE(d.consume);

    in = withCtrl('O');
    in.haveKeyboardWindow = false;
    EXPECT_EQ(decideKeyDown(in).toggle, Toggle::None);
}

TEST(KeyDecision, CtrlDigitPicksOnlyWhileTheListIsShown) {
    KeyInput in = withCtrl('5');
    in.suggestionsVisible = true;
    KeyDecision d = decideKeyDown(in);
    EXPECT_TRUE(d.forward);
    EXPECT_EQ(d.forwardCode, '5');
    EXPECT_TRUE(d.forwardWaits);
    EXPECT_TRUE(dependsOnTheList(in)); // decided on the list of the last letter
    EXPECT_TRUE(d.dismissAfter);
    EXPECT_FALSE(d.dismissFirst);
    EXPECT_TRUE(d.consume);

    in.suggestionsVisible = false;
    d = decideKeyDown(in);
    EXPECT_FALSE(d.forward);
    EXPECT_TRUE(d.dismissFirst);
    EXPECT_FALSE(d.consume);
}

TEST(KeyDecision, CtrlAloneIsConsumedAndDismissesNothing) {
    // Whether or not the key state already shows Ctrl during its own key-down.
    for (bool stateShowsCtrl : {true, false}) {
        KeyInput in = typing(kControl);
        in.ctrlDown = stateShowsCtrl;
        in.suggestionsVisible = true;
        KeyDecision d = decideKeyDown(in);
        EXPECT_TRUE(d.consume);
        EXPECT_FALSE(d.dismissFirst);
        EXPECT_FALSE(d.forward);
        EXPECT_FALSE(d.recordContext);
    }
}

TEST(KeyDecision, AltAndDisabledCompletionDismissAndPassOn) {
    KeyInput in = typing('A');
    in.altDown = true;
    in.ctrlDown = true; // Alt wins over a hot key
    KeyDecision d = decideKeyDown(in);
    EXPECT_TRUE(d.dismissFirst);
    EXPECT_EQ(d.toggle, Toggle::None);
    EXPECT_FALSE(d.consume);

    in = typing('A');
    in.enabled = false;
    d = decideKeyDown(in);
    EXPECT_TRUE(d.dismissFirst);
    EXPECT_FALSE(d.forward);
    EXPECT_FALSE(d.recordContext);
}

TEST(KeyDecision, PasswordFieldsGetTheirKeysUntouched) {
    KeyInput in = typing('A');
    in.passwordField = true;
    in.suggestionsVisible = true;
    EXPECT_TRUE(passedOnUntouched(decideKeyDown(in)));
    in.vk = kEnter;
    EXPECT_TRUE(passedOnUntouched(decideKeyDown(in)));
}

TEST(KeyDecision, TheCommandWindowsEditFieldIsNotWatched) {
    KeyInput in = typing('A');
    in.inCommandEdit = true;
    KeyDecision d = decideKeyDown(in);
    EXPECT_TRUE(d.examineFocus);
    EXPECT_FALSE(d.forward);
    EXPECT_FALSE(d.recordContext);
    EXPECT_FALSE(d.consume);
}

TEST(KeyDecision, SteeringKeysWhileTheListIsShown) {
    struct Case {
        int vk;
        bool shift;
        bool forward;
        bool consume;
    };
    const Case cases[] = {
        {kSpace, true, true, true},      {kSpace, false, false, false}, {kUp, true, true, true},
        {kUp, false, false, false},      {kDown, true, true, true},     {kEnter, false, true, true},
        {kEnter, true, true, true},      {kDelete, false, true, false}, {kBackspace, false, true, false},
        {kShift, true, true, false},     {'1', false, false, false},    {0xBE /* period */, false, false, false},
    };
    for (const Case &c : cases) {
        KeyInput in = typing(c.vk);
        in.shiftDown = c.shift;
        in.suggestionsVisible = true;
        KeyDecision d = decideKeyDown(in);
        SCOPED_TRACE(c.vk);
        EXPECT_EQ(d.forward, c.forward);
        EXPECT_EQ(d.forwardWaits, c.forward); // a pick types into the program while it waits
        EXPECT_EQ(dependsOnTheList(in), c.forward);
        EXPECT_EQ(d.consume, c.consume);
        EXPECT_EQ(d.dismissFirst, !c.forward);
        if (c.forward) {
            EXPECT_EQ(d.forwardCode, c.vk);
        }
    }
}

TEST(KeyDecision, AfterAFocusChangeTheListIsHiddenAndKeysAreDecidedAsIfNoneWereShown) {
    // Steering keys and Ctrl+digit would act on the word of the window the focus left.
    for (int vk : {kSpace, kEnter, kDelete, kBackspace, kUp, static_cast<int>('3')}) {
        KeyInput in = vk == '3' ? withCtrl(vk) : typing(vk);
        in.shiftDown = vk == kSpace || vk == kUp;
        in.suggestionsVisible = true;
        in.focusChanged = true;
        KeyDecision d = decideKeyDown(in);
        SCOPED_TRACE(vk);
        EXPECT_TRUE(d.hideSuggestions);
        EXPECT_FALSE(d.forward);
        EXPECT_FALSE(d.consume);
        EXPECT_TRUE(d.dismissFirst);
    }
    // A letter starts a new word there: the list is hidden first, the letter still forwarded.
    KeyInput in = typing('A');
    in.suggestionsVisible = true;
    in.focusChanged = true;
    KeyDecision d = decideKeyDown(in);
    EXPECT_TRUE(d.hideSuggestions);
    EXPECT_TRUE(d.examineFocus);
    EXPECT_TRUE(d.forward);
    // Without a change the list is kept.
    in.focusChanged = false;
    EXPECT_FALSE(decideKeyDown(in).hideSuggestions);
}

TEST(KeyDecision, EveryOtherKeyEndsTheWordWhenNoListIsShown) {
    for (int vk : {kEnter, kSpace, kBackspace, static_cast<int>('7'), kShift}) {
        KeyInput in = typing(vk);
        in.shiftDown = true;
        KeyDecision d = decideKeyDown(in);
        EXPECT_TRUE(d.dismissFirst) << vk;
        EXPECT_FALSE(d.forward) << vk;
        EXPECT_FALSE(d.consume) << vk;
        EXPECT_TRUE(d.recordContext) << vk;
    }
}

TEST(KeyDecision, AProgramNoLibraryServesGetsEveryKeyButTheHotKeysUntouched) {
    // Keys that would otherwise be forwarded, steer the list or end a word.
    for (int vk : {static_cast<int>('A'), kSpace, kEnter, kBackspace, kDelete, kShift, kControl, static_cast<int>('5')}) {
        for (bool ctrl : {false, true}) {
            if (ctrl && vk == kSpace) // the command window's hot key
                continue;
            for (bool shown : {false, true}) {
                KeyInput in = typing(vk);
                in.role = KeyRole::HotKeysOnly;
                in.ctrlDown = ctrl;
                in.shiftDown = true;
                in.suggestionsVisible = shown;
                KeyDecision d = decideKeyDown(in);
                SCOPED_TRACE(testing::Message() << vk << " ctrl " << ctrl << " shown " << shown);
                // A list shown for a word typed elsewhere is hidden; the word is not ended.
                EXPECT_EQ(d.hideSuggestions, shown);
                d.hideSuggestions = false;
                EXPECT_TRUE(passedOnUntouched(d));
                EXPECT_FALSE(dependsOnTheList(in));
            }
        }
    }
    // The library that passes a key on leaves even the hot keys alone, so that Ctrl+M switches
    // once, not twice.
    for (int vk : {static_cast<int>('M'), kSpace, static_cast<int>('O'), static_cast<int>('A'), static_cast<int>('1')}) {
        KeyInput in = withCtrl(vk);
        in.role = KeyRole::PassesOn;
        in.suggestionsVisible = true;
        EXPECT_TRUE(passedOnUntouched(decideKeyDown(in))) << vk;
        EXPECT_FALSE(dependsOnTheList(in));
    }
    for (bool enabled : {true, false}) {
        KeyInput in = withCtrl('M');
        in.role = KeyRole::HotKeysOnly;
        in.enabled = enabled;
        EXPECT_EQ(decideKeyDown(in).toggle, Toggle::Enable);
        EXPECT_TRUE(decideKeyDown(in).consume);
        in.vk = ' ';
        EXPECT_EQ(decideKeyDown(in).toggle, Toggle::CommandWindow);
        in.vk = 'O';
        EXPECT_EQ(decideKeyDown(in).toggle, Toggle::KeyboardWindow);
    }
}

// Every arrangement of the session's libraries. Windows may call a procedure in the program typed
// in, out of context on the installer's thread, or through the other library's pass-on (which may
// run out of context too); the role depends on none of that, only on the bitness of the program
// typed in, so for every key exactly one library does something with it.
TEST(KeyRole, ExactlyOneLibraryActsOnEachKey) {
    struct Library {
        Bitness bits;
        bool main;
    };
    struct Package {
        const char *what;
        std::vector<Library> libraries;
    };
    const Package packages[] = {
        {"64-bit package with its 32-bit helper", {{Bitness::Bits64, true}, {Bitness::Bits32, false}}},
        {"64-bit package whose helper is not running", {{Bitness::Bits64, true}}},
        {"32-bit package", {{Bitness::Bits32, true}}},
    };
    for (const Package &package : packages) {
        for (Bitness program : {Bitness::Bits64, Bitness::Bits32, Bitness::Unknown}) {
            for (bool hotKey : {false, true}) {
                SCOPED_TRACE(testing::Message() << package.what << ", program " << static_cast<int>(program)
                                                << ", hot key " << hotKey);
                int acting = 0, completing = 0;
                for (const Library &library : package.libraries) {
                    KeyOwnerInput owner;
                    owner.library = library.bits;
                    owner.mainLibrary = library.main;
                    owner.program = program;
                    owner.otherLibraryServes = package.libraries.size() == 2;
                    KeyInput in = hotKey ? withCtrl('M') : typing('A');
                    in.role = decideKeyRole(owner);
                    const KeyDecision d = decideKeyDown(in);
                    acting += passedOnUntouched(d) ? 0 : 1;
                    completing += d.forward ? 1 : 0;
                }
                // A hot key works once everywhere; a letter is completed once by the library of
                // the program's own bitness where one runs, and left alone by both where none does.
                const bool served = std::any_of(package.libraries.begin(), package.libraries.end(),
                                                [&](const Library &l) { return l.bits == program; });
                EXPECT_EQ(acting, hotKey || served ? 1 : 0);
                EXPECT_EQ(completing, !hotKey && served ? 1 : 0);
            }
        }
    }
}
