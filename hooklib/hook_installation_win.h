#pragma once

#include <windows.h>

// Where this library's hooks are installed: the main program's global hooks (Start), the
// helper's hooks on the threads of the programs of its bitness (ServeThreadOf), and their removal
// (Stop). The handles belong to the process that installed them, never to the block or a section
// shared by every process: another user's Wordlark loads the same library.
namespace hookstate {

// The library's own module, for installing its procedures.
void setHookModule(HINSTANCE module);

// True on a thread that installed this library's hooks: Windows calls a hook procedure there out
// of context, for a program that cannot load the library, and the key is then the foreground
// program's. Anywhere else the procedure runs in the thread that reads the key.
bool isInstallingThread();

} // namespace hookstate
