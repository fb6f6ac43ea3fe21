#pragma once
#include <functional>

// The one process-wide stop request of a Scan or Kill run, and the checkpoint that every long loop
// of a run calls. When a stop was requested, the checkpoint clears it, lets the window thread handle
// the stopped run (synchronously, while the worker still waits here), and then unwinds the worker by
// throwing RunStopped. Only the top of a worker thread catches it; every handle on the way is owned
// by an RAII wrapper and released by the unwinding.

struct RunStopped {};

void RequestStop();
void ClearStop();
[[nodiscard]] bool IsStopRequested();

// Called on the worker thread only. Returns when no stop is requested; otherwise throws RunStopped
// after the stopped handler has run.
void Checkpoint();

// What the checkpoint does with a stopped run before unwinding: the application sends the main
// window its "run stopped" message here. Tests install their own handler.
using StoppedHandler = std::function<void()>;
void SetStoppedHandler(StoppedHandler handler);
