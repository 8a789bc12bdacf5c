#pragma once

// Puts a variable into the data section that Windows maps once for every process loading the
// library. Such variables must be initialised, or the compiler moves them to an unshared
// zero-filled section.
#if defined(_MSC_VER)
#pragma section(".sdata", read, write, shared)
#pragma comment(linker, "/SECTION:.sdata,RWS")
#define LARKHOOK_SHARED __declspec(allocate(".sdata"))
#else
#define LARKHOOK_SHARED __attribute__((section(".sdata"), shared))
#endif
