#pragma once
// Runs one target's Scan on a worker thread of its own only to collect what it finds, for the
// details window. The walks report from several threads; the collector gathers their lines under
// a lock and the window takes them in batches: the first line posts the window one message (so
// the list shows at once), later lines wait for the window's timer, and the end posts one more.
// Nothing is sent per line.
#include "engine/FoundItems.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class CDetailsCollector : public FoundItems {
public:
    // What the worker runs; it may end by throwing the stop request.
    using Scan = std::function<void(FoundItems* sink)>;

    // `message` reaches `window` with wParam 0 for the first line and 1 at the end.
    CDetailsCollector(HWND window, UINT message);
    ~CDetailsCollector() override;  // stops and joins
    CDetailsCollector(const CDetailsCollector&) = delete;
    CDetailsCollector& operator=(const CDetailsCollector&) = delete;

    // False when no thread could be started.
    [[nodiscard]] bool Start(Scan scan);
    // Asks the scan to stop at its next checkpoint and waits for the worker.
    void Stop();
    bool Running() const { return running_.load(); }
    bool Stopped() const { return stopped_.load(); }

    void Add(const FoundItem& item) override;
    // The lines gathered since the last call.
    std::vector<FoundItem> Take();

private:
    void Work(const Scan& scan);

    HWND window_;
    UINT message_;
    std::mutex mutex_;
    std::vector<FoundItem> pending_;
    bool announced_ = false;  // under mutex_
    std::atomic<bool> running_{false};
    std::atomic<bool> stopped_{false};
    std::thread worker_;
};
