#include "schedule/UpdateSession.h"

#include "schedule/UpdateProtocol.h"

#include <cstdlib>

UpdateSession::UpdateSession(std::string baseAddress)
    : base_(std::move(baseAddress)),
      session_(::InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
    if (!session_) return;
    // A server that accepts and then says nothing must not hold the worker for ever.
    DWORD timeout = kTimeoutMs;
    ::InternetSetOptionA(session_.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    ::InternetSetOptionA(session_.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    ::InternetSetOptionA(session_.Get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
}

std::string UpdateSession::EncodePath(const std::string& relativeUrl) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : relativeUrl) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            out += static_cast<char>(c);
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

update::FetchResult UpdateSession::Download(const std::string& relativeUrl, size_t limit, const StopCheck& stop,
                                            const Progress& progress, std::vector<uint8_t>& out) const {
    using update::FetchResult;
    out.clear();
    if (stop()) return FetchResult::Stopped;
    if (!session_) return FetchResult::Failed;
    const std::string address = base_ + EncodePath(relativeUrl);
    constexpr DWORD kFlags = INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE |
                             INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    InternetHandle request(::InternetOpenUrlA(session_.Get(), address.c_str(), nullptr, 0, kFlags, 0));
    if (stop()) return FetchResult::Stopped;
    if (!request) return FetchResult::Failed;

    // An error page is not the file: only a 2xx answer is.
    DWORD status = 0, size = sizeof status;
    if (!::HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status < 200 || status > 299)
        return FetchResult::Failed;
    char lengthText[32] = {};
    DWORD lengthSize = sizeof lengthText - 1;
    bool lengthKnown = false;
    uint64_t length = 0;
    if (::HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr)) {
        char* end = nullptr;
        length = std::strtoull(lengthText, &end, 10);
        lengthKnown = end != lengthText;
    }
    if (lengthKnown && length > limit) return FetchResult::Failed;
    const bool reportProgress = progress && lengthKnown && length > update::kProgressWithinFileFrom;

    uint32_t reported = 0;
    uint8_t piece[1024];
    for (;;) {
        DWORD got = 0;
        const BOOL read = ::InternetReadFile(request.Get(), piece, sizeof piece, &got);
        if (stop()) return FetchResult::Stopped;
        if (!read) return FetchResult::Failed;
        if (got == 0) break;
        if (got > limit - out.size()) return FetchResult::Failed;
        out.insert(out.end(), piece, piece + got);
        if (!reportProgress) continue;
        const uint32_t perMille = update::PerMille(out.size(), length);
        if (perMille >= reported + 10 || (perMille == update::kPerMille && reported != perMille)) {
            reported = perMille;
            progress(perMille);
        }
    }
    if (lengthKnown && out.size() != length) return FetchResult::Failed;  // the connection ended early
    return FetchResult::Ok;
}
