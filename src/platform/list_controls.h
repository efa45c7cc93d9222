#pragma once
#include <string>

#include "platform/control_classes.h"
#include "platform/window_id.h"

namespace kestrel::platform {

// What the source's focused list control answered about the item the user chose.
struct ListText {
    enum class Kind {
        NotAList,         // no list control of the system's has the focus
        Text,             // `text`: the chosen item's (cell's) text
        NothingSelected,  // a list, but nothing in it is selected
        NoAnswer,         // a list that did not answer in time (hung, or busy)
        NoSuchColumn,     // a list view none of whose column headers is the name asked for
        Refused,          // its program runs with more rights, or as another user: it takes no questions from us
        NoText,           // it draws its items itself and keeps no text for them
        TooLong,          // the chosen item's text is longer than kMaxTextUnits
        Unreachable,      // its items cannot be asked for safely from here (the memory or handle they need)
    };
    // The longest item text taken, in UTF-16 units; no search value is that long.
    static constexpr int kMaxTextUnits = 8192;
    enum class Control { None, ListView, ListBox, DropDownList, TreeView };
    Kind kind = Kind::NotAList;
    Control control = Control::None;
    std::string text;
};

// Asks the source's focused list control for the chosen item instead of
// typing into it: there the line keys move or change the user's selection.
class ListControls {
public:
    virtual ~ListControls() = default;
    // The control with the keyboard focus in the thread of `window`, when it
    // is one of the system's list controls as `classes` knows its class:
    // - a list view (any view): the focused item if it is selected, else the
    //   first selected one; the text of the column whose header is `column`
    //   (compared without case), or of the first column when `column` is empty;
    // - a list box (single or multiple selection): the selected item with the
    //   caret, else the first selected one;
    // - a combo box whose list is a drop-down list (no edit part): the chosen item;
    // - a tree view: the selected node.
    // Works across processes and across 32 and 64 bits. The whole read waits
    // about a second and a half at most. The selection, focus and scroll
    // position stay exactly as they were.
    virtual ListText ReadFocused(WindowId window, const std::string& column, const ControlClasses& classes) = 0;
    // The same of `control`, a list of `kind`, focused or not; NotAList for
    // a kind that is no list.
    virtual ListText ReadList(WindowId control, ControlKind kind, const std::string& column) = 0;
};

}  // namespace kestrel::platform
