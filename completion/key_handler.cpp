#include "completion/key_handler.h"

#include "config/settings.h"
#include "vocabulary/word_store.h"

using namespace forwarded_key;

namespace {

// Takes the row named by row ('1' first, '0' tenth; beyond '9' for a highlight past the tenth
// row, which completeSuggestion counts modulo the page). When nothing is taken (the store is
// busy, or the word ended while the key was on its way) the key does what it does without a
// list, so the keystroke is not lost: Ctrl+digit types its digit, Shift+Space a space, Enter is
// replayed.
void pick(WordStore &store, const KeyHandlerSeams &seams, const std::string &programKey, int row, int key,
          long flags) {
    std::string rest;
    if (store.completeSuggestion(row - '0', rest, programKey)) {
        for (unsigned char ch : rest)
            seams.sendImeChar(ch);
    } else if (key == kEnter) {
        seams.replayEnter();
    } else {
        seams.sendChar(key == kSpace ? ' ' : key, flags);
    }
    seams.hideList();
    store.reset();
}

} // namespace

int handleKey(WordStore &store, Settings &settings, const KeyHandlerSeams &seams, int key, long flags) {
    if (key == kShift)
        return 1;
    if (key == kDown || key == kUp) {
        if (key == kDown)
            store.selectNext();
        else
            store.selectPrevious();
        return 1;
    }

    std::string programKey, programPath;
    seams.focusedProgram(programKey, programPath);
    bool learning = settings.mayLearn(programKey, programPath);

    // The end of a word hides its list, even one that a letter handled after the hook's own hide
    // asked for again.
    if (key == kEscape) {
        seams.hideList();
        store.learnTypedWord(programKey, learning);
        store.reset();
        return 1;
    }
    if (key == kDelete) {
        int selected = store.selectedIndex();
        if (selected != -1) {
            store.deleteSuggestion(selected, programKey);
            seams.hideList();
            store.reset();
        }
        return 1;
    }

    if (key >= '0' && key <= '9') {
        pick(store, seams, programKey, key, key, flags);
    } else if (key == kSpace) {
        pick(store, seams, programKey, '1', key, flags);
    } else if (key == kEnter && store.selectedIndex() != -1) {
        pick(store, seams, programKey, '1' + store.selectedIndex(), key, flags);
    } else if (key == kEnter) {
        seams.replayEnter();
        seams.hideList();
        store.learnTypedWord(programKey, learning);
        store.reset();
    } else if (store.feedCharacter(static_cast<char>(key), programKey, learning)) {
        seams.showListAtCaret();
    } else {
        seams.hideList();
    }
    return 1;
}

ListPlacement placeList(int caretX, int caretY, int focusLeft, int focusTop, int lineHeight, int listWidth,
                        int listHeight) {
    int x = caretX < focusLeft ? focusLeft : caretX;
    int y = caretY < focusTop ? focusTop : caretY;
    return ListPlacement{x, y + lineHeight + 2, listWidth + 8, listHeight + 4};
}
