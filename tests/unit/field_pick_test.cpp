#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "capture/field_pick.h"

namespace kestrel {
namespace {

TEST(FieldPick, NamesThePickedFieldByAUniqueIdElseByKindAndNumber) {
    platform::PickedField form;
    form.window = 7;
    form.descendants = {
        {1, "Static", "", 0xFFFF},  // 0: a label of a dialog template
        {2, "Edit", "", 1001},
        {3, "Static", "", 0xFFFF},
        {4, "Edit", "", 1002},
        {5, "WindowsForms10.EDIT.app.0.1a2b", "", 1002},  // 4: the same ID twice
        {6, "Button", "", 1},
        {7, "KestrelCustom", "", 1003},  // 6: draws itself
        {8, "KestrelDerivedEdit", "Edit", 0},
        {9, "TEdit", "", 0},
        {10, "RichEdit20W", "", 1004},
        {11, "SysListView32", "", -5},
    };
    const platform::ControlClasses builtIn, custom("KestrelCustom=edit");
    const struct {
        std::size_t picked;
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
        {form.descendants.size(), builtIn, std::nullopt},
    };
    for (const auto& row : rows) {
        auto field = form;
        field.index = row.picked;
        EXPECT_EQ(PickedValueFrom(field, row.classes), row.valueFrom) << "picked " << row.picked;
    }
    auto gone = form;
    gone.window = 0;
    gone.index = 1;
    EXPECT_EQ(PickedValueFrom(gone, builtIn), std::nullopt);
}

}  // namespace
}  // namespace kestrel
