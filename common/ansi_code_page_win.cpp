#include "common/ansi_code_page.h"

#include "win32/wide_path_win.h"

std::string utf8FromAnsi(const std::string &ansi) {
    if (ansi.empty())
        return std::string();
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (length <= 0)
        return std::string();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], length);
    return utf8Path(wide);
}

bool ansiFromUtf8(const std::string &utf8, std::string &ansi) {
    ansi.clear();
    if (utf8.empty())
        return true;
    const std::wstring wide = widePath(utf8);
    BOOL defaulted = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, &defaulted);
    if (size <= 0 || defaulted)
        return false;
    ansi.assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &ansi[0], size,
                        nullptr, &defaulted);
    // What the code page spells must read back as the same text.
    return !defaulted && utf8FromAnsi(ansi) == utf8;
}
