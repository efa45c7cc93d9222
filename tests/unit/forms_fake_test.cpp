// The fake form host behaves as the Windows one in what the program's tests
// lean on: which buttons Enter and Esc press, the order of KeyPress and the
// box's own editing, a cancelled unload, pop-up menus and modal dialogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "fake/fake_forms.h"

namespace kestrel::fake {
namespace {

using forms::ControlKind;

forms::FormDesign Dialog(const std::string& defaultButton, const std::string& cancelButton) {
    forms::FormDesign d;
    d.name = "frmTest";
    d.caption = "Test";
    d.defaultButton = defaultButton;
    d.cancelButton = cancelButton;
    d.controls = {
        {"lblHotKey", ControlKind::Label, "Hot key:", {}, 0},
        {"txtHotKey", ControlKind::TextBox, "", {}, 1},
        {"cmdOK", ControlKind::Button, "OK", {}, 2},
        {"cmdCancel", ControlKind::Button, "Cancel", {}, 3},
        {"cmdHelp", ControlKind::Button, "Help", {}, 4},
    };
    d.menus = {{"Options", "Options", {{"mnuSettings", "&Settings"}, {"mnuSep", "-"}, {"mnuExit", "E&xit"}}}};
    return d;
}

struct Recorder {
    std::vector<std::string> events;
    forms::Handlers Handlers() {
        forms::Handlers h;
        for (const char* name : {"cmdOK", "cmdCancel", "cmdHelp", "mnuSettings", "mnuExit"})
            h.OnClick(name, [this, name] { events.push_back(name); });
        return h;
    }
};

TEST(FakeForms, EnterAndEscPressOnlyTheDesignsDefaultAndCancelButtons) {
    struct Row {
        std::string defaultButton, cancelButton, key, focus;
        std::vector<std::string> pressed;
    };
    const std::vector<Row> rows = {
        {"cmdOK", "cmdCancel", "Enter", "txtHotKey", {"cmdOK"}},
        {"cmdOK", "cmdCancel", "Enter", "cmdHelp", {"cmdOK"}},  // not the focused button
        {"cmdOK", "cmdCancel", "Esc", "txtHotKey", {"cmdCancel"}},
        {"", "", "Enter", "txtHotKey", {}},
        {"", "", "Enter", "cmdOK", {}},
        {"", "", "Esc", "txtHotKey", {}},
        {"cmdOK", "", "Esc", "txtHotKey", {}},
        {"", "cmdCancel", "Enter", "txtHotKey", {}},
    };
    for (const auto& row : rows) {
        FakeFormHost host;
        Recorder recorder;
        auto form = host.Load(Dialog(row.defaultButton, row.cancelButton), recorder.Handlers());
        auto& fake = host.Get("frmTest");
        if (row.key == "Enter")
            fake.PressEnter(row.focus);
        else
            fake.PressEsc();
        EXPECT_EQ(recorder.events, row.pressed)
            << row.key << " in " << row.focus << ", default '" << row.defaultButton << "', cancel '" << row.cancelButton
            << "'";
        EXPECT_EQ(fake.Text("txtHotKey"), "") << "Enter and Esc type nothing into the box";
    }
}

TEST(FakeForms, KeyPressRunsItsHandlerBeforeTheCharacterReachesTheBox) {
    FakeFormHost host;
    std::vector<std::string> seen;  // the box's text when each key arrived
    forms::Handlers h;
    forms::Form* self = nullptr;
    h.OnKeyDown("txtHotKey", [&](forms::KeyDownArgs& k) {
        seen.push_back("down " + std::to_string(k.keyCode) + "/" + std::to_string(k.shift));
    });
    h.OnKeyPress("txtHotKey", [&](std::int16_t& keyAscii) {
        seen.push_back(self->Text("txtHotKey") + "+" + static_cast<char>(keyAscii));
        if (keyAscii == 'x') keyAscii = 0;
        if (keyAscii == 'b') keyAscii = 'B';
    });
    auto form = host.Load(Dialog("", ""), h);
    self = form.get();
    auto& fake = host.Get("frmTest");

    fake.KeyDown("txtHotKey", 65, 1);
    fake.Type("txtHotKey", "axb");
    fake.KeyPress("txtHotKey", 8);
    fake.KeyPress("txtHotKey", 'c');

    EXPECT_EQ(seen, (std::vector<std::string>{"down 65/1", "+a", "a+x", "a+b", "aB+\b", "a+c"}));
    EXPECT_EQ(form->Text("txtHotKey"), "ac");
    EXPECT_THROW(fake.KeyPress("cmdOK", 'a'), std::logic_error);
}

TEST(FakeForms, TheCloseBoxUnloadsUnlessTheHandlerCancels) {
    FakeFormHost host;
    bool refuse = true;
    int asked = 0;
    forms::Handlers h;
    h.unload = [&](bool& cancel) {
        ++asked;
        cancel = refuse;
    };
    auto form = host.Load(Dialog("", ""), h);
    form->Show();

    host.Get("frmTest").CloseBox();
    EXPECT_TRUE(form->Loaded());
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(host.LoadedForms(), 1);

    refuse = false;
    host.Get("frmTest").CloseBox();
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(form->Handle(), 0u);
    EXPECT_EQ(host.LoadedForms(), 0);
    EXPECT_EQ(host.Find("frmTest"), nullptr);
    EXPECT_THROW(form->Text("txtHotKey"), Error);
    EXPECT_EQ(host.log, (std::vector<std::string>{"load:frmTest", "show:frmTest", "unload:frmTest"}));
}

TEST(FakeForms, PopupMenuRunsTheQueuedChoiceOrNothing) {
    FakeFormHost host;
    Recorder recorder;
    auto form = host.Load(Dialog("", ""), recorder.Handlers());
    host.ChooseMenuItem("mnuExit");
    host.ChooseMenuItem("");  // dismissed

    form->PopupMenu("Options");
    form->PopupMenu("Options");
    form->PopupMenu("Options");  // nothing queued: dismissed
    EXPECT_EQ(recorder.events, std::vector<std::string>{"mnuExit"});
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "popup:frmTest.Options"), 3);

