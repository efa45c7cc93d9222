#pragma once
#include "platform/desktop.h"

namespace kestrel::win32 {

class Desktop final : public platform::Desktop {
public:
    std::vector<platform::WindowCandidate> TopLevelWindows() override;
    void Activate(platform::WindowId window) override;
    platform::WindowId ForegroundWindow() override;
    platform::WindowFacts Describe(platform::WindowId window) override;
    bool IsInFront(platform::WindowId window) override;
    bool WaitUntilAnswered(platform::WindowId window, int boundMs) override;
    void BringToFront(platform::WindowId window) override;
    void HideFromTaskList(platform::WindowId window) override;
};

}  // namespace kestrel::win32
