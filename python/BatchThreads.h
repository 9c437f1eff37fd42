#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <sys/types.h>

// The threads that count the texts of batches besides the calling thread, kept
// from one batch to the next: what a thread has learnt of the words (its
// memos, the words of the index it met) then serves the next batch too, where
// new threads would start with nothing each time. Up to kMostKept of them stay;
// a batch that asks for more starts the others for itself alone.
class BatchThreads {
public:
    static constexpr std::size_t kMostKept = 64;

    // The threads of this process: a child forked from it starts with none of
    // its parent's (they do not exist there). The caller must hold the GIL,
    // which keeps two threads from making them at once.
    static BatchThreads& OfThisProcess();

    // Runs helperWork on up to helpers threads and ownWork on the calling
    // thread, and returns when every run has returned; a helper not yet started
    // when ownWork returns is not started at all, so helperWork must be fit to
    // run any number of times from 0 to helpers (a loop over shared work).
    // helperWork must not throw. What ownWork throws passes on, once the
    // helpers that started have returned. When the system refuses a thread,
    // the threads that did start do the work.
    void Run(std::size_t helpers, const std::function<void()>& helperWork,
             const std::function<void()>& ownWork);

private:
    BatchThreads() = default;
    struct Call {
        const std::function<void()>* work;
        std::size_t running = 0;
    };
    void Serve();

    pid_t process_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;     // a call waits in queue_
    std::condition_variable finished_; // a helper's run returned
    std::deque<Call*> queue_;          // a place for each helper a call still wants
    std::size_t kept_ = 0;             // threads serving the queue
};
