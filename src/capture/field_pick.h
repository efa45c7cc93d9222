#pragma once
#include <optional>
#include <string>

#include <vector>

#include "platform/control_classes.h"
#include "platform/desktop.h"

namespace kestrel {

// The ValueFrom that names `picked`, one of a window's descendants (as
// Desktop::Descendants lists them), again wherever the form puts it:
// "control #<id>" when no other descendant has its control ID, else
// "control <kind> <n>", counted as ValueFrom counts. Nothing for a field of
// no kind a source reads (custom-drawn, another toolkit's), nor for a
// window not among them (the window itself).
std::optional<std::string> PickedValueFrom(const std::vector<platform::ChildWindow>& descendants,
                                           platform::WindowId picked, const platform::ControlClasses& classes);

}  // namespace kestrel
