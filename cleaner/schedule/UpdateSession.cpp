#include "schedule/UpdateSession.h"

#include "platform/Text.h"
#include "schedule/UpdateProtocol.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cwchar>
#include <thread>
#include <utility>

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

UpdateSession::~UpdateSession() { Cancel(); }

// One GET on its own thread, shared with the worker that waits for it. Left behind by a stop or a
// silent server, it is cancelled: its request is closed, and what it still receives is dropped
// with it when its thread ends.
class UpdateSession::Transfer {
public:
    void Run(HINTERNET session, const std::wstring& address, size_t limit) {
        constexpr DWORD kFlags = INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE |
                                 INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
        // A fresh connection for every file: a kept-alive one that the server closes while the next
        // request goes out on it leaves that request unanswered until the time-out.
        static const wchar_t kHeaders[] = L"Connection: close\r\n";
        HINTERNET request = ::InternetOpenUrlW(session, address.c_str(), kHeaders, static_cast<DWORD>(-1), kFlags, 0);
        {
            std::lock_guard<std::mutex> hold(lock);
            if (request && cancelled) {
                ::InternetCloseHandle(request);
                request = nullptr;
            }
            request_ = request;
        }
        const update::FetchResult result = request ? Read(request, limit) : update::FetchResult::Failed;
        std::lock_guard<std::mutex> hold(lock);
        if (request && request_ == request) ::InternetCloseHandle(request);  // not closed by Cancel
        request_ = nullptr;
        this->result = result;
        done = true;
        changed.notify_all();
    }

    void Cancel() {
        HINTERNET request = nullptr;
        {
            std::lock_guard<std::mutex> hold(lock);
            cancelled = true;
            request = std::exchange(request_, nullptr);
        }
        if (!request) return;
        // Closing fails a blocked read on Windows; Wine's close instead waits for the read to
        // return, so it happens on a thread of its own and the caller (the window thread) goes on.
        try {
            std::thread([request] { ::InternetCloseHandle(request); }).detach();
        } catch (...) {
            ::InternetCloseHandle(request);
        }
    }

    std::mutex lock;  // guards everything below
    std::condition_variable changed;
    bool done = false;
    bool cancelled = false;
    bool answered = false;  // the server sent a status line
    update::FetchResult result = update::FetchResult::Failed;
    std::vector<uint8_t> bytes;
    uint64_t length = 0;  // announced, when lengthKnown
    bool lengthKnown = false;

private:
    update::FetchResult Read(HINTERNET request, size_t limit) {
        using update::FetchResult;
        // An error page is not the file: only a 2xx answer is.
        DWORD status = 0, size = sizeof status;
        if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            return FetchResult::Failed;
        // Wine reports status 0 for a connection closed before any status line: no answer.
        if (status < 100) return FetchResult::Failed;
        {
            std::lock_guard<std::mutex> hold(lock);
            answered = true;
        }

        if (status < 200 || status > 299) return FetchResult::Failed;
        wchar_t lengthText[32] = {};
        DWORD lengthSize = sizeof lengthText - sizeof(wchar_t);  // bytes
        if (::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr)) {
            wchar_t* end = nullptr;
            const uint64_t announced = std::wcstoull(lengthText, &end, 10);
            if (end != lengthText) {
                if (announced > limit) return FetchResult::Failed;
                std::lock_guard<std::mutex> hold(lock);
                length = announced;
                lengthKnown = true;
            }
        }
        uint8_t piece[1024];
        for (;;) {
            DWORD got = 0;
            if (!::InternetReadFile(request, piece, sizeof piece, &got)) return FetchResult::Failed;
            std::lock_guard<std::mutex> hold(lock);
            if (cancelled) return FetchResult::Stopped;
            if (got == 0) break;
            if (got > limit - bytes.size()) return FetchResult::Failed;
            bytes.insert(bytes.end(), piece, piece + got);
            changed.notify_all();
        }
        std::lock_guard<std::mutex> hold(lock);
        if (lengthKnown && bytes.size() != length) return FetchResult::Failed;  // the connection ended early
        return FetchResult::Ok;
    }

    HINTERNET request_ = nullptr;  // open, and not yet closed by either side
};

void UpdateSession::Cancel() {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
    if (current_) current_->Cancel();
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
    // A connection that fails before the server says anything (refused, reset, a dropped SYN on a
    // busy link) is tried once more after a short pause; an answer of any kind is final.
    bool answered = false;
    FetchResult result = Attempt(relativeUrl, limit, stop, progress, out, answered);
    if (result != FetchResult::Failed || answered || !out.empty()) return result;
    for (DWORD waited = 0; waited < kRetryPauseMs; waited += 50) {
        if (stop()) return FetchResult::Stopped;
        ::Sleep(50);
    }
    return Attempt(relativeUrl, limit, stop, progress, out, answered);
}

update::FetchResult UpdateSession::Attempt(const std::string& relativeUrl, size_t limit, const StopCheck& stop,
                                           const Progress& progress, std::vector<uint8_t>& out, bool& answered) {
    using update::FetchResult;
    out.clear();
    if (stop()) return FetchResult::Stopped;
    if (!session_) return FetchResult::Failed;
    auto transfer = std::make_shared<Transfer>();
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (cancelled_) return FetchResult::Stopped;
        current_ = transfer;
    }
    struct Forget {
        UpdateSession& session;
        ~Forget() {
            std::lock_guard<std::mutex> hold(session.lock_);
            session.current_.reset();
        }
    } forget{*this};
    try {
        std::thread([transfer, session = session_.Get(), address = WideFromUtf8(base_ + EncodePath(relativeUrl)),
                     limit] { transfer->Run(session, address, limit); })
            .detach();
    } catch (...) {
        return FetchResult::Failed;  // no thread to read with
    }

    size_t seen = 0;
    uint32_t reported = 0;
    DWORD quietSince = ::GetTickCount();
    std::unique_lock<std::mutex> hold(transfer->lock);
    while (!transfer->done) {
        transfer->changed.wait_for(hold, std::chrono::milliseconds(50));
        if (transfer->done) break;
        const size_t received = transfer->bytes.size();
        const bool reportProgress = progress && transfer->lengthKnown && transfer->length > update::kProgressWithinFileFrom;
        const uint32_t perMille = reportProgress ? update::PerMille(received, transfer->length) : 0;
        hold.unlock();
        if (stop()) {
            transfer->Cancel();
            return FetchResult::Stopped;
        }
        if (received != seen) {
            seen = received;
            quietSince = ::GetTickCount();
        } else if (::GetTickCount() - quietSince > kTimeoutMs) {
            transfer->Cancel();
            return FetchResult::Failed;
        }
        if (reportProgress && perMille >= reported + 10) {
            reported = perMille;
            progress(perMille);
        }
        hold.lock();
    }
    const FetchResult result = transfer->result;
    answered = transfer->answered;
    const bool reportProgress = progress && transfer->lengthKnown && transfer->length > update::kProgressWithinFileFrom;
    out = std::move(transfer->bytes);
    hold.unlock();
    if (stop()) return FetchResult::Stopped;
    if (result == FetchResult::Ok && reportProgress && reported != update::kPerMille) progress(update::kPerMille);
    return result;
}
