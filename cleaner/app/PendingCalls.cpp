#include "app/PendingCalls.h"

#include <algorithm>

uint64_t PendingCalls::Publish(const Call* call) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint64_t token = 0;
    while (token == 0) token = random_();
    entries_.push_back({token, call});
    return token;
}

void PendingCalls::Withdraw(uint64_t token) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.token == token; }),
                   entries_.end());
}

const PendingCalls::Call* PendingCalls::Take(uint64_t token, uintptr_t call) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (token == 0 || it->token != token || reinterpret_cast<uintptr_t>(it->call) != call) continue;
        const Call* taken = it->call;
        entries_.erase(it);
        return taken;
    }
    return nullptr;
}
