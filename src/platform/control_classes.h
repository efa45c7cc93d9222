#pragma once
#include <string>
#include <utility>
#include <vector>

namespace kestrel::platform {

// What a control is, whatever its program calls its window class.
enum class ControlKind { Unknown, Edit, RichEdit, ListView, ListBox, ComboBox, TreeView, Terminal, StaticText, Button };

// The kind's name as the administrator writes it in ControlClasses ("list view").
const char* KindName(ControlKind kind);

// Which kind of control a window class is: the system's own class names, the
// names that VB5/VB6, Delphi/C++Builder, WinForms and ATL/WTL give to their
// superclasses of them, and the administrator's additions. Class names are
// compared without case.
class ControlClasses {
public:
    ControlClasses() = default;
    // With the additions of `entries`, "Class=kind;Class=kind" (the kinds as
    // KindName has them); an addition comes before the built-in names. The
    // entries that do not read are kept, as written, in badEntries().
    explicit ControlClasses(const std::string& entries);

    // The kind of a window of class `className`; when that name is not known,
    // of `realClassName` (the base class the system reports, where it does).
    ControlKind KindOf(const std::string& className, const std::string& realClassName = {}) const;
    const std::vector<std::string>& badEntries() const { return badEntries_; }

private:
    ControlKind Named(const std::string& name) const;
    std::vector<std::pair<std::string, ControlKind>> additions_;
    std::vector<std::string> badEntries_;
};

}  // namespace kestrel::platform
