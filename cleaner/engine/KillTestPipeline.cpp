#include "engine/KillTestPipeline.h"

#include "engine/Checkpoint.h"
#include "engine/FileRemoval.h"
#include "engine/OpenedFolder.h"

#include <utility>

namespace {

// Below this many files a walk tests them itself: starting threads would cost more than it saves.
constexpr size_t kInlineFiles = 64;
// Files handed to a worker at a time, and how many may wait before the walk waits for the workers
// (so that memory stays small however large the folder).
constexpr size_t kBatchFiles = 64;
constexpr size_t kMaxQueuedFiles = 4096;
// Two workers keep one open in flight while the other's result comes back; more only queue up at
// the file system.
constexpr int kWorkers = 4;
// How often a waiting walk looks for a stop request.
constexpr DWORD kStopPollMs = 50;

class SrwGuard {
public:
    explicit SrwGuard(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~SrwGuard() { ::ReleaseSRWLockExclusive(&lock_); }
    SrwGuard(const SrwGuard&) = delete;
    SrwGuard& operator=(const SrwGuard&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

KillTestPipeline::KillTestPipeline() : sink_(CurrentFoundItems()) {}

KillTestPipeline::~KillTestPipeline() {
    {
        SrwGuard guard(lock_);
        closing_ = true;
        queue_.clear();
        queuedFiles_ = 0;
    }
    ::WakeAllConditionVariable(&changed_);
    for (const KernelHandle& worker : workers_) ::WaitForSingleObject(worker.Get(), INFINITE);
}

void KillTestPipeline::Add(const std::string& folder, const ListedName& file) {
    ++seen_;
    if (seen_ == kInlineFiles + 1) StartWorkers();
    Candidate candidate{OpenedFolder::Joined(folder, file.name), 0, 0, file.attributes, file.size, file.lastWrite};
    candidate.folderChars = static_cast<uint32_t>(folder.size());
    candidate.nameAt = static_cast<uint32_t>(candidate.path.size() - file.name.size());
    if (workers_.empty()) {
        if (Passes(candidate)) passed_.Add(RunCounters{1, 0, candidate.size});
        return;
    }
    pending_.push_back(std::move(candidate));
    if (pending_.size() >= kBatchFiles) HandOver();
}

bool KillTestPipeline::Passes(const Candidate& file) const {
    if (!CanKillFoundFile(file.path, file.attributes)) return false;
    if (sink_)
        sink_->Add(FoundItem{FoundItem::Kind::File, file.path.substr(0, file.folderChars),
                             file.path.substr(file.nameAt), file.size, file.lastWrite});
    return true;
}

RunCounters KillTestPipeline::Finish() {
    if (workers_.empty()) return passed_;
    if (!pending_.empty()) HandOver();
    WaitUntil([this] { return queue_.empty() && testing_ == 0; });
    SrwGuard guard(lock_);
    return passed_;
}

void KillTestPipeline::StartWorkers() {
    for (int i = 0; i < kWorkers; ++i) {
        KernelHandle thread(::CreateThread(nullptr, 64 * 1024, WorkerMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                           nullptr));
        // With no thread at all the walk goes on testing by itself.
        if (!thread) break;
        workers_.push_back(std::move(thread));
    }
}

void KillTestPipeline::HandOver() {
    WaitUntil([this] { return queuedFiles_ < kMaxQueuedFiles; });
    {
        SrwGuard guard(lock_);
        queuedFiles_ += pending_.size();
        queue_.push_back(std::move(pending_));
    }
    pending_ = Batch();
    pending_.reserve(kBatchFiles);
    ::WakeAllConditionVariable(&changed_);
}

template <typename Done>
void KillTestPipeline::WaitUntil(Done done) {
    for (;;) {
        {
            SrwGuard guard(lock_);
            if (done()) return;
            ::SleepConditionVariableSRW(&changed_, &lock_, kStopPollMs, 0);
            if (done()) return;
        }
        Checkpoint();  // outside the lock: a stop unwinds from here
    }
}

DWORD WINAPI KillTestPipeline::WorkerMain(void* self) {
    static_cast<KillTestPipeline*>(self)->Work();
    return 0;
}

void KillTestPipeline::Work() {
    SrwGuard guard(lock_);
    for (;;) {
        while (queue_.empty() && !closing_) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        if (closing_) return;
        Batch batch = std::move(queue_.front());
        queue_.pop_front();
        queuedFiles_ -= batch.size();
        ++testing_;
        ::ReleaseSRWLockExclusive(&lock_);
        ::WakeAllConditionVariable(&changed_);

        RunCounters passed;
        for (const Candidate& file : batch) {
            if (Passes(file)) passed.Add(RunCounters{1, 0, file.size});
        }

        ::AcquireSRWLockExclusive(&lock_);
        passed_.Add(passed);
        --testing_;
        ::WakeAllConditionVariable(&changed_);
    }
}
