#pragma once

#include <string>
#include <string_view>

// The initials by which an item can be found ("vsc" for Visual Studio Code): the first letter or
// digit of each word of the item's name, lowered. The name is a titled item's title, or a path
// item's last component without its extension. Words end at every byte that is not a letter or a
// digit (bytes above 127 count as letters) and before a capital that follows a small letter
// ("NotePad" is two words). At most kMaxInitials are kept.
std::string nameInitials(std::string_view item);

constexpr size_t kMaxInitials = 15;
