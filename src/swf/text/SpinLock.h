// SpinLock: the lock the font caches take. The Windows toolchain's standard library has no
// std::mutex (its thread model is Win32's), and the caches are held for one glyph's load at a
// time, rarely by two threads at once, so spinning on an atomic flag is enough.
#pragma once

#include <atomic>

namespace saver::swf {

class SpinLock {
  public:
    void lock() {
        while (flag_.test_and_set(std::memory_order_acquire)) {
        }
    }
    void unlock() { flag_.clear(std::memory_order_release); }

  private:
    std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};

class SpinGuard {
  public:
    explicit SpinGuard(SpinLock& lock) : lock_(lock) { lock_.lock(); }
    ~SpinGuard() { lock_.unlock(); }
    SpinGuard(const SpinGuard&) = delete;
    SpinGuard& operator=(const SpinGuard&) = delete;

  private:
    SpinLock& lock_;
};

}  // namespace saver::swf
