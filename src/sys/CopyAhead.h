#pragma once

#include "sys/PendingCopy.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ornibe {

// Worker threads that write the files of a tree copy ahead of their turn
// (writePendingCopy), so that creating and filling several files overlaps
// while the caller still puts each in place in the order it handed them.
// A worker looks at cancel (may be null) before every chunk, as a copy on
// the caller's thread would, and records each look and each report in the
// copy's steps for the caller to go through again in its turn.
class CopyAhead {
public:
    CopyAhead(unsigned workers, const std::atomic<bool>* cancel);
    // Stops the workers at their next chunk and drops every copy, written
    // or not: their pending files are removed.
    ~CopyAhead();
    CopyAhead(const CopyAhead&) = delete;
    CopyAhead& operator=(const CopyAhead&) = delete;

    // Hands a copy to the workers.
    void add(std::unique_ptr<PendingCopy> copy);
    // The copies handed and not yet taken back.
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    // The oldest copy handed, once its worker is done with it; null when
    // none is left.
    std::unique_ptr<PendingCopy> takeOldest();

private:
    struct Slot {
        std::unique_ptr<PendingCopy> copy;
        bool done = false;
    };

    void work();

    const std::atomic<bool>* cancel_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // Every copy handed and not yet taken back, oldest first; each slot
    // stays where it is while a worker writes its copy.
    std::deque<std::shared_ptr<Slot>> order_;
    // The slots no worker has taken yet, oldest first.
    std::deque<std::shared_ptr<Slot>> todo_;
    std::vector<std::thread> threads_;
};

} // namespace ornibe
