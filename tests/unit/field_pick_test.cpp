#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "capture/field_pick.h"

namespace kestrel {
namespace {

TEST(FieldPick, NamesThePickedFieldByAUniqueIdElseByKindAndNumber) {
    const std::vector<platform::ChildWindow> form = {
        {1, 0xFFFF, "Static", ""},  // 0: a label of a dialog template
        {2, 1001, "Edit", ""},
        {3, 0xFFFF, "Static", ""},
        {4, 1002, "Edit", ""},
        {5, 1002, "WindowsForms10.EDIT.app.0.1a2b", ""},  // 4: the same ID twice
        {6, 1, "Button", ""},
        {7, 1003, "KestrelCustom", ""},  // 6: draws itself
        {8, 0, "KestrelDerivedEdit", "Edit"},
        {9, 0, "TEdit", ""},
        {10, 1004, "RichEdit20W", ""},
        {11, -5, "SysListView32", ""},
    };
    const platform::ControlClasses builtIn, custom("KestrelCustom=edit");
    const struct {
        platform::WindowId picked;  // the place among them, from 0
        const platform::ControlClasses& classes;
        std::optional<std::string> valueFrom;
    } rows[] = {
        {1, builtIn, "control #1001"},
        {5, builtIn, "control #1"},
        {9, builtIn, "control #1004"},
        {3, builtIn, "control edit 2"},  // its ID is not the window's alone
        {4, builtIn, "control edit 3"},  // counted by kind, whatever the toolkit calls it
        {7, builtIn, "control edit 4"},
        {8, builtIn, "control edit 5"},
        {0, builtIn, "control static text 1"},
        {2, builtIn, "control static text 2"},
        {10, builtIn, "control list view 1"},
        {6, builtIn, std::nullopt},
        {6, custom, "control #1003"},
        {7, custom, "control edit 5"},  // the administrator's edit counts too
        {99, builtIn, std::nullopt},  // the window itself, no field of it
    };
    for (const auto& row : rows)
        EXPECT_EQ(PickedValueFrom(form, row.picked + 1, row.classes), row.valueFrom) << "picked " << row.picked;
}

}  // namespace
}  // namespace kestrel
