#include "hooklib/key_owner.h"

namespace hookkeys {

KeyRole decideKeyRole(const KeyOwnerInput &in) {
    if (in.program != Bitness::Unknown && in.program == in.library)
        return KeyRole::Acts;
    // The program is of the other bitness, or could not be asked (a process this user may not
    // open). The helper's library never speaks for the main program's bitness; the main library
    // keeps the hot keys alive wherever no library of the program's own bitness serves it.
    if (!in.mainLibrary)
        return KeyRole::PassesOn;
    if (in.program != Bitness::Unknown && in.otherLibraryServes)
        return KeyRole::PassesOn;
    return KeyRole::HotKeysOnly;
}

} // namespace hookkeys
