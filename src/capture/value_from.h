#pragma once
#include <string>

namespace kestrel {

// Where a source's value is taken from (the source's ValueFrom), as written:
//   "" or "selection"       the selection, else the caret's line, by route;
//   "title"                 the source window's title;
//   "control #<id>"         the first descendant whose control ID is <id>;
//   "control <class> <n>"   the n-th (from 1) descendant of that class, the
//                           class compared without case with the system's
//                           name or with its kind ("control edit 2").
// The words are compared without case; spaces around them do not count.
struct ValueFrom {
    enum class Place { Selection, Title, ControlId, ControlClass };
    Place place = Place::Selection;
    int id = 0;              // ControlId
    std::string className;   // ControlClass, as written
    int number = 0;          // ControlClass, from 1
    std::string written;     // as configured, for messages ("control #1001")

    bool FromControl() const { return place == Place::ControlId || place == Place::ControlClass; }
};

// Reads `text`; throws Error whose what() says, for the user, what does not
// read ("the number after the class counts from 1, not 0").
ValueFrom ParseValueFrom(const std::string& text);

}  // namespace kestrel
