#pragma once
#include <memory>

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/message_boxes.h"
#include "platform/programs.h"
#include "platform/registry.h"

namespace kestrel {

// The About box: the application's title and version, and a button that starts
// the system-information program. Modeless and without an owner: it outlives
// an Exit of the main window, and the program ends when it closes.
class AboutBox {
public:
    struct Services {
        forms::FormHost& forms;
        platform::Programs& programs;
        platform::Registry& registry;
        platform::Files& files;
        platform::MessageBoxes& messageBoxes;
    };

    explicit AboutBox(Services services) : s_(services) {}

    static forms::FormDesign Design();

    // Shows the About box, loading it first unless it is already open.
    void Show();
    forms::Form* Open() const;  // the open About box, or nullptr

private:
    void Load(forms::Form& form);

    Services s_;
    std::unique_ptr<forms::Form> form_;
};

}  // namespace kestrel
