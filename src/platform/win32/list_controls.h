#pragma once
#include <windows.h>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "platform/list_controls.h"
#include "platform/win32/remote_memory.h"

namespace kestrel::win32 {

// Asks the source's focused list view, list box, drop-down list or tree view
// for the chosen item, reading its structures in the source's memory as the
// source's bitness lays them out.
class ListControls final : public platform::ListControls {
public:
    platform::ListText ReadFocused(platform::WindowId window, const std::string& column,
                                   const platform::ControlClasses& classes) override;
    // The chosen item (its `column`'s text, in a list view) of `control`, a
    // list of `kind`; NotAList for a kind that is no list.
    platform::ListText Read(HWND control, platform::ControlKind kind, const std::string& column);
    platform::ListText ReadList(platform::WindowId control, platform::ControlKind kind,
                                const std::string& column) override {
        return Read(reinterpret_cast<HWND>(control), kind, column);
    }

    class Questions;

private:
    platform::ListText Read(Questions& ask, HWND control, platform::ListText::Control list, const std::string& column);
    platform::ListText ReadInSource(Questions& ask, HWND control, platform::ListText::Control list,
                                    const std::string& column);
    // The thread of a control answered a question.
    void Answered(DWORD thread);

    // One block per source process, kept from read to read: opening the
    // process and asking it for memory cost more than the questions. Freed
    // with this object; a process that ended took its block with it.
    struct Kept {
        DWORD processId = 0;
        RemoteProcess process;
        RemoteBlock block;
    };
    std::list<Kept>::iterator KeptFor(DWORD processId);
    std::list<Kept> kept_;

    // Blocks whose question was not answered in time, left in their process
    // until its control's thread answers a later one.
    struct Abandoned {
        RemoteProcess process;
        DWORD thread = 0;
        std::uint64_t address = 0;
    };
    std::vector<Abandoned> abandoned_;
};

}  // namespace kestrel::win32
