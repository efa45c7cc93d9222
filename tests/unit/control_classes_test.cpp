#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/control_classes.h"

namespace kestrel::platform {
namespace {

using K = ControlKind;

TEST(ControlClasses, KnowsEachFamilysNamesAndTheAdministratorsAdditions) {
    const ControlClasses classes(
        " TcxCustomInnerTextEdit = edit ;TAdvListView=LIST VIEW;;VirtualConsoleClass=terminal;TMemo=static text;"
        "TGrid=grid;=edit;NoKind;ZipEdit=Edit");
    const struct {
        const char* className;
        const char* realClass;
        ControlKind kind;
    } rows[] = {
        {"Edit", "", K::Edit},
        {"SysListView32", "", K::ListView},
        // a superclass of a window manager class: its real class tells
        {"KestrelDerivedEdit", "Edit", K::Edit},
        {"KestrelDerivedEdit", "", K::Unknown},
        // VB5 and VB6, IDE and runtimes
        {"ThunderRT6TextBox", "", K::Edit},
        {"ThunderRT5ListBox", "", K::ListBox},
        {"thunderrt6commandbutton", "", K::Button},
        {"ListView20WndClass", "", K::ListView},
        {"RichTextWndClass", "", K::RichEdit},
        {"ThunderRT6Frame", "", K::Unknown},
        // Delphi and C++Builder, data-aware and descendants
        {"TDBMemo", "", K::Edit},
        {"TMaskEdit", "", K::Edit},
        {"TDBComboBox", "", K::ComboBox},
        {"TRichEdit", "", K::RichEdit},
        // WinForms, whatever the version and hash; its generic window is no control
        {"WindowsForms10.EDIT.app.0.378734a", "", K::Edit},
        {"WindowsForms10.SysListView32.app.0.2bf8098_r9_ad1", "", K::ListView},
        {"windowsforms10.combobox.APP.0.x", "", K::ComboBox},
        {"WindowsForms10.Window.8.app.0.378734a", "", K::Unknown},
        {"WindowsForms10.EDIT", "", K::Unknown},
        {"WindowsForms.EDIT.app.0", "", K::Unknown},
        // ATL and WTL; an ATL window of its own is none
        {"ATL:SysTreeView32", "", K::TreeView},
        {"ATL:00A4F2C8", "", K::Unknown},
        // the administrator's, before the built-in names, also inside WinForms and ATL names
        {"tcxcustominnertextedit", "", K::Edit},
        {"ATL:TAdvListView", "", K::ListView},
        {"VirtualConsoleClass", "", K::Terminal},
        {"TMemo", "", K::StaticText},
        {"ZipEdit", "", K::Edit},
        {"TGrid", "", K::Unknown},
        {"TcxGrid", "Static", K::StaticText},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.className) + " / " + row.realClass);
        EXPECT_EQ(classes.KindOf(row.className, row.realClass), row.kind);
    }
    EXPECT_EQ(classes.badEntries(), (std::vector<std::string>{"TGrid=grid", "=edit", "NoKind"}));
    EXPECT_EQ(ControlClasses().KindOf("TAdvListView"), K::Unknown) << "additions belong to one table";
    EXPECT_STREQ(KindName(K::ListView), "list view");
}

}  // namespace
}  // namespace kestrel::platform
