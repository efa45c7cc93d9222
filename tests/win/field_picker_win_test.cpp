// The real FieldPicker against another program's form: the mouse way, by a
// drag from a button of this program's and by a click after Track, with the
// field outlined while pointed at; the focus of the window in front; the
// form's fields as a pick names them.
#include <optional>

#include "capture/field_pick.h"
#include "fixtures/controls_app.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kTitle = L"Invoice 4711 - Pick";

class FieldPickerWinTest : public WinTest {
protected:
    FieldPickerWinTest()
        : app_(L"\"" + ProgramDir() + L"\\" KESTREL_CONTROLS_APP L"\" --title \"" + kTitle + L"\" --focus wrapped") {
        WaitFor([&] { return (form_ = FindWindowW(L"KestrelControlsApp", kTitle)) && Item(fixtures::kKeyCount); });
        WaitForInputIdle(app_.handle(), Scaled(2000));
        // Beside the form, not over it.
        host_ = TestWindow(L"KestrelPickHost", DefWindowProcW, L"Pick host", WS_POPUP | WS_VISIBLE,
                           {760, 520, 960, 640});
        button_ = CreateWindowExW(0, L"Button", L"Pick field", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 120, 30,
                                  host_.get(), reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
        picker_.Arm(reinterpret_cast<platform::WindowId>(button_), [this](platform::WindowId c) { picked_ = c; });
    }
    HWND Item(int id) const { return GetDlgItem(form_, id); }
    // The pointer on the control, moving a little as a hand does.
    bool OutlineAround(HWND control) {
        RECT outline{}, field{};
        int step = 0;
        const bool around = WaitFor([&] {
            Mouse({Middle(control).x + (++step % 2), Middle(control).y});
            if (!picker_.Outline() || !GetWindowRect(picker_.Outline(), &outline)) return false;
            GetWindowRect(control, &field);
            return outline.left < field.left && outline.right > field.right && outline.top < field.top &&
                   outline.bottom > field.bottom && outline.right - field.right < 10;
        }, 2000);
        if (!around)
            ADD_FAILURE() << "outline shown " << (picker_.Outline() != nullptr) << " at " << outline.left << ","
                          << outline.top << "-" << outline.right << "," << outline.bottom;
        return around;
    }

    Process app_;
    HWND form_ = nullptr;
    win32::Window host_;
    HWND button_ = nullptr;
    win32::FieldPicker picker_;
    std::optional<platform::WindowId> picked_;
};

TEST_F(FieldPickerWinTest, ADragFromTheButtonOutlinesTheFieldsItCrossesAndPicksTheOneReleasedOver) {
    const HWND plain = Item(fixtures::kPlainEdit), rich = Item(fixtures::kRichEdit);
    Mouse(Middle(button_));
    Mouse(Middle(button_), MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitFor([&] { return GetCapture() == button_; }, 2000)) << "the button holds the mouse";
    Mouse(Middle(plain));
    EXPECT_TRUE(OutlineAround(plain));
    Mouse(Middle(rich));
    EXPECT_TRUE(OutlineAround(rich)) << "the outline follows the pointer";
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_CROSS));
    Mouse(Middle(rich), MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitFor([&] { return picked_.has_value(); }, 2000));
    EXPECT_EQ(*picked_, reinterpret_cast<platform::WindowId>(rich));
    EXPECT_EQ(picker_.Outline(), nullptr);

    // Released on the button itself, the press is only its click.
    picked_.reset();
    Mouse(Middle(button_), MOUSEEVENTF_LEFTDOWN);
    Mouse(Middle(button_), MOUSEEVENTF_LEFTUP);
    Pump(200);
    EXPECT_FALSE(picked_.has_value());
}

TEST_F(FieldPickerWinTest, AfterTrackTheNextClickPicksAndNeverReachesTheProgram) {
    const HWND plain = Item(fixtures::kPlainEdit), wrapped = Item(fixtures::kWrappedEdit);
    SetForegroundWindow(form_);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == form_; }));
    picker_.Track();
    Mouse(Middle(plain));
    EXPECT_TRUE(OutlineAround(plain));
    Mouse(Middle(plain), MOUSEEVENTF_LEFTDOWN);
    Mouse(Middle(plain), MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitFor([&] { return picked_.has_value(); }, 2000));
    EXPECT_EQ(*picked_, reinterpret_cast<platform::WindowId>(plain));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(form_, nullptr), &info);
    EXPECT_EQ(info.hwndFocus, wrapped) << "the click was the pick's, not the form's";

    // A click on the program's own window picks nothing; no click picks once tracking stopped.
    picked_.reset();
    picker_.Track();
    Mouse(Middle(button_), MOUSEEVENTF_LEFTDOWN);
    Mouse(Middle(button_), MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitFor([&] { return picked_.has_value(); }, 2000));
    EXPECT_EQ(*picked_, 0u);
    picked_.reset();
    picker_.Track();
    picker_.Stop(false);
    Mouse(Middle(plain), MOUSEEVENTF_LEFTDOWN);
    Mouse(Middle(plain), MOUSEEVENTF_LEFTUP);
    Pump(200);
    EXPECT_FALSE(picked_.has_value());
}

TEST_F(FieldPickerWinTest, TheFocusInTheWindowInFrontIsNamedAsThePickStoresIt) {
    SetForegroundWindow(form_);
    const auto wrapped = reinterpret_cast<platform::WindowId>(Item(fixtures::kWrappedEdit));
    EXPECT_TRUE(WaitFor([&] { return picker_.FocusedControl() == wrapped; }));
    const auto focused = picker_.FocusedControl();
    EXPECT_EQ(picker_.WindowOf(focused), reinterpret_cast<platform::WindowId>(form_));
    const auto fields = services.desktop.Descendants(picker_.WindowOf(focused));
    // What a pick of the control stores.
    const auto stored = [&](int id, const platform::ControlClasses& classes) {
        return PickedValueFrom(fields, reinterpret_cast<platform::WindowId>(Item(id)), classes);
    };
    const platform::ControlClasses classes;
    EXPECT_EQ(stored(fixtures::kWrappedEdit, classes), "control #102");
    EXPECT_EQ(stored(fixtures::kRichEdit, classes), "control #103");
    // Wine names a superclass by the program's class, where Windows gives the edit's.
    EXPECT_EQ(stored(fixtures::kDerivedEdit, platform::ControlClasses("KestrelDerivedEdit=edit")), "control #106");
    EXPECT_EQ(stored(fixtures::kCustomText, classes), std::nullopt) << "it draws its own text";
    EXPECT_EQ(picker_.WindowOf(0), 0u);

    SetForegroundWindow(host_.get());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == host_.get(); }));
    EXPECT_EQ(picker_.FocusedControl(), 0u) << "the program's own window";
}

}  // namespace
}  // namespace kestrel::wintest
