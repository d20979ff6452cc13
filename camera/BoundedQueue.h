#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace tavero {

// Hands items from one thread to the next in order, holding at most
// `capacity` of them: a producer that gets ahead waits, so a long job's
// memory does not grow with its length. Closing wakes every waiting thread;
// after it, pushes are refused and pops drain what is left.
template <typename Item>
class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}

    // Waits for room; false once the queue is closed.
    bool push(Item item) {
        std::unique_lock lock(mutex_);
        roomLeft_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        if (closed_) return false;
        items_.push_back(std::move(item));
        itemWaiting_.notify_one();
        return true;
    }

    // Waits for an item; none once the queue is closed and empty.
    std::optional<Item> pop() {
        std::unique_lock lock(mutex_);
        itemWaiting_.wait(lock, [&] { return closed_ || !items_.empty(); });
        if (items_.empty()) return std::nullopt;
        Item item = std::move(items_.front());
        items_.pop_front();
        roomLeft_.notify_one();
        return item;
    }

    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        roomLeft_.notify_all();
        itemWaiting_.notify_all();
    }

private:
    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable roomLeft_;
    std::condition_variable itemWaiting_;
    std::deque<Item> items_;
    bool closed_ = false;
};

}  // namespace tavero
