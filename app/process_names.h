#pragma once

// The names by which Wordlark's processes are told from outside them: one main program per
// session holds its instance mutex, one helper its own, and the main program's hidden window is
// the one of its class without an owner. The installer's actions find a running Wordlark by them.
const char kInstanceMutexName[] = "MyWordlark";
const char kHelperMutexName[] = "Local\\WordlarkHookHelper";
// As string resource 109 gives it.
const char kMainWindowClass[] = "WORDLARK";
