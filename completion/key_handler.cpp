#include "completion/key_handler.h"

#include "config/settings.h"
#include "vocabulary/word_store.h"

using namespace forwarded_key;

namespace {

// Tests and benchmarks that hand keys over directly leave the claim out: their keys are theirs.
bool claimed(const KeyHandlerSeams &seams) { return !seams.claimKey || seams.claimKey(); }
bool followed(const KeyHandlerSeams &seams) { return !seams.followKey || seams.followKey(); }

// The word ends where the program's text ends it: a space (Escape stands for it and for every key
// that is neither a letter nor one the list acts on) or the end of a line. The word becomes the
// context of the next one, typed where this one ended; a new line starts afresh. The end of a word
// hides its list, even one that a letter handled after the hook's own hide asked for again.
void endWord(WordStore &store, const KeyHandlerSeams &seams, const std::string &programKey, bool learning,
             long long place, bool newLine) {
    seams.hideList();
    store.learnTypedWord(programKey, learning);
    store.reset();
    if (newLine)
        store.dropContext(programKey);
    else
        store.placeContext(programKey, place);
}

// Takes the row named by row ('1' first, '0' tenth; beyond '9' for a highlight past the tenth
// row, which completeSuggestion counts modulo the page) and types the rest of its word; a
// correction first erases the typed letters. The key is claimed only when there is a row to take,
// under the store's lock, so that a key Wordlark takes is always acted on and every other key is
// the program's.
bool pick(WordStore &store, const KeyHandlerSeams &seams, const std::string &programKey, bool learning, int row) {
    ThreadMutexLock hold(store.lock(), store.lock().tryWait());
    if (!hold.acquired() || !store.canComplete(row - '0') || !claimed(seams))
        return false;
    std::string rest;
    int erase = 0;
    store.completeSuggestion(row - '0', rest, erase, programKey, learning);
    if (erase > 0 && seams.eraseTyped)
        seams.eraseTyped(erase);
    for (unsigned char ch : rest)
        seams.sendImeChar(ch);
    seams.hideList();
    store.reset();
    return true;
}

// Shift+Up and Shift+Down move the highlight while there is a list; otherwise, or when the key
// reached the program already, the program moved its caret or selection away from the word, which
// ends there unlearned.
int moveHighlight(WordStore &store, const KeyHandlerSeams &seams, int key) {
    bool listed = false;
    {
        ThreadMutexLock hold(store.lock(), store.lock().tryWait());
        listed = hold.acquired() && !store.suggestions().empty();
    }
    if (listed && claimed(seams)) {
        if (key == kDown)
            store.selectNext();
        else
            store.selectPrevious();
        return kTaken;
    }
    if (followed(seams)) {
        seams.hideList();
        store.reset();
    }
    return kNotTaken;
}

} // namespace

int handleKey(WordStore &store, Settings &settings, const KeyHandlerSeams &seams, int key) {
    if (key == kShift)
        return kNotTaken;
    if (key == kDown || key == kUp)
        return moveHighlight(store, seams, key);
    if (key == kForeignLetter) {
        // A word the vocabularies cannot hold: no list, nothing learned.
        seams.hideList();
        store.reset();
        return kNotTaken;
    }

    std::string programKey, programPath;
    seams.focusedProgram(programKey, programPath);
    bool learning = settings.mayLearn(programKey, programPath);
    long long place = seams.typingPlace ? seams.typingPlace() : 0;

    switch (key) {
    case kEscape:
        endWord(store, seams, programKey, learning, place, false);
        return kNotTaken;
    case kDelete: {
        // Delete reaches the program as well; the highlighted word is forgotten only when the key
        // came in time.
        const int selected = store.selectedIndex();
        if (selected != -1 && claimed(seams)) {
            store.deleteSuggestion(selected, programKey);
            seams.hideList();
            store.reset();
        } else {
            followed(seams);
        }
        return kNotTaken;
    }
    case kSpace:
        if (pick(store, seams, programKey, learning, '1'))
            return kTaken;
        if (followed(seams))
            endWord(store, seams, programKey, learning, place, false);
        return kNotTaken;
    case kEnter: {
        const int selected = store.selectedIndex();
        if (selected != -1 && pick(store, seams, programKey, learning, '1' + selected))
            return kTaken;
        if (followed(seams))
            endWord(store, seams, programKey, learning, place, true);
        return kNotTaken;
    }
    case kBackspace:
        // The program erases a letter itself: the word loses it too, once, whether the key came in
        // time or the word follows it later.
        if (!claimed(seams) && !followed(seams))
            return kNotTaken;
        break;
    default:
        break;
    }
    // Ctrl+digit types nothing in the program; the hook ends the word after it either way.
    if (key >= '0' && key <= '9') {
        if (pick(store, seams, programKey, learning, key))
            return kTaken;
        followed(seams);
        return kNotTaken;
    }

    // A letter or Backspace, which the program types or erases itself. The first letter of a word:
    // the word before it counts only if it ended here.
    if (key != kBackspace && store.typedLength() == 0)
        store.placeContext(programKey, place);
    if (store.feedCharacter(static_cast<char>(key), programKey, learning))
        seams.showListAtCaret();
    else
        seams.hideList();
    return kNotTaken;
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
