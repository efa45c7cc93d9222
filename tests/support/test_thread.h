#pragma once
// A thread and a lock for the Windows-side tests, on the system's own calls:
// the 32-bit build's runtime (the Win32 thread model, which keeps the program
// small) has no std::thread or std::mutex.
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

namespace kestrel::test {

class Thread {
public:
    Thread() = default;
    explicit Thread(std::function<void()> body)
        : body_(std::make_unique<std::function<void()>>(std::move(body))),
          handle_(CreateThread(nullptr, 0, &Thread::Run, body_.get(), 0, nullptr)) {}
    Thread(Thread&& other) noexcept { *this = std::move(other); }
    Thread& operator=(Thread&& other) noexcept {
        join();
        body_ = std::move(other.body_);
        handle_ = std::exchange(other.handle_, nullptr);
        return *this;
    }
    ~Thread() { join(); }
    bool joinable() const { return handle_ != nullptr; }
    void join() {
        if (!handle_) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }
    void detach() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
        body_.release();  // the running thread still holds it
    }

private:
    static DWORD WINAPI Run(void* body) {
        (*static_cast<std::function<void()>*>(body))();
        return 0;
    }
    std::unique_ptr<std::function<void()>> body_;
    HANDLE handle_ = nullptr;
};

class Mutex {
public:
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class Lock {
public:
    explicit Lock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
    ~Lock() { mutex_.unlock(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    Mutex& mutex_;
};

}  // namespace kestrel::test
