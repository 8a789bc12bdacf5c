#pragma once

// Which hook library acts on a key. The 64-bit package runs two libraries: its own 64-bit one and
// the 32-bit one of its helper process. Windows calls each library's procedure for every key, in
// the program typed in when that program could load the library, and otherwise out of context on
// the thread that installed the hooks; a procedure reached through the other library's pass-on
// may run out of context too. In context the key is the reading thread's own, and that program is
// of the library's bitness; out of context the program is the foreground's, and its bitness
// decides, so that exactly one library acts on each key.

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
    // The procedure runs in the thread that reads the key (not on an installing thread, where
    // Windows calls it out of context).
    bool inContext = false;
    // Out of context: the program that owns the foreground window; Unknown when there is none or
    // it cannot be asked.
    Bitness program = Bitness::Unknown;
    // The other library's hooks are installed and the process that installed them runs.
    bool otherLibraryServes = false;
};

KeyRole decideKeyRole(const KeyOwnerInput &in);

} // namespace hookkeys
