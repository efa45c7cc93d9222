#include <gtest/gtest.h>

#include <string>

#include "capture/value_from.h"
#include "platform/error.h"

namespace kestrel {
namespace {

using Place = ValueFrom::Place;

// Each row: what is written, and either what it reads as or the words of its
// error (a part of them, enough to tell the faults apart).
struct Row {
    const char* written;
    Place place;
    int id;
    const char* className;
    int number;
    const char* error;
};

TEST(ValueFrom, ReadsEveryFormAndSaysWhatDoesNot) {
    const Row rows[] = {
        {"", Place::Selection, 0, "", 0, nullptr},
        {"   ", Place::Selection, 0, "", 0, nullptr},
        {"selection", Place::Selection, 0, "", 0, nullptr},
        {" Selection ", Place::Selection, 0, "", 0, nullptr},
        {"title", Place::Title, 0, "", 0, nullptr},
        {"TITLE", Place::Title, 0, "", 0, nullptr},
        {"control #1001", Place::ControlId, 1001, "", 0, nullptr},
        {"Control #0", Place::ControlId, 0, "", 0, nullptr},
        {"control#7", Place::ControlId, 7, "", 0, nullptr},
        {"control # 2147483647", Place::ControlId, 2147483647, "", 0, nullptr},
        {"control edit 2", Place::ControlClass, 0, "edit", 2, nullptr},
        {"control  ThunderRT6TextBox   12 ", Place::ControlClass, 0, "ThunderRT6TextBox", 12, nullptr},
        // a kind of two words, and a class that holds a digit and '#'
        {"control rich edit 1", Place::ControlClass, 0, "rich edit", 1, nullptr},
        {"control WindowsForms10.EDIT.app.0.1#2 3", Place::ControlClass, 0, "WindowsForms10.EDIT.app.0.1#2", 3,
         nullptr},
        {"selected", Place::Selection, 0, "", 0, "is none of selection, title"},
        {"title bar", Place::Selection, 0, "", 0, "is none of"},
        {"controls #1", Place::Selection, 0, "", 0, "is none of"},
        {"control", Place::Selection, 0, "", 0, "control needs #<id> or a class and a number"},
        {"control   ", Place::Selection, 0, "", 0, "control needs"},
        {"control #", Place::Selection, 0, "", 0, "needs the control ID after it"},
        {"control #10a", Place::Selection, 0, "", 0, "\"10a\" is no decimal number"},
        {"control #-1", Place::Selection, 0, "", 0, "is no decimal number"},
        {"control #0x3E9", Place::Selection, 0, "", 0, "is no decimal number"},
        {"control #1001 2", Place::Selection, 0, "", 0, "is no decimal number"},
        {"control #2147483648", Place::Selection, 0, "", 0, "too large"},
        {"control Edit", Place::Selection, 0, "", 0, "needs the number of the control after the class"},
        {"control Edit two", Place::Selection, 0, "", 0, "does not end in the number"},
        {"control Edit -2", Place::Selection, 0, "", 0, "does not end in the number"},
        {"control Edit 0", Place::Selection, 0, "", 0, "counts from 1, not 0"},
        {"control Edit 99999999999", Place::Selection, 0, "", 0, "too large"},
    };
    for (const auto& row : rows) {
        if (row.error) {
            try {
                ParseValueFrom(row.written);
                ADD_FAILURE() << "read: \"" << row.written << "\"";
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find(row.error), std::string::npos)
                    << "\"" << row.written << "\": " << e.what();
            }
            continue;
        }
        const auto v = ParseValueFrom(row.written);
        EXPECT_EQ(v.place, row.place) << row.written;
        EXPECT_EQ(v.id, row.id) << row.written;
        EXPECT_EQ(v.className, row.className) << row.written;
        EXPECT_EQ(v.number, row.number) << row.written;
    }
    EXPECT_EQ(ParseValueFrom("  control #1001 ").written, "control #1001");
}

}  // namespace
}  // namespace kestrel
