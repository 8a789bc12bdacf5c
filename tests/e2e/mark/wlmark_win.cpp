// A program of the launcher's end-to-end test: when it runs it leaves a mark beside itself
// ("<its path>.ran", one line per run with its arguments separated by tabs), so the test sees
// that the command window really started it, and with what (as a browser, the address).
// `wlmark --short PATH OUT` writes the short form of PATH to the file OUT instead (the test needs
// it to know the catalogue's item string, whose folder part is in short form), and
// `wlmark --rows COMBO OUT` the rows of a combo box of another process, one "data<TAB>text" a line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The wide message: Wine carries the ANSI CB_GETLBTEXT of an owner-drawn combo box across
// processes as if it were wide and overruns the buffer. The rows are ANSI text, so the wide copy
// converts back without loss.
int writeRows(HWND combo, const char *outPath) {
    FILE *out = std::fopen(outPath, "wb");
    if (!out)
        return 1;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, row, 0);
        std::wstring wide(length > 0 ? static_cast<size_t>(length) + 256 : 256, L'\0');
        if (length > 0)
            SendMessageW(combo, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(&wide[0]));
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof(text), nullptr, nullptr);
        LRESULT data = SendMessageW(combo, CB_GETITEMDATA, row, 0);
        std::fprintf(out, "%ld\t%s\n", static_cast<long>(data), text);
    }
    std::fclose(out);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc >= 4 && std::strcmp(__argv[1], "--rows") == 0)
        return writeRows(reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(__argv[2], nullptr, 0))),
                         __argv[3]);
    if (__argc >= 4 && std::strcmp(__argv[1], "--short") == 0) {
        char buffer[MAX_PATH] = "";
        DWORD length = GetShortPathNameA(__argv[2], buffer, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return 1;
        FILE *out = std::fopen(__argv[3], "wb");
        if (!out)
            return 1;
        std::fputs(buffer, out);
        std::fclose(out);
        return 0;
    }
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string mark = std::string(path) + ".ran";
    FILE *out = std::fopen(mark.c_str(), "ab");
    if (!out)
        return 1;
    std::string line = "ran";
    for (int i = 1; i < __argc; ++i)
        line += std::string("\t") + __argv[i];
    std::fputs((line + "\n").c_str(), out);
    std::fclose(out);
    return 0;
}
