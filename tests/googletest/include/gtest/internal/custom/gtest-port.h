// GoogleTest's own customisation point (gtest/internal/custom/README.md), found ahead of the
// empty one of the sources in the Windows build (tests/googletest/CMakeLists.txt).
//
// Debian's MinGW-w64 g++ defaults to the win32 thread model, whose libstdc++ (GCC 12) has no
// std::mutex or std::condition_variable; GoogleTest 1.12 needs them for one class only, the
// Notification with which its own thread tests start their threads. Everything else of its
// threading under MinGW is Windows' own (critical sections, thread-local slots), so the
// class is provided here over an atomic flag, and GoogleTest stays thread-safe.
#ifndef PCI_GTEST_CUSTOM_GTEST_PORT_H
#define PCI_GTEST_CUSTOM_GTEST_PORT_H

#ifdef __MINGW32__

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets a controller thread hold newly created threads until it notifies them.
class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true, std::memory_order_release); }
    // Spins: only GoogleTest's own tests of its threads wait here, briefly.
    void WaitForNotification() {
        while (!notified_.load(std::memory_order_acquire)) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace internal
} // namespace testing

#endif

#endif
