#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <vector>

// The calls a worker thread is waiting on while it sends the window thread the message that
// carries one. Any process on the desktop can send the main window a message with any parameters,
// so the window thread runs a call only when both of them (the token in wParam, the call's address
// in lParam) name a call that is published here at that moment, and runs each call once.
class PendingCalls {
public:
    using Call = std::function<void()>;

    // Worker side: publishes the call before the message is sent; the token goes in wParam.
    [[nodiscard]] uint64_t Publish(const Call* call);
    // Worker side, after the send returned: the call is no longer waited on (also when it ran).
    void Withdraw(uint64_t token);

    // Window side: the published call the message names, taken so that it runs only once; null for
    // anything else (a stray or forged message, or one that arrives after the worker gave up).
    [[nodiscard]] const Call* Take(uint64_t token, uintptr_t call);

private:
    struct Entry {
        uint64_t token;
        const Call* call;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
    std::mt19937_64 random_{std::random_device{}()};
};
