#include "updater/update_download_win.h"

#include "win32/internet_handle_win.h"
#include "win32/wide_path_win.h"

#include <cstdio>
#include <vector>

namespace {

const DWORD kConnectTimeoutMs = 20000;
const DWORD kTransferTimeoutMs = 30000;
const DWORD kReadPiece = 64 * 1024;
const DWORD kHttpOk = 200;
const DWORD kHttpNotFound = 404;
// ERROR_INTERNET_SECURE_FAILURE, which mingw-w64's wininet.h lacks.
const DWORD kInternetSecureFailure = 12175;

std::string withCode(const char *text, DWORD error) {
    char code[32];
    std::snprintf(code, sizeof(code), " (error %lu)", static_cast<unsigned long>(error));
    return text + std::string(code);
}

// WinINet's errors in plain words; Windows keeps their texts in wininet.dll, which not every
// system carries (Wine's has none), so the common ones are spelt out here.
std::string describeInternetError(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return withCode("the server's name could not be found; is the computer connected to the Internet?", error);
    case ERROR_INTERNET_CANNOT_CONNECT:
        return withCode("the server refused the connection or could not be reached", error);
    case ERROR_INTERNET_TIMEOUT:
        return withCode("the server did not answer in time", error);
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
        return withCode("the connection to the server was broken off", error);
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
        return withCode("the server's answer could not be understood", error);
    case kInternetSecureFailure:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
        return withCode("the server's certificate could not be trusted", error);
    default:
        break;
    }
    // The messages' texts are UTF-8, whatever the system's language.
    wchar_t text[512] = L"";
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
        GetModuleHandleA("wininet.dll"), error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L'.' ||
                          text[length - 1] == L' '))
        --length;
    return withCode(length > 0 ? utf8Path(text, length).c_str() : "the download failed", error);
}

UpdateFetch failed(const std::string &why) {
    UpdateFetch result;
    result.outcome = UpdateFetch::Failed;
    result.failure = why;
    return result;
}

bool queryNumber(HINTERNET request, DWORD what, DWORD &number) {
    DWORD size = sizeof(number);
    return HttpQueryInfoA(request, what | HTTP_QUERY_FLAG_NUMBER, &number, &size, nullptr) != FALSE;
}

std::string statusText(HINTERNET request) {
    char text[128] = "";
    DWORD size = sizeof(text);
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_TEXT, text, &size, nullptr))
        return std::string();
    return std::string(text, size < sizeof(text) ? size : 0);
}

} // namespace

UpdateFetch fetchUpdateFile(const std::string &url, size_t maximumSize, std::string &bytes) {
    bytes.clear();
    InternetHandle session(InternetOpenA("Wordlark", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return failed(describeInternetError(GetLastError()));
    // The defaults wait minutes on a server that accepts and never answers, while the program's
    // windows are frozen: the update runs on the user-interface thread.
    DWORD connectTimeout = kConnectTimeoutMs, transferTimeout = kTransferTimeoutMs;
    InternetSetOptionA(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout, sizeof(connectTimeout));
    InternetSetOptionA(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &transferTimeout, sizeof(transferTimeout));
    InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &transferTimeout, sizeof(transferTimeout));

    // An update served from the cache could be an old one, or one that a proxy kept.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
    InternetHandle request(InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0, flags, 0));
    if (!request)
        return failed(describeInternetError(GetLastError()));

    DWORD status = 0;
    if (!queryNumber(request.get(), HTTP_QUERY_STATUS_CODE, status))
        return failed(describeInternetError(ERROR_HTTP_INVALID_SERVER_RESPONSE));
    if (status == kHttpNotFound) {
        UpdateFetch result;
        result.outcome = UpdateFetch::NotFound;
        return result;
    }
    if (status != kHttpOk) {
        char answer[64];
        std::snprintf(answer, sizeof(answer), "the server answered %lu", static_cast<unsigned long>(status));
        std::string text = statusText(request.get());
        return failed(text.empty() ? answer : answer + (" " + text));
    }

    DWORD announced = 0;
    const bool lengthKnown = queryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH, announced);
    if (lengthKnown && announced > maximumSize)
        return failed("the file on the server is larger than an update can be");
    std::vector<char> piece(kReadPiece);
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.get(), piece.data(), kReadPiece, &got))
            return failed(describeInternetError(GetLastError()));
        if (got == 0)
            break;
        if (bytes.size() + got > maximumSize)
            return failed("the file on the server is larger than an update can be");
        bytes.append(piece.data(), got);
    }
    if (lengthKnown && bytes.size() != announced)
        return failed("the transfer was cut off before its end");

    UpdateFetch result;
    result.outcome = UpdateFetch::Fetched;
    return result;
}
