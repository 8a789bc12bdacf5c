#include "hooklib/key_owner.h"

namespace hookkeys {

KeyRole decideKeyRole(const KeyOwnerInput &in) {
    // A program loads only the library of its own bitness: in context the key is this library's.
    if (in.inContext)
        return KeyRole::Acts;
    if (in.program != Bitness::Unknown && in.program == in.library)
        return KeyRole::Acts;
    // The program is of the other bitness, or none can be named (no foreground window). The
    // helper's library never speaks for the main program's bitness; where the other library runs,
    // it is the one called in the program's own thread. The main library keeps the hot keys alive
    // only where no library of the program's bitness serves it.
    if (!in.mainLibrary || in.otherLibraryServes)
        return KeyRole::PassesOn;
    return KeyRole::HotKeysOnly;
}

} // namespace hookkeys
