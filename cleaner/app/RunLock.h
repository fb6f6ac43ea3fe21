#pragma once
#include "app/RunExclusion.h"
#include "platform/Handles.h"

#include <string>

// The run exclusion as a named mutex per user. The name lives in the global namespace, so a run
// of a scheduled task in another session of the same user is kept out too; the user's SID in the
// name keeps other users' runs apart. A process that ends while holding it leaves it abandoned,
// which the next claim takes over: a crashed run never blocks the next one.
class RunLock : public RunExclusion {
public:
    RunLock();
    ~RunLock() override;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    [[nodiscard]] bool TryClaim() override;
    void Release() override;

    static std::string Name();

private:
    KernelHandle mutex_;  // held only while claimed
};
