#pragma once

#include <windows.h>

#include "hooklib/key_decision.h"

// What a key types in a keyboard layout, with the keys held as given: a letter of the system's ANSI
// code page (its byte), a letter outside it, a dead key, or anything else. The layout's dead-key
// state is left as it is, so an accent the user typed still joins the program's next letter.
namespace hookstate {

struct TypedKey {
    hookkeys::Typed typed = hookkeys::Typed::Other;
    unsigned char letter = 0;
};

TypedKey typedKeyOf(UINT vk, UINT scanCode, const BYTE keys[256], HKL layout);

} // namespace hookstate
