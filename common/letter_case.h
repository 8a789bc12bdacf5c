#pragma once

// Upper and lower case of the letters of the ANSI code page that words are typed and stored in:
// A to Z, and the accented letters of the code page (Ä and ä, É and é in Windows-1252; А and а in
// Windows-1251). Windows-1252's pairs until the program installs those of the system's code page;
// a byte without a pair stays as it is (ß, digits, punctuation). Set once at start-up, before any
// word is typed, and read from any thread after.
char lowerLetter(char ch);
char upperLetter(char ch);

// Installs the pairs of another code page: for every byte its lower- and upper-case form.
void setLetterCase(const unsigned char lower[256], const unsigned char upper[256]);

// The system's code page, asked of Windows (common/letter_case_win.cpp).
void useSystemLetterCase();
