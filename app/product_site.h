#pragma once

// The product's web site; the tray menu's Help opens a page on it.
const char kHelpPageAddress[] = "https://www.wordlark.org/wordlark/help.htm";
