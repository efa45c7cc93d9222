#pragma once
#include <optional>
#include <string>

#include "platform/control_classes.h"
#include "platform/field_picker.h"

namespace kestrel {

// The ValueFrom that names the picked field of `field` again wherever the
// form puts it: "control #<id>" when no other descendant has its control ID,
// else "control <kind> <n>", counted as ValueFrom counts. Nothing for a
// field of no kind a source reads (custom-drawn, another toolkit's).
std::optional<std::string> PickedValueFrom(const platform::PickedField& field, const platform::ControlClasses& classes);

}  // namespace kestrel
