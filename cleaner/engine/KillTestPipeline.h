#pragma once
#include "engine/FoundItems.h"
#include "engine/RunCounters.h"
#include "platform/DirectoryListing.h"
#include "platform/Handles.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Counts the files of a Scan walk that a Kill could remove now, testing them on worker threads
// while the walk goes on. Each test opens a file, and an open is a round trip to the file system
// (under Wine to its server) that costs several times what finding the file did; the walk need not
// wait for it. Small walks, and a machine where no thread can be started, test on the caller's
// thread. The counts are the same either way: every file is tested once, on its own.
//
// Files that pass are reported to the sink that was open on the walk's thread when the pipeline
// was made, from whichever thread tested them (sinks lock).
//
// Owned by one walk on one thread. Only that thread calls Checkpoint(): while it waits for the
// workers it keeps checking, and when the run is stopped the unwinding destructor tells the workers
// to drop what is queued and waits for the test each may be in.
class KillTestPipeline {
public:
    KillTestPipeline();
    ~KillTestPipeline();
    KillTestPipeline(const KillTestPipeline&) = delete;
    KillTestPipeline& operator=(const KillTestPipeline&) = delete;

    // A found file of folder (its final path), as the listing gave it: counted with its size when
    // the test passes.
    void Add(const std::string& folder, const ListedName& file);

    // Waits for every test and returns what passed.
    [[nodiscard]] RunCounters Finish();

private:
    struct Candidate {
        std::string path;
        uint32_t folderChars;  // path starts with the folder as the walk gave it
        uint32_t nameAt;       // and ends with the file's name from here
        DWORD attributes;
        uint64_t size;
        uint64_t lastWrite;
    };
    using Batch = std::vector<Candidate>;

    static DWORD WINAPI WorkerMain(void* self);
    void Work();
    void StartWorkers();
    void HandOver();
    // Tests one file; reports it when it passes.
    [[nodiscard]] bool Passes(const Candidate& file) const;
    // Waits, checking for a stop, until done() holds (called with the lock held).
    template <typename Done>
    void WaitUntil(Done done);

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::deque<Batch> queue_;    // under lock_
    size_t queuedFiles_ = 0;     // under lock_
    int testing_ = 0;            // batches a worker has taken and not finished, under lock_
    bool closing_ = false;       // under lock_
    RunCounters passed_;         // under lock_ once workers run

    FoundItems* const sink_;     // set before any worker starts
    Batch pending_;              // the walk's side: files not yet handed over
    size_t seen_ = 0;
    std::vector<KernelHandle> workers_;
};
