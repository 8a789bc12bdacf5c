#include "keyboard/keyboard_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resources/resource_ids.h"

namespace {

// Keys picked from every row and both ends of the id range, with what they type.
struct KeyCase {
    int id;
    char plain;
    char shifted;
};
constexpr KeyCase kKeyCases[] = {
    {1001, '`', '~'},  {1002, '1', '!'},  {1003, '2', '@'},  {1008, '7', '&'},  {1009, '8', '*'},
    {1012, '-', '_'},  {1013, '=', '+'},  {1014, 'q', 'Q'},  {1024, '[', '{'},  {1025, ']', '}'},
    {1026, '\\', '|'}, {1027, 'a', 'A'},  {1036, ';', ':'},  {1037, '\'', '"'}, {1038, 'z', 'Z'},
    {1045, ',', '<'},  {1046, '.', '>'},  {1047, '/', '?'},
};

TEST(KeyboardLayout, KeysTypeTheirRowsCharacters) {
    for (const KeyCase &k : kKeyCases) {
        SCOPED_TRACE(k.id);
        EXPECT_EQ(layoutCharacter(k.id, false), k.plain);
        EXPECT_EQ(layoutCharacter(k.id, true), k.shifted);
    }
}

TEST(KeyboardLayout, EveryCharacterKeyTypesADistinctPrintableCharacter) {
    std::set<char> seen;
    for (int id = IDC_KEY_FIRST; id <= IDC_KEY_LAST; ++id) {
        for (bool shifted : {false, true}) {
            char c = layoutCharacter(id, shifted);
            EXPECT_GE(c, 0x21) << id;
            EXPECT_LE(c, 0x7E) << id;
            EXPECT_TRUE(seen.insert(c).second) << "typed twice: " << c;
        }
    }
    // 94 printable ASCII characters besides the space: each is on exactly one key.
    EXPECT_EQ(seen.size(), 94u);
}

TEST(KeyboardLayout, IdsOutsideTheCharacterKeysTypeNothing) {
    for (int id : {0, 1000, IDC_KEY_LAST + 1, IDC_KEY_BACKSPACE, IDC_KEY_SHIFT, IDC_KEY_SPACE, -1}) {
        EXPECT_EQ(layoutCharacter(id, false), 0) << id;
        EXPECT_EQ(layoutCharacter(id, true), 0) << id;
    }
}

TEST(KeyboardCaption, AmpersandIsDoubledAndEverythingElseShowsAsItself) {
    EXPECT_EQ(keyCaption('&'), "&&");
    EXPECT_EQ(keyCaption('q'), "q");
    EXPECT_EQ(keyCaption('"'), "\"");
    EXPECT_EQ(keyCaption('%'), "%");  // captions are not format strings
    EXPECT_EQ(keyCaption(layoutCharacter(1008, true)), "&&");
    EXPECT_EQ(keyCaption(layoutCharacter(1008, false)), "7");
}

TEST(KeyboardSend, CharacterKeysSendTheSelectedLayoutAndAnswerOne) {
    KeySend plain = keySendFor(1014, false);
    EXPECT_EQ(plain.kind, KeySend::character);
    EXPECT_EQ(plain.code, 'q');
    EXPECT_EQ(plain.result, 1);
    KeySend shifted = keySendFor(1014, true);
    EXPECT_EQ(shifted.kind, KeySend::character);
    EXPECT_EQ(shifted.code, 'Q');
    EXPECT_EQ(shifted.result, 1);
}

TEST(KeyboardSend, EditingKeysSendTheirCodesWhateverTheShift) {
    struct {
        int id;
        KeySend::Kind kind;
        unsigned char code;
    } const cases[] = {
        {IDC_KEY_BACKSPACE, KeySend::character, 8},
        {IDC_KEY_ENTER, KeySend::character, 13},
        {IDC_KEY_SPACE, KeySend::character, 32},
        {IDC_KEY_DELETE, KeySend::deleteKey, 0x2E},
    };
    for (const auto &c : cases) {
        for (bool shifted : {false, true}) {
            SCOPED_TRACE(c.id);
            KeySend send = keySendFor(c.id, shifted);
            EXPECT_EQ(send.kind, c.kind);
            EXPECT_EQ(send.code, c.code);
            EXPECT_EQ(send.result, 0);
        }
    }
}

TEST(KeyboardSend, UnknownIdsAndShiftSendNothing) {
    for (int id : {0, 1, 2, 1051, IDC_KEY_SHIFT, 2002, 65535}) {
        KeySend send = keySendFor(id, false);
        EXPECT_EQ(send.kind, KeySend::nothing) << id;
        EXPECT_EQ(send.result, 0) << id;
    }
}

TEST(KeyboardAttach, FollowsOnlyANewForeignForegroundThread) {
    const unsigned long ui = 10, other = 20, attached = 30;
    EXPECT_TRUE(shouldAttachInput(other, ui, 0));
    EXPECT_TRUE(shouldAttachInput(other, ui, attached));
    EXPECT_FALSE(shouldAttachInput(0, ui, attached));         // no foreground window's thread
    EXPECT_FALSE(shouldAttachInput(ui, ui, attached));        // our own window is in front
    EXPECT_FALSE(shouldAttachInput(attached, ui, attached));  // already following it
}

}  // namespace