    host.ChooseMenuItem("mnuSep");
    EXPECT_THROW(form->PopupMenu("Options"), std::logic_error);
    EXPECT_THROW(form->PopupMenu("File"), Error);
}

TEST(FakeForms, ShowModalLetsTheTestWorkTheDialogWhileItIsOpen) {
    FakeFormHost host;
    std::unique_ptr<forms::Form> form;
    forms::Handlers h;
    h.OnClick("cmdOK", [&] { form->Unload(); });
    form = host.Load(Dialog("cmdOK", ""), h);
    std::string focusWhenOpen;
    bool modalWhenOpen = false;
    host.onShowModal = [&](FakeForm& open) {
        focusWhenOpen = open.Focus();
        modalWhenOpen = open.Modal();
        open.Type("txtHotKey", "F5");
        open.PressEnter("txtHotKey");
    };

    form->ShowModal();

    EXPECT_TRUE(modalWhenOpen);
    EXPECT_EQ(focusWhenOpen, "txtHotKey") << "the first control in tab order that takes the focus";
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(host.log, (std::vector<std::string>{"load:frmTest", "modal:frmTest", "unload:frmTest"}));
}

TEST(FakeForms, AHandlerBoundToAControlTheDesignLacksFailsTheLoad) {
    struct Row {
        const char* what;
        std::function<void(forms::Handlers&)> bind;
        bool loads;
    };
    const Row rows[] = {
        {"a button's click", [](forms::Handlers& h) { h.OnClick("cmdOK", [] {}); }, true},
        {"a menu item's click", [](forms::Handlers& h) { h.OnClick("mnuExit", [] {}); }, true},
        {"a box's keys", [](forms::Handlers& h) { h.OnKeyDown("txtHotKey", [](forms::KeyDownArgs&) {}); }, true},
        {"a misspelt button", [](forms::Handlers& h) { h.OnClick("cmdOk", [] {}); }, false},
        {"a menu's separator", [](forms::Handlers& h) { h.OnClick("mnuSep", [] {}); }, false},
        {"a label's click", [](forms::Handlers& h) { h.OnClick("lblHotKey", [] {}); }, false},
        {"a button's keys", [](forms::Handlers& h) { h.OnKeyPress("cmdOK", [](std::int16_t&) {}); }, false},
        {"a misspelt box", [](forms::Handlers& h) { h.OnKeyDown("txtHotkey", [](forms::KeyDownArgs&) {}); }, false},
    };
    for (const auto& row : rows) {
        FakeFormHost host;
        forms::Handlers h;
        row.bind(h);
        if (row.loads) {
            EXPECT_NO_THROW(host.Load(Dialog("", ""), h)) << row.what;
        } else {
            EXPECT_THROW(host.Load(Dialog("", ""), h), Error) << row.what;
            EXPECT_TRUE(host.log.empty()) << row.what << ": nothing was loaded";
        }
    }
}

}  // namespace
}  // namespace kestrel::fake
