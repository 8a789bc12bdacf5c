#include "hooklib/key_decision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace hookkeys;

namespace {

// A key as a US layout types it without Shift: A to Z are letters.
KeyInput typing(int vk) {
    KeyInput in;
    in.vk = vk;
    in.haveCommandWindow = true;
    in.haveKeyboardWindow = true;
    if (vk >= 'A' && vk <= 'Z') {
        in.typed = Typed::Letter;
        in.letter = static_cast<unsigned char>(vk - 'A' + 'a');
    }
    return in;
}

// With Ctrl (or Ctrl and Alt), a US layout types no letter.
KeyInput withCtrl(int vk) {
    KeyInput in = typing(vk);
    in.ctrlDown = true;
    in.typed = Typed::Other;
    return in;
}

bool passedOnUntouched(const KeyDecision &d) {
    return !d.hideSuggestions && !d.examineFocus && !d.recordContext && !d.dismissFirst && d.toggle == Toggle::None && !d.forward &&
           !d.dismissAfter && !d.consume;
}

} // namespace

TEST(KeyDecision, LettersAreForwardedAsTheLayoutTypesThemAndReachTheApplication) {
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

    // Whatever the key: the character the layout makes of it, in the case Shift or Caps Lock give
    // it, a letter of the code page as its byte (ä on the German layout's VK_OEM_7, é on the French
    // digit row), one outside it as the foreign letter.
    struct Case {
        int vk;
        Typed typed;
        unsigned char letter;
        bool ctrlAlt; // AltGr
        int forwarded;
    };
    const Case cases[] = {
        {'A', Typed::Letter, 'A', false, 'A'},
        {0xDE, Typed::Letter, 0xE4, false, 0xE4},
        {'2', Typed::Letter, 0xE9, false, 0xE9},
        {'C', Typed::ForeignLetter, 0, false, kForeignLetter}, // Cyrillic es on a Western system
        {'E', Typed::Letter, 0x80, true, 0x80},                 // AltGr+E: a letter of its own
    };
    for (const Case &c : cases) {
        KeyInput key = typing(c.vk);
        key.typed = c.typed;
        key.letter = c.letter;
        key.ctrlDown = key.altDown = c.ctrlAlt;
        key.suggestionsVisible = true; // letters are forwarded whether or not the list is shown
        d = decideKeyDown(key);
        SCOPED_TRACE(c.vk);
        EXPECT_TRUE(d.forward);
        EXPECT_EQ(d.forwardCode, c.forwarded);
        EXPECT_FALSE(d.consume);
        EXPECT_FALSE(d.dismissFirst);
        EXPECT_EQ(d.toggle, Toggle::None);
    }
    // The digit row types no letter on a US layout: it ends the word.
    EXPECT_TRUE(decideKeyDown(typing('2')).dismissFirst);

    // A dead key's accent waits for the next letter: the word goes on, nothing is forwarded.
    for (bool shown : {false, true}) {
        KeyInput dead = typing(0xDC);
        dead.typed = Typed::DeadKey;
        dead.suggestionsVisible = shown;
        d = decideKeyDown(dead);
        EXPECT_FALSE(d.forward);
        EXPECT_FALSE(d.dismissFirst);
        EXPECT_FALSE(d.consume);
        EXPECT_FALSE(d.hideSuggestions);
    }
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

TEST(KeyDecision, HotKeysWithAnotherModifierAreThePrograms) {
    // Ctrl+Shift+O, Ctrl+Shift+Space, Ctrl+Alt+M, Win+Ctrl+O: passed on, the word ended, also in a
    // program of the other bitness.
    for (int modifier = 0; modifier < 3; ++modifier) {
        for (int vk : {static_cast<int>('M'), kSpace, static_cast<int>('O')}) {
            for (bool otherBitness : {false, true}) {
                KeyInput in = withCtrl(vk);
                in.suggestionsVisible = true;
                in.role = otherBitness ? KeyRole::HotKeysOnly : KeyRole::Acts;
                in.shiftDown = modifier == 0;
                in.altDown = modifier == 1;
                in.winDown = modifier == 2;
                KeyDecision d = decideKeyDown(in);
                SCOPED_TRACE(testing::Message() << vk << " modifier " << modifier << " other " << otherBitness);
                EXPECT_EQ(d.toggle, Toggle::None);
                EXPECT_FALSE(d.consume);
                EXPECT_FALSE(d.forward);
                EXPECT_NE(d.dismissFirst, otherBitness);
            }
        }
    }
    // Ctrl+Shift+digit still picks a row: the hot-key rule is about the hot keys.
    KeyInput in = withCtrl('2');
    in.shiftDown = true;
    in.suggestionsVisible = true;
    EXPECT_TRUE(decideKeyDown(in).forward);
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
    KeyInput in = withCtrl('A');
    in.altDown = true; // Alt wins over a hot key
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

// A held key: its repeats come with the list still up (a pick hid it only in the main program),
// and do what its press did to the program and the word, never more.
TEST(KeyDecision, RepeatsFollowTheirPress) {
    struct Case {
        const char *what;
        KeyInput in;
        bool pressConsumed;
        bool forward, consume, dismiss;
    };
    KeyInput shiftDown = typing(kDown), enter = typing(kEnter), space = typing(kSpace);
    shiftDown.shiftDown = space.shiftDown = true;
    KeyInput ctrlOne = withCtrl('1'), ctrlM = withCtrl('M'), letter = typing('L'), backspace = typing(kBackspace);
    KeyInput shift = typing(kShift), period = typing(0xBE), notTaken = typing(kEnter);
    const Case cases[] = {
        {"Shift+Down walks on down the list", shiftDown, true, true, true, false},
        {"Enter picked once", enter, true, false, true, false},
        {"Shift+Space picked once", space, true, false, true, false},
        {"Ctrl+1 picked once", ctrlOne, true, false, true, false},
        {"a hot key toggles once", ctrlM, true, false, true, false},
        {"a letter goes on into the word", letter, false, true, false, false},
        {"Backspace goes on shortening it", backspace, false, true, false, false},
        {"Shift held before a capital waits for nothing", shift, false, false, false, false},
        {"the word ended at the press already", period, false, false, false, false},
        {"Enter that the main program did not take is the program's", notTaken, false, false, false, false},
    };
    for (const Case &c : cases) {
        KeyInput in = c.in;
        in.suggestionsVisible = true;
        in.repeat = true;
        in.heldKeyConsumed = c.pressConsumed;
        const KeyDecision d = decideKeyDown(in);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(d.forward, c.forward);
        EXPECT_EQ(d.consume, c.consume);
        EXPECT_EQ(d.dismissFirst, c.dismiss);
        EXPECT_EQ(d.toggle, Toggle::None);
        EXPECT_EQ(repeatActsOnTheWord(in), c.forward);
        EXPECT_EQ(dependsOnTheList(in), c.forward && in.vk != 'L');
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

// Every arrangement of the session's libraries. A key is read by a thread of a program of one
// bitness, or by one whose program cannot be named from outside (no foreground window). The
// library of that bitness, where one runs, is called in that thread; every other library out of
// context (on its installing thread, or through the pass-on), where only the foreground names the
// program. For every key exactly one library does something with it.
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
        for (Bitness reader : {Bitness::Bits64, Bitness::Bits32}) {
            for (bool foreground : {true, false}) {
                for (bool hotKey : {false, true}) {
                    SCOPED_TRACE(testing::Message() << package.what << ", program " << static_cast<int>(reader)
                                                    << ", foreground " << foreground << ", hot key " << hotKey);
                    int acting = 0, completing = 0;
                    for (const Library &library : package.libraries) {
                        KeyOwnerInput owner;
                        owner.library = library.bits;
                        owner.mainLibrary = library.main;
                        owner.inContext = library.bits == reader;
                        owner.program = foreground ? reader : Bitness::Unknown;
                        owner.otherLibraryServes = package.libraries.size() == 2;
                        KeyInput in = hotKey ? withCtrl('M') : typing('A');
                        in.role = decideKeyRole(owner);
                        const KeyDecision d = decideKeyDown(in);
                        acting += passedOnUntouched(d) ? 0 : 1;
                        completing += d.forward ? 1 : 0;
                    }
                    // A hot key works once everywhere; a letter is completed once by the library of
                    // the program's own bitness where one runs, and left alone where none does.
                    const bool served = std::any_of(package.libraries.begin(), package.libraries.end(),
                                                    [&](const Library &l) { return l.bits == reader; });
                    EXPECT_EQ(acting, hotKey || served ? 1 : 0);
                    EXPECT_EQ(completing, !hotKey && served ? 1 : 0);
                }
            }
        }
    }
}
