#pragma once
// The update's Internet session (WinINet): one GET at a time of an address below the base
// address, read in pieces of 1024 bytes, bounded, with connect and receive time-outs.
#include "schedule/UpdateProcedure.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET h) : handle_(h) {}
    ~InternetHandle() { Reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    explicit operator bool() const { return handle_ != nullptr; }
    HINTERNET Get() const { return handle_; }
    void Reset() {
        if (handle_) ::InternetCloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HINTERNET handle_ = nullptr;
};

class UpdateSession {
public:
    static constexpr const char* kUserAgent = "ZEVeverar";
    static constexpr DWORD kTimeoutMs = 30000;

    // The system's proxy settings; `baseAddress` ends with '/'.
    explicit UpdateSession(std::string baseAddress);
    bool IsOpen() const { return static_cast<bool>(session_); }

    using StopCheck = std::function<bool()>;
    // Called with the per mille of the body received, for bodies over kProgressWithinFileFrom.
    using Progress = std::function<void(uint32_t perMille)>;
    // Failed for a connection or read error, a status other than 2xx, a body larger than `limit`
    // (announced or received) and a body shorter than its announced length.
    [[nodiscard]] update::FetchResult Download(const std::string& relativeUrl, size_t limit, const StopCheck& stop,
                                               const Progress& progress, std::vector<uint8_t>& out) const;

    // The relative name as it goes into the address: bytes other than letters, digits and
    // "-._~/" percent-encoded.
    static std::string EncodePath(const std::string& relativeUrl);

private:
    std::string base_;
    InternetHandle session_;
};
