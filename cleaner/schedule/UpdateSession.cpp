#include "schedule/UpdateSession.h"

#include "platform/Text.h"
#include "schedule/UpdateProtocol.h"

#include <cstdlib>
#include <cwchar>

UpdateSession::UpdateSession(std::string baseAddress)
    : base_(std::move(baseAddress)),
      session_(::InternetOpenW(WideFromUtf8(kUserAgent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
    if (!session_) return;
    // A server that accepts and then says nothing must not hold the worker for ever.
    DWORD timeout = kTimeoutMs;
    ::InternetSetOptionW(session_.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    ::InternetSetOptionW(session_.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    ::InternetSetOptionW(session_.Get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
}

class UpdateSession::Request {
public:
    Request(UpdateSession& session, HINTERNET handle) : session_(session), handle_(handle) {}
    ~Request() { session_.CloseRequest(handle_); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;
    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    UpdateSession& session_;
    HINTERNET handle_;
};

HINTERNET UpdateSession::OpenRequest(const std::string& address) {
    HINTERNET session = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (cancelled_ || !session_) return nullptr;
        session = session_.Get();
    }
    constexpr DWORD kFlags = INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE |
                             INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    // Cancel may close the session meanwhile, which fails this call at once.
    HINTERNET request = ::InternetOpenUrlW(session, WideFromUtf8(address).c_str(), nullptr, 0, kFlags, 0);
    std::lock_guard<std::mutex> hold(lock_);
    if (request && cancelled_) {
        ::InternetCloseHandle(request);
        return nullptr;
    }
    open_ = request;
    return request;
}

void UpdateSession::CloseRequest(HINTERNET request) {
    if (!request) return;
    std::lock_guard<std::mutex> hold(lock_);
    if (open_ != request) return;  // Cancel closed it
    ::InternetCloseHandle(request);
    open_ = nullptr;
}

void UpdateSession::Cancel() {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
    if (open_) {
        ::InternetCloseHandle(open_);
        open_ = nullptr;
        return;
    }
    session_.Reset();
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
                                            const Progress& progress, std::vector<uint8_t>& out) {
    using update::FetchResult;
    out.clear();
    if (stop()) return FetchResult::Stopped;
    const Request request(*this, OpenRequest(base_ + EncodePath(relativeUrl)));
    if (stop()) return FetchResult::Stopped;
    if (!request) return FetchResult::Failed;

    // An error page is not the file: only a 2xx answer is.
    DWORD status = 0, size = sizeof status;
    if (!::HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status < 200 || status > 299)
        return FetchResult::Failed;
    wchar_t lengthText[32] = {};
    DWORD lengthSize = sizeof lengthText - sizeof(wchar_t);  // bytes
    bool lengthKnown = false;
    uint64_t length = 0;
    if (::HttpQueryInfoW(request.Get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr)) {
        wchar_t* end = nullptr;
        length = std::wcstoull(lengthText, &end, 10);
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
