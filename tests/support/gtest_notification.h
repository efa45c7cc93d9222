#pragma once
// GoogleTest's one use of std::mutex and std::condition_variable, which the
// Win32 thread model's standard library lacks, given as a Win32 event.
#include <windows.h>

namespace testing::internal {
class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};
}  // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1
