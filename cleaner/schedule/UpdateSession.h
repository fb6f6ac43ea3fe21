#pragma once
// The update's Internet session (WinINet): one GET at a time of an address below the base
// address, read in pieces of 1024 bytes, bounded, with connect and receive time-outs.
#include "platform/InternetHandles.h"
#include "schedule/UpdateProcedure.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
