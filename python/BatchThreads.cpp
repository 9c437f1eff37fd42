#include "python/BatchThreads.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

BatchThreads& BatchThreads::OfThisProcess() {
    // Never destroyed: the threads wait on its members until the process ends,
    // and the object of a parent process is left as it is in a child.
    static BatchThreads* threads = nullptr;
    if (!threads || threads->process_ != ::getpid()) {
        threads = new BatchThreads;
        threads->process_ = ::getpid();
    }
    return *threads;
}

void BatchThreads::Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !queue_.empty(); });
        Call* call = queue_.front();
        queue_.pop_front();
        ++call->running;
        lock.unlock();
        (*call->work)();
        lock.lock();
        --call->running;
        finished_.notify_all();
    }
}

void BatchThreads::Run(std::size_t helpers, const std::function<void()>& helperWork,
                       const std::function<void()>& ownWork) {
    Call call{&helperWork};
    std::vector<std::thread> ownThreads; // beyond the kept ones
    // However this ends, the helpers that started must return before call and
    // the work it points to are gone.
    struct Finish {
        BatchThreads& threads;
        Call& call;
        std::vector<std::thread>& ownThreads;
        ~Finish() {
            {
                std::unique_lock lock(threads.mutex_);
                std::erase(threads.queue_, &call);
                threads.finished_.wait(lock, [this] { return call.running == 0; });
            }
            for (std::thread& thread : ownThreads)
                thread.join();
        }
    } finish{*this, call, ownThreads};
    {
        std::unique_lock lock(mutex_);
        try {
            while (kept_ < std::min(helpers, kMostKept)) {
                std::thread(&BatchThreads::Serve, this).detach();
                ++kept_;
            }
            while (kept_ + ownThreads.size() < helpers)
                ownThreads.emplace_back(helperWork);
        } catch (const std::system_error&) {
            // Out of threads or of memory for their stacks.
        }
        queue_.insert(queue_.end(), std::min(helpers, kept_), &call);
    }
    for (std::size_t i = 0; i < std::min(helpers, kMostKept); ++i)
        wake_.notify_one();
    ownWork();
}
