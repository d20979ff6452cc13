#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
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

// Hands numbered items (0, 1, 2…) from several threads to one in number
// order, whatever order they are put in. A thread whose item lies more than
// `window` numbers ahead of the next one to be taken waits, so memory stays
// bounded; as long as the lowest number missing is put, nothing deadlocks.
template <typename Item>
class OrderedQueue {
public:
    explicit OrderedQueue(int window) : window_(window) {}

    // Waits until `number` lies within the window; false once closed.
    bool put(int number, Item item) {
        std::unique_lock lock(mutex_);
        roomLeft_.wait(lock, [&] { return closed_ || number < next_ + window_; });
        if (closed_) return false;
        items_.emplace(number, std::move(item));
        if (number == next_) nextWaiting_.notify_one();
        return true;
    }

    // Waits for the next item in number order; none once the queue is closed
    // and that item is not there.
    std::optional<Item> take() {
        std::unique_lock lock(mutex_);
        nextWaiting_.wait(lock, [&] { return closed_ || items_.count(next_) > 0; });
        const auto found = items_.find(next_);
        if (found == items_.end()) return std::nullopt;
        Item item = std::move(found->second);
        items_.erase(found);
        ++next_;
        roomLeft_.notify_all();
        return item;
    }

    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        roomLeft_.notify_all();
        nextWaiting_.notify_all();
    }

private:
    const int window_;
    std::mutex mutex_;
    std::condition_variable roomLeft_;
    std::condition_variable nextWaiting_;
    std::map<int, Item> items_;
    int next_ = 0;
    bool closed_ = false;
};

}  // namespace tavero
