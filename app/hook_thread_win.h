#pragma once

// The main program's hooks are installed by a thread that does nothing but pump messages. Windows
// runs the hook calls of the programs that cannot load the library (those of the other bitness) on
// the installing thread, and their input waits meanwhile: the user-interface thread, which may be
// busy in a dialog, a download or a program that does not answer, must never be that thread.
// Start and stop on the user-interface thread.
bool startHookThread();
// Removes the hooks and ends the thread (bounded: a hook call that never returns does not keep
// the program from ending).
void stopHookThread();
