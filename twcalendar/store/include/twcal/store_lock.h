// The lock around changes of the event store. The calendar runs on one
// thread, but a change may open a dialog whose timers change the store again
// from inside it, so the same thread must be able to take the lock again.
#pragma once

#include <mutex>

namespace twcal {

class StoreLock {
 public:
  void lock() { mutex_.lock(); }
  bool try_lock() { return mutex_.try_lock(); }
  void unlock() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

using StoreGuard = std::lock_guard<StoreLock>;

}  // namespace twcal
