#include "sys/CopyAhead.h"

#include <utility>

namespace ornibe {

CopyAhead::CopyAhead(unsigned workers, const std::atomic<bool>* cancel) : cancel_(cancel) {
    threads_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) {
        threads_.emplace_back([this] { work(); });
    }
}

CopyAhead::~CopyAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        todo_.clear();
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
    // order_ goes with this object: the copies' pending files are removed.
}

void CopyAhead::add(std::unique_ptr<PendingCopy> copy) {
    auto slot = std::make_shared<Slot>();
    slot->copy = std::move(copy);
    {
        std::lock_guard lock(mutex_);
        order_.push_back(slot);
        todo_.push_back(std::move(slot));
    }
    changed_.notify_all();
}

std::size_t CopyAhead::size() const {
    std::lock_guard lock(mutex_);
    return order_.size();
}

std::unique_ptr<PendingCopy> CopyAhead::takeOldest() {
    std::unique_lock lock(mutex_);
    if (order_.empty()) {
        return nullptr;
    }
    std::shared_ptr<Slot> oldest = order_.front();
    changed_.wait(lock, [&] { return oldest->done; });
    order_.pop_front();
    return std::move(oldest->copy);
}

void CopyAhead::work() {
    std::vector<char> buffer;
    for (;;) {
        std::shared_ptr<Slot> slot;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || !todo_.empty(); });
            if (stopping_) {
                return;
            }
            slot = std::move(todo_.front());
            todo_.pop_front();
        }
        PendingCopy& copy = *slot->copy;
        CopyChunkHooks hooks{[&] {
                                 copy.steps.emplace_back();
                                 return !stopping_ && (cancel_ == nullptr || !cancel_->load());
                             },
                             [&](std::uint64_t counted) {
                                 copy.steps.back() = {true, counted};
                             }};
        writePendingCopy(copy, hooks, buffer);
        {
            std::lock_guard lock(mutex_);
            slot->done = true;
        }
        changed_.notify_all();
    }
}

} // namespace ornibe
