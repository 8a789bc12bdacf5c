#pragma once

#include "hooklib/hook_state.h"

// The hook library's side of the shared block that the main program and the helper write through
// the exported setters (larkhook.h), and what each library records of its own hooks there.
namespace hookstate {

// The library of this build: the main program's own, or the helper's of the other bitness.
#ifdef WL_HOOK_HELPER_LIBRARY
const LibraryRole kRole = kHelperLibrary;
const LibraryRole kOtherRole = kMainLibrary;
#else
const LibraryRole kRole = kMainLibrary;
const LibraryRole kOtherRole = kHelperLibrary;
#endif

// The block for the installer of this library's hooks: set up anew, with everything the main
// program published, when another program spoiled it (the helper only finds it sound or not).
HookState *publishedHookState();

// Records in the block that this process's hooks of this library are installed, or removed.
void publishHooksInstalled(bool installed);

} // namespace hookstate
