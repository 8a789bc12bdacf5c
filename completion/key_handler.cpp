#include "completion/key_handler.h"

#include "config/settings.h"
#include "vocabulary/word_store.h"

using namespace forwarded_key;

namespace {

// Takes the row named by row ('1' first, '0' tenth; beyond '9' for a highlight past the tenth
// row, which completeSuggestion counts modulo the page); a correction first erases the typed
// letters. When nothing is taken (the store is busy, or the word ended while the key was on its
// way) the key does what it does without a list, so the keystroke is not lost: Ctrl+digit types
// its digit, Shift+Space a space, Enter is replayed.
void pick(WordStore &store, const KeyHandlerSeams &seams, const std::string &programKey, bool learning, int row,
          int key, long flags) {
    std::string rest;
    int erase = 0;
    if (store.completeSuggestion(row - '0', rest, erase, programKey, learning)) {
        if (erase > 0)
            seams.eraseTyped(erase);
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

    long long place = seams.typingPlace ? seams.typingPlace() : 0;
    // Escape ends the word (the hook sends it for a space, a punctuation mark or any other key):
    // the word becomes the context of the next one, typed where this one ended. The end of a word
    // hides its list, even one that a letter handled after the hook's own hide asked for again.
    if (key == kEscape) {
        seams.hideList();
        store.learnTypedWord(programKey, learning);
        store.reset();
        store.placeContext(programKey, place);
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
        pick(store, seams, programKey, learning, key, key, flags);
    } else if (key == kSpace) {
        pick(store, seams, programKey, learning, '1', key, flags);
    } else if (key == kEnter && store.selectedIndex() != -1) {
        pick(store, seams, programKey, learning, '1' + store.selectedIndex(), key, flags);
    } else if (key == kEnter) {
        seams.replayEnter();
        seams.hideList();
        store.learnTypedWord(programKey, learning);
        store.reset();
        store.dropContext(programKey); // a new line starts afresh
    } else {
        // The first letter of a word: the word before it counts only if it ended here.
        if (key != kBackspace && store.typedLength() == 0)
            store.placeContext(programKey, place);
        if (store.feedCharacter(static_cast<char>(key), programKey, learning))
            seams.showListAtCaret();
        else
            seams.hideList();
    }
    return 1;
}

ListPlacement placeList(int caretX, int caretY, int focusLeft, int focusTop, int lineHeight, int listWidth,
                        int listHeight, const ScreenArea &workArea) {
    const int gap = 2;
    ListPlacement p{caretX < focusLeft ? focusLeft : caretX, 0, listWidth + 8, listHeight + 4};
    const int lineTop = caretY < focusTop ? focusTop : caretY;
    p.y = lineTop + lineHeight + gap;
    if (workArea.right <= workArea.left || workArea.bottom <= workArea.top)
        return p;
    if (p.y + p.height > workArea.bottom) {
        // No room below the caret line: above it, or, on a screen too short for either, as low
        // as the screen lets it lie whole.
        const int above = lineTop - gap - p.height;
        p.y = above >= workArea.top ? above : workArea.bottom - p.height;
    }
    if (p.y < workArea.top)
        p.y = workArea.top;
    if (p.x + p.width > workArea.right)
        p.x = workArea.right - p.width;
    if (p.x < workArea.left)
        p.x = workArea.left;
    return p;
}
