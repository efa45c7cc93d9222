#pragma once
#include "platform/event_loop.h"

namespace kestrel::win32 {

class FormHost;

// The thread's message queue. The forms get their keyboard turn at every
// message it takes, so that Tab, Enter and Esc work in an open dialog while
// the program yields.
class EventLoop final : public platform::EventLoop {
public:
    explicit EventLoop(FormHost& forms);
    void DoEvents() override;
    void WaitForEvents(int ms) override;
    std::int64_t NowMs() override;
    std::int64_t Today() override;

private:
    FormHost& forms_;
    std::int64_t ticksPerSecond_ = 1;
};

}  // namespace kestrel::win32
