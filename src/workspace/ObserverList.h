#pragma once
// The workspace's way of saying that something changed (the source replaced, the
// georeference changed, the busy state changed): one list of callbacks per event. A window
// subscribes when it is built and keeps the Subscription as long as it lives; destroying the
// Subscription takes the callback off the list, so a window that goes first leaves nothing
// behind to be called.
//
// Observers are told on the thread that changed the state (the user-interface thread), in
// the order they subscribed. An observer may subscribe or unsubscribe others, itself
// included, while it is told: one taken off is not called afterwards, one added is called
// from the next change on. Observers must not throw: a change may be told while an error
// unwinds (a job's end).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace cz {

class ObserverList {
  struct Entries {
    std::map<std::uint64_t, std::function<void()>> observers;  // by subscription order
    std::uint64_t nextId = 0;
  };

 public:
  // Keeps one observer on its list; movable, not copyable.
  class [[nodiscard]] Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept = default;
    Subscription& operator=(Subscription&& other) noexcept {
      Cancel();
      entries_ = std::move(other.entries_);
      id_ = other.id_;
      return *this;
    }
    ~Subscription() { Cancel(); }

   private:
    friend class ObserverList;
    Subscription(std::weak_ptr<Entries> entries, std::uint64_t id)
        : entries_(std::move(entries)), id_(id) {}
    void Cancel() {
      if (const std::shared_ptr<Entries> entries = entries_.lock()) entries->observers.erase(id_);
      entries_.reset();
    }
    std::weak_ptr<Entries> entries_;
    std::uint64_t id_ = 0;
  };

  ObserverList() = default;
  // A state that moves takes its observers along; copies would tell them twice.
  ObserverList(ObserverList&&) noexcept = default;
  ObserverList& operator=(ObserverList&&) noexcept = default;
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;

  Subscription Subscribe(std::function<void()> observer) {
    const std::uint64_t id = entries_->nextId++;
    entries_->observers.emplace(id, std::move(observer));
    return Subscription(entries_, id);
  }

  void Notify() const {
    // By id, looked up again before each call: an observer may change the list meanwhile.
    const std::shared_ptr<Entries> entries = entries_;
    if (!entries) return;  // moved from
    const std::uint64_t end = entries->nextId;
    for (auto next = entries->observers.begin(); next != entries->observers.end();) {
      const std::uint64_t id = next->first;
      if (id >= end) break;
      const std::function<void()> observer = next->second;  // it may unsubscribe itself
      observer();
      next = entries->observers.upper_bound(id);
    }
  }

 private:
  std::shared_ptr<Entries> entries_ = std::make_shared<Entries>();
};

}  // namespace cz
