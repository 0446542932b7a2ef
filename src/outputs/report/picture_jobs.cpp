#include "outputs/report/picture_jobs.h"

#include <algorithm>
#include <utility>

namespace zandrel::report {

namespace {

void runGuarded(const std::function<void()>& job) {
    try {
        job();
    } catch (...) {
        // A job reports its own failures; nothing may leave a thread.
    }
}

}  // namespace

PictureJobs::PictureJobs(std::size_t threads, std::size_t maxWaiting) : maxWaiting_(std::max<std::size_t>(1, maxWaiting)) {
    if (threads == 0) threads = std::min<std::size_t>(4, std::max(1u, std::thread::hardware_concurrency()));
    try {
        for (std::size_t n = 0; n < threads; ++n) threads_.emplace_back([this] { work(); });
    } catch (...) {
        // Fewer threads than asked (none at worst: submit() then runs each job itself).
    }
}

PictureJobs::~PictureJobs() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void PictureJobs::submit(std::function<void()> job) {
    if (threads_.empty()) {
        runGuarded(job);
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < maxWaiting_; });
    waiting_.push_back(std::move(job));
    lock.unlock();
    changed_.notify_all();
}

void PictureJobs::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && running_ == 0; });
}

void PictureJobs::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        // Waiting jobs are still run when stopping: each one owns a result someone reads.
        if (waiting_.empty()) return;
        std::function<void()> job = std::move(waiting_.front());
        waiting_.pop_front();
        ++running_;
        lock.unlock();
        changed_.notify_all();
        runGuarded(job);
        job = nullptr;  // its captures are released outside the lock
        lock.lock();
        --running_;
        changed_.notify_all();
    }
}

}  // namespace zandrel::report
