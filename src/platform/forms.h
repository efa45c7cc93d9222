#pragma once
// Forms are data plus handlers. A window's design (names, kinds, captions,
// twips rectangles, tab order, menu) is a table in the portable code; the
// platform renders a design into a real window and routes its events to the
// handlers bound to its controls. The fake lets native tests set texts, press
// keys and click.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/window_id.h"

namespace kestrel::forms {

// Positions and sizes in twips (1/1440 inch).
struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
};

// A ListBox shows lines of text, one of which may be chosen.
enum class ControlKind { Label, TextBox, Button, Picture, Line, ListBox };

// Tab and the mouse stop only at these.
inline bool TakesFocus(ControlKind kind) {
    return kind == ControlKind::TextBox || kind == ControlKind::Button || kind == ControlKind::ListBox;
}

struct ControlDesign {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string text;  // caption or initial text; "&" marks an access key on buttons
    Twips rect;        // for a Line: left/top is the start point, width/height the end point (x2, y2)
    int tabIndex = 0;
    // Lines only: colour 0xRRGGBB and width in pixels.
    std::uint32_t lineColour = 0;
    int lineWidth = 1;
    // Labels only: "&" in the text marks an access key that moves the focus
    // to the control after the label in tab order; else it shows as it is.
    bool useMnemonic = false;
    // Text boxes only: the button Enter presses while this box has the focus,
    // in place of the form's default button (empty: the default button).
    std::string enterButton = {};
};

inline ControlDesign MakeControl(std::string name, ControlKind kind, std::string text, int left, int top, int width,
                                 int height, int tabIndex) {
    ControlDesign c;
    c.name = std::move(name);
    c.kind = kind;
    c.text = std::move(text);
    c.rect = {left, top, width, height};
    c.tabIndex = tabIndex;
    return c;
}

struct MenuItemDesign {
    std::string name;     // what a click handler is bound to
    std::string caption;  // "-" is a separator
    bool IsSeparator() const { return caption == "-"; }
};

struct MenuDesign {
    std::string name;     // e.g. "Options"; used by PopupMenu
    std::string caption;
    std::vector<MenuItemDesign> items;
};

enum class Border { FixedSingle, Sizable, FixedDialog };
enum class StartPosition { CenterScreen, WindowsDefault, Manual };

struct FormDesign {
    std::string name;     // "frmSettings"
    std::string caption;
    Border border = Border::FixedSingle;
    bool minButton = false, maxButton = false;
    int clientWidth = 0, clientHeight = 0;  // twips
    StartPosition start = StartPosition::WindowsDefault;
    int left = 0, top = 0;  // client area's top-left on the screen, twips; Manual only
    bool showIcon = true;   // the program's icon in the title bar
    std::string defaultButton;  // Enter presses it (empty: none)
    std::string cancelButton;   // Esc presses it (empty: none)
    std::vector<ControlDesign> controls;
    std::vector<MenuDesign> menus;  // a hidden menu bar: its menus serve as pop-up menus
};

// Whether the design has a button or a menu item (not a separator) of this name.
bool IsClickable(const FormDesign& design, const std::string& name);

// Throws Error for a design no host can render: two controls of one name, or
// a default, cancel or box's Enter button that is not a button of the design.
void CheckDesign(const FormDesign& design);

// Key-down arguments as text boxes report them: the key code and the
// modifier mask (1 Shift, 2 Ctrl, 4 Alt) read from the keyboard state. A
// handler that sets the key code to 0 keeps the key from the box.
struct KeyDownArgs {
    std::int16_t keyCode = 0;
    std::int16_t shift = 0;
};

class Form;

// The handlers of one form, bound to its controls by name. The host checks
// every binding against the design when it loads the form, so a misspelt
// control name fails at once instead of never firing.
class Handlers {
public:
    // After the controls exist, before showing; given the form, which its
    // loader does not hold yet.
    std::function<void(Form& self)> load;
    // Before the window goes; setting `cancel` keeps it.
    std::function<void(bool& cancel)> unload;

