// SpinLock: a lock for the few microseconds that the sound output's thread and the window's
// thread share the mixer. The win64 tool chain's threading model has no std::mutex; a flag
// that the waiting side spins on (yielding the processor) is all the sharing here needs, since
// neither side holds it for longer than one mix or one frame's sound changes.
//
// Meets BasicLockable, so std::lock_guard works with it. Failure: none.
#pragma once

#include <atomic>
#include <thread>

namespace saver {

class SpinLock {
  public:
    void lock() {
        while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    void unlock() { flag_.clear(std::memory_order_release); }

  private:
    std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};

}  // namespace saver
