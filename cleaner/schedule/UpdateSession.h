#pragma once
// The update's Internet session (WinINet): one GET at a time of an address below the base
// address, read in pieces of 1024 bytes, bounded, with connect and receive time-outs. Cancel, from
// any thread, closes the handle the worker is blocked on, which WinINet answers by failing the
// blocked call at once: a stop never waits for the network.
#include "platform/InternetHandles.h"
#include "schedule/UpdateProcedure.h"

#include <cstdint>
#include <functional>
#include <mutex>
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
                                               const Progress& progress, std::vector<uint8_t>& out);

    // Closes the open request, or the session while none is open (a connect in progress); every
    // later download ends as Stopped. Safe from any thread and more than once.
    void Cancel();

    // The relative name as it goes into the address: bytes other than letters, digits and
    // "-._~/" percent-encoded.
    static std::string EncodePath(const std::string& relativeUrl);

private:
    // The request of one download: its handle is closed here unless Cancel closed it first.
    class Request;
    [[nodiscard]] HINTERNET OpenRequest(const std::string& address);
    void CloseRequest(HINTERNET request);

    std::string base_;
    std::mutex lock_;          // guards the three below against Cancel
    InternetHandle session_;   // released by Cancel when it closes the session itself
    HINTERNET open_ = nullptr;  // the request being read, owned here until closed
    bool cancelled_ = false;
};
