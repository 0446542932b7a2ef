#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zandrel::report {

// A few threads that run the report's picture jobs while the batch goes on with the next
// set. At most `maxWaiting` jobs wait at a time: submit() blocks beyond that, so a long
// list never holds more than a few sets in memory. Jobs must not throw; one that does is
// stopped there (std::terminate is never reached). Where no thread can be started, jobs run
// in submit() itself.
class PictureJobs {
public:
    // `threads` 0: one per processor, at most four.
    explicit PictureJobs(std::size_t threads, std::size_t maxWaiting = 4);
    ~PictureJobs();
    PictureJobs(const PictureJobs&) = delete;
    PictureJobs& operator=(const PictureJobs&) = delete;

    void submit(std::function<void()> job);
    // Returns once every submitted job has run.
    void wait();

    std::size_t threads() const { return threads_.size(); }

private:
    void work();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> waiting_;
    std::size_t maxWaiting_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace zandrel::report
