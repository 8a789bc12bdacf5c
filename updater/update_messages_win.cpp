#include "updater/update_messages_win.h"

#include "win32/wide_path_win.h"

namespace {

const char kErrorCaption[] = "Wordlark Update Error";
const char kConfirmationCaption[] = "Wordlark Update Confirmation";
const char kUpdatedText[] =
    "You have successfully updated Wordlark.\nYou may need to restart Wordlark to make them effect.";
const char kLatestText[] = "You already have the latested version of Wordlark.";

// Owner of a buffer that FormatMessageW allocated.
class LocalBuffer {
public:
    LocalBuffer() = default;
    ~LocalBuffer() {
        if (text_)
            LocalFree(text_);
    }
    LocalBuffer(const LocalBuffer &) = delete;
    LocalBuffer &operator=(const LocalBuffer &) = delete;

    wchar_t **out() { return &text_; }
    const wchar_t *get() const { return text_ ? text_ : L""; }

private:
    wchar_t *text_ = nullptr;
};

} // namespace

void showUpdateError(const std::string &text) {
    // The text may name a file of the program folder, in UTF-8 like every path.
    MessageBoxW(nullptr, widePath(text).c_str(), widePath(kErrorCaption).c_str(), MB_TOPMOST | MB_ICONWARNING);
}

std::string systemErrorText(DWORD error) {
    LocalBuffer text;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives the allocated pointer.
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                   error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t *>(text.out()), 0,
                   nullptr);
    std::string result = utf8Path(text.get(), lstrlenW(text.get()));
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    if (result.empty())
        result = "Error " + std::to_string(error) + ".";
    return result;
}

void showUpdateOutcome(bool updated) {
    MessageBoxA(nullptr, updated ? kUpdatedText : kLatestText, kConfirmationCaption, MB_OK);
}
