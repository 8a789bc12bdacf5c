#pragma once

#include <string>

// The plain file name under which a member of the update cabinet may be written into the
// program folder. The cabinet is data from the network: any folder part, drive or ".." in its
// member name is dropped so that nothing lands outside the program folder. Returns an empty string
// when no safe name remains (empty, "." or "..", characters Windows forbids, device names such as
// "NUL", or the names of the two installed files, which are only ever replaced through their
// packaged names after their images have been checked).
std::string safeMemberName(const std::string &nameInCabinet);
