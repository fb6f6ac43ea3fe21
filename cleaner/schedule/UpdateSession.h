#pragma once
// The update's Internet session (WinINet): one GET at a time of an address below the base
// address, read in pieces of 1024 bytes, bounded, with connect and receive time-outs. Each GET is
// read on a thread of its own while the worker waits for it looking at the stop request, so a stop
// never waits for the network: Cancel (any thread) closes the open request, which fails a blocked
// read at once, and the worker leaves the GET behind whether or not the read has returned yet.
#include "platform/InternetHandles.h"
#include "schedule/UpdateProcedure.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class UpdateSession {
public:
    static constexpr const char* kUserAgent = "ZEVeverar";
    // Also the longest the worker waits for a server that has stopped sending.
    static constexpr DWORD kTimeoutMs = 30000;
    // Before the one retry of a GET whose connection failed without an answer.
    static constexpr DWORD kRetryPauseMs = 500;

    // The system's proxy settings; `baseAddress` ends with '/'.
    explicit UpdateSession(std::string baseAddress);
    ~UpdateSession();
    UpdateSession(const UpdateSession&) = delete;
    UpdateSession& operator=(const UpdateSession&) = delete;
    bool IsOpen() const { return static_cast<bool>(session_); }

    using StopCheck = std::function<bool()>;
    // Called with the per mille of the body received, for bodies over kProgressWithinFileFrom.
    using Progress = std::function<void(uint32_t perMille)>;
    // Failed for a connection or read error, a status other than 2xx, a body larger than `limit`
    // (announced or received), a body shorter than its announced length and a server silent for
    // kTimeoutMs. A connection that fails before any answer is tried twice. Worker thread.
    [[nodiscard]] update::FetchResult Download(const std::string& relativeUrl, size_t limit, const StopCheck& stop,
                                               const Progress& progress, std::vector<uint8_t>& out);

    // Closes the open request; every download from now on ends as Stopped. Any thread.
    void Cancel();

    // The relative name as it goes into the address: bytes other than letters, digits and
    // "-._~/" percent-encoded.
    static std::string EncodePath(const std::string& relativeUrl);

private:
    class Transfer;
    update::FetchResult Attempt(const std::string& relativeUrl, size_t limit, const StopCheck& stop,
                                const Progress& progress, std::vector<uint8_t>& out, bool& answered);

    std::string base_;
    InternetHandle session_;
    std::mutex lock_;                    // guards the two below against Cancel
    std::shared_ptr<Transfer> current_;  // the GET the worker waits for
    bool cancelled_ = false;
};
