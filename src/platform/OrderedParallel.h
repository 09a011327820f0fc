#pragma once
// Work items made on worker threads and taken in index order: the pattern of every parallel
// job of the program, whose output must not depend on the thread count (tiles, web tiles).
//
// Produce(index, worker) runs on one of `workers` threads for every index in 0..count−1, at
// most `ahead` indices beyond the one the caller takes next, which bounds the memory to that
// many results. Next() returns the results in index order, waiting for each, and rethrows the
// exception Produce threw for that index. With one worker nothing runs on another thread:
// Next() produces the item itself.
//
// Destruction stops the workers after the items in flight and destroys the results not
// taken (their destructors must clean up whatever they stand for). Produce must only touch
// data that is read-only during the run or its own worker's.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace cz {

template <typename Result>
class OrderedParallel {
 public:
  using Produce = std::function<Result(std::size_t index, int worker)>;

  OrderedParallel(std::size_t count, int workers, std::size_t ahead, Produce produce)
      : count_(count),
        window_(workers > 1 && ahead > 0 ? ahead : 1),
        produce_(std::move(produce)),
        slots_(window_) {
    if (workers <= 1) return;
    threads_.reserve(static_cast<std::size_t>(workers));
    for (int w = 0; w < workers; ++w) {
      try {
        threads_.emplace_back(&OrderedParallel::Work, this, w);
      } catch (const std::system_error&) {
        // No more threads to be had: those started do the work (none: Next() does), which
        // changes the speed, never the results.
        break;
      }
    }
  }
  ~OrderedParallel() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }
  OrderedParallel(const OrderedParallel&) = delete;
  OrderedParallel& operator=(const OrderedParallel&) = delete;

  // The result of the next index; call at most count times.
  Result Next() {
    Slot slot;
    if (threads_.empty()) {
      slot = Make(nextToTake_++, 0);
    } else {
      std::unique_lock lock(mutex_);
      Slot& waiting = slots_[nextToTake_ % window_];
      changed_.wait(lock, [&] { return waiting.Ready; });
      slot = std::move(waiting);
      waiting = Slot{};
      ++nextToTake_;
      lock.unlock();
      changed_.notify_all();
    }
    if (slot.Error) std::rethrow_exception(slot.Error);
    return std::move(*slot.Value);
  }

 private:
  struct Slot {
    bool Ready = false;
    std::optional<Result> Value;
    std::exception_ptr Error;
  };

  Slot Make(std::size_t index, int worker) {
    Slot slot;
    try {
      slot.Value.emplace(produce_(index, worker));
    } catch (...) {
      slot.Error = std::current_exception();
    }
    slot.Ready = true;
    return slot;
  }

  void Work(int worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] {
        return stopping_ || (nextToMake_ < count_ && nextToMake_ < nextToTake_ + window_);
      });
      if (stopping_) return;
      const std::size_t index = nextToMake_++;
      lock.unlock();
      Slot made = Make(index, worker);
      lock.lock();
      // The slot is free: index − window was taken before index was handed out.
      slots_[index % window_] = std::move(made);
      changed_.notify_all();
    }
  }

  const std::size_t count_;
  const std::size_t window_;
  Produce produce_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;  // index i in slots_[i % window_]
  std::size_t nextToMake_ = 0;
  std::size_t nextToTake_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace cz
