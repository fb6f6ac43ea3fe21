#include "engine/Checkpoint.h"

#include <atomic>
#include <utility>

namespace {
// One writer at a time: the window thread sets it to 1 (or to 0 before a worker exists), the worker
// clears it in the checkpoint. Atomic only so that the compiler keeps re-reading it in hot loops.
std::atomic<int> g_stopFlag{0};
StoppedHandler g_stoppedHandler;
}  // namespace

void RequestStop() { g_stopFlag.store(1, std::memory_order_relaxed); }
void ClearStop() { g_stopFlag.store(0, std::memory_order_relaxed); }
bool IsStopRequested() { return g_stopFlag.load(std::memory_order_relaxed) != 0; }

void SetStoppedHandler(StoppedHandler handler) { g_stoppedHandler = std::move(handler); }

void Checkpoint() {
    if (g_stopFlag.load(std::memory_order_relaxed) == 0) return;
    g_stopFlag.store(0, std::memory_order_relaxed);
    if (g_stoppedHandler) g_stoppedHandler();
    throw RunStopped{};
}
