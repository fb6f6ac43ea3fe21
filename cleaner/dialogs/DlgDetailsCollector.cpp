#include "dialogs/DlgDetailsCollector.h"

#include "engine/Checkpoint.h"

#include <utility>

CDetailsCollector::CDetailsCollector(HWND window, UINT message) : window_(window), message_(message) {}

CDetailsCollector::~CDetailsCollector() { Stop(); }

bool CDetailsCollector::Start(Scan scan) {
    if (worker_.joinable()) return false;
    ClearStop();
    // The checkpoint's handler tells the main window that its run stopped; this run is not its
    // own, and the main window's thread waits in Stop() while it ends.
    SetStoppedHandler(nullptr);
    running_ = true;
    try {
        worker_ = std::thread([this, scan = std::move(scan)] { Work(scan); });
    } catch (...) {
        running_ = false;
        return false;
    }
    return true;
}

void CDetailsCollector::Work(const Scan& scan) {
    try {
        scan(this);
    } catch (const RunStopped&) {
        stopped_ = true;
    } catch (...) {
        // Nothing may leave a thread entry; the window shows what came so far.
    }
    running_ = false;
    ::PostMessageW(window_, message_, 1, 0);
}

void CDetailsCollector::Stop() {
    if (!worker_.joinable()) return;
    if (running_) RequestStop();
    worker_.join();
    // A scan that ended before it reached a checkpoint leaves the request behind.
    ClearStop();
}

void CDetailsCollector::Add(const FoundItem& item) {
    bool announce = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_.push_back(item);
        announce = !announced_;
        announced_ = true;
    }
    if (announce) ::PostMessageW(window_, message_, 0, 0);
}

std::vector<FoundItem> CDetailsCollector::Take() {
    std::vector<FoundItem> batch;
    const std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(pending_);
    return batch;
}
