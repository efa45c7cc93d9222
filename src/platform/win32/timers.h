#pragma once
#include <windows.h>

#include <functional>
#include <map>

#include "platform/timers.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// Repeating timers on a message-only window of the object's, made by the first
// Start: the ticks arrive on that thread through whichever loop takes its
// messages (the program's, a modal form's, a message box's).
class Timers final : public platform::Timers {
public:
    Timers() = default;
    Timers(const Timers&) = delete;
    Timers& operator=(const Timers&) = delete;

    Id Start(int intervalMs, std::function<void()> onTick) override;
    void Stop(Id timer) override;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Tick(Id timer);

    std::map<Id, std::function<void()>> ticks_;
    Id next_ = 1;
    Window window_;  // declared last, so gone first: no tick finds the map gone
};

}  // namespace kestrel::win32
