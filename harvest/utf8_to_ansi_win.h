#pragma once

#include <string>

// UTF-8 text in the system's ANSI code page, as the catalogue holds it: characters the code page
// lacks become their nearest match or '?', invalid UTF-8 becomes '?'. Titles of the browsers'
// JSON files pass through here.
std::string utf8ToAnsi(const std::string &utf8);
