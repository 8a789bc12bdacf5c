#pragma once

// Which hook library acts on a key. The 64-bit package runs two libraries: its own 64-bit one and
// the 32-bit one of its helper process. Windows calls each library's procedure for every key, in
// the program typed in when that program could load the library, and otherwise out of context on
// the thread that installed the hooks; a procedure reached through the other library's pass-on
// may run out of context too. Where the procedure runs says nothing about whose key it is: the
// bitness of the program typed in does, so exactly one library acts on each key.

namespace hookkeys {

enum class Bitness { Unknown, Bits32, Bits64 };

// What a library does with a key.
enum class KeyRole {
    Acts,         // completion and hot keys, with the context read from the program typed in
    HotKeysOnly,  // no library of the program's bitness runs: only the hot keys, which need nothing
                  // from that program, work there
    PassesOn,     // the other library acts: this one leaves the key alone entirely
};

struct KeyOwnerInput {
    Bitness library = Bitness::Unknown; // this library's own
    bool mainLibrary = true;            // the main program's library, not the helper's
    Bitness program = Bitness::Unknown; // the program typed in; Unknown when it cannot be asked
    // The other library's hooks are installed and the process that installed them runs.
    bool otherLibraryServes = false;
};

KeyRole decideKeyRole(const KeyOwnerInput &in);

} // namespace hookkeys
