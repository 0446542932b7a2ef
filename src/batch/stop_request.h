#pragma once

#include <atomic>

namespace zandrel {

// A request to stop a batch between two sets. Anyone may raise it at any time, a signal
// handler or a console-control thread included: it is one lock-free atomic flag, which
// such a handler may set. The batch loops read it before each set starts, so the set being
// converted always ends with its outputs complete.
class StopRequest {
public:
    void request() noexcept { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const noexcept { return requested_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> requested_{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may set only a lock-free flag");
};

}  // namespace zandrel
