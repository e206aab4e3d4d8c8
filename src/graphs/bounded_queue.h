#pragma once
// A small queue between two pipeline stages: the producer waits while it
// is full, the consumer while it is empty; closing ends both waits. Keeps
// memory bounded whatever the length of the file.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace korvid::graphs {

template <typename T>
class BoundedQueue {
 public:
  explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}

  // False when the queue was closed (the item is dropped).
  bool Push(T item) {
    std::unique_lock lock(mutex_);
    not_full_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
    if (closed_) return false;
    items_.push_back(std::move(item));
    not_empty_.notify_one();
    return true;
  }

  // Nothing once the queue is closed and empty.
  std::optional<T> Pop() {
    std::unique_lock lock(mutex_);
    not_empty_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    not_full_.notify_one();
    return item;
  }

  // Nothing when no item is queued right now; never waits.
  std::optional<T> TryPop() {
    std::lock_guard lock(mutex_);
    if (items_.empty()) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    not_full_.notify_one();
    return item;
  }

  // Closed and emptied: nothing more will come.
  bool Drained() {
    std::lock_guard lock(mutex_);
    return closed_ && items_.empty();
  }

  // No more pushes; what is queued can still be popped.
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    not_full_.notify_all();
    not_empty_.notify_all();
  }

 private:
  std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable not_full_;
  std::condition_variable not_empty_;
  std::deque<T> items_;
  bool closed_ = false;
};

// Two stages on two cores: `produce(queue)` runs on this thread and pushes
// (stopping when a push fails), `consume(item)` runs on a second thread for
// every item. A failure of either stops both; the producer's is rethrown
// first, then the consumer's.
template <typename T, typename Produce, typename Consume>
void RunTwoStages(std::size_t capacity, Produce&& produce, Consume&& consume) {
  BoundedQueue<T> queue(capacity);
  std::exception_ptr consumer_failure;
  std::thread consumer([&] {
    try {
      while (std::optional<T> item = queue.Pop()) consume(std::move(*item));
    } catch (...) {
      consumer_failure = std::current_exception();
      queue.Close();
    }
  });
  std::exception_ptr producer_failure;
  try {
    produce(queue);
  } catch (...) {
    producer_failure = std::current_exception();
  }
  queue.Close();
  consumer.join();
  if (producer_failure) std::rethrow_exception(producer_failure);
  if (consumer_failure) std::rethrow_exception(consumer_failure);
}

}  // namespace korvid::graphs
