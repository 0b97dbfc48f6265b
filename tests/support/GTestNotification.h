// GoogleTest's own Notification, over a Win32 event. GoogleTest writes it with
// std::mutex and std::condition_variable, which the win32 thread model of
// MinGW-w64's GCC does not have; the build puts this header in front of every
// file that includes GoogleTest, GoogleTest's own sources among them.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

// Lets a controller thread hold back the threads it creates until it says
// they may start.
class Notification {
  public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() {
        if (event_) CloseHandle(event_);
    }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_;
};

} // namespace testing::internal
