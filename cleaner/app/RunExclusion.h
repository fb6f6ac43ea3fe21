#pragma once

// One Scan or Kill at a time across the processes of a user: the window's action driver and every
// console run claim it before they start and release it when they end. Two runs over the same
// folders and the same config.cfg would count each other's removals and lose totals.
class RunExclusion {
public:
    virtual ~RunExclusion() = default;
    // False while another process's run holds it.
    [[nodiscard]] virtual bool TryClaim() = 0;
    // Only after a successful claim, on the thread that claimed.
    virtual void Release() = 0;
};