    // A button's or menu item's click; for a list box, the user choosing
    // another line (by mouse or keys; not SetListIndex).
    Handlers& OnClick(const std::string& control, std::function<void()> handler);
    // A text box's key-down, before the box handles the key.
    Handlers& OnKeyDown(const std::string& box, std::function<void(KeyDownArgs&)> handler);
    // A text box's typed character; the handler may change it, 0 drops it.
    Handlers& OnKeyPress(const std::string& box, std::function<void(std::int16_t& keyAscii)> handler);
    // A text box's text changed, by the user or by SetText.
    Handlers& OnChange(const std::string& box, std::function<void()> handler);

    // The bound handler, or an empty function. Callers keep a copy while it
    // runs: a handler may unload the form that holds it.
    std::function<void()> Click(const std::string& control) const;
    std::function<void(KeyDownArgs&)> KeyDown(const std::string& box) const;
    std::function<void(std::int16_t&)> KeyPress(const std::string& box) const;
    std::function<void()> Change(const std::string& box) const;

    // Throws Error naming the first binding to a control the design lacks or
    // that cannot raise that event (buttons, menu items and list boxes click,
    // text boxes take keys).
    void CheckAgainst(const FormDesign& design) const;

private:
    std::map<std::string, std::function<void()>> click_;
    std::map<std::string, std::function<void(KeyDownArgs&)>> keyDown_;
    std::map<std::string, std::function<void(std::int16_t&)>> keyPress_;
    std::map<std::string, std::function<void()>> change_;
};

enum class WindowState { Normal, Minimized, Maximized };

// A loaded form. Destroying the object unloads the window if it is still loaded.
class Form {
public:
    virtual ~Form() = default;
    virtual bool Loaded() const = 0;
    virtual platform::WindowId Handle() const = 0;  // the window's handle; 0 once unloaded
    // A control's own window, for a service that works on it (throws Error).
    virtual platform::WindowId ControlHandle(const std::string& control) const = 0;
    // A list box's text is its chosen line's ("" with none); it takes no SetText.
    virtual std::string Text(const std::string& control) const = 0;
    virtual void SetText(const std::string& control, const std::string& text) = 0;
    // A list box's lines, replacing any it had; none is chosen after.
    virtual void SetItems(const std::string& list, const std::vector<std::string>& items) = 0;
    // The chosen line, from 0; -1 when none. Setting it raises no Click.
    virtual int ListIndex(const std::string& list) const = 0;
    virtual void SetListIndex(const std::string& list, int index) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetFocus(const std::string& control) = 0;
    // A disabled control shows its text but takes neither focus nor input.
    virtual void SetEnabled(const std::string& control, bool enabled) = 0;
    virtual bool Enabled(const std::string& control) const = 0;
    virtual void Show() = 0;  // modeless
    // Modal: disables the program's other windows and returns once the form is unloaded.
    virtual void ShowModal() = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    virtual void SetWindowState(WindowState state) = 0;
    virtual WindowState GetWindowState() const = 0;
    // Runs the unload handler, then destroys the window unless it cancelled.
    virtual void Unload() = 0;
    // Pops up the named menu at the mouse position; returns after the user has
    // dismissed it or the chosen item's handler has run.
    virtual void PopupMenu(const std::string& menu) = 0;
};

class FormHost {
public:
    virtual ~FormHost() = default;
    // Checks the handlers against the design (throws Error), creates the
    // window and its controls hidden, runs the load handler, returns the form.
    virtual std::unique_ptr<Form> Load(const FormDesign& design, Handlers handlers) = 0;
    // Runs the message loop until no form of the program remains loaded.
    virtual void RunUntilNoForms() = 0;
    virtual int LoadedForms() const = 0;
};

}  // namespace kestrel::forms
