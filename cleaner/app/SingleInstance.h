#pragma once
#include "platform/Handles.h"

#include <string>

// The single-instance rule: one running copy per executable path. A named mutex derived from the
// path decides between copies started at the same moment; the process count keeps out a copy of
// the same path that holds no mutex. Copies from other paths are not affected.
class SingleInstance {
public:
    explicit SingleInstance(const std::string& executablePath);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this copy may run; the claim lasts as long as the object.
    [[nodiscard]] bool Acquired() const { return acquired_; }

private:
    KernelHandle mutex_;
    bool acquired_ = false;
};
