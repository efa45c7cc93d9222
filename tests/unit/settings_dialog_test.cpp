#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "fake/fake_fixture.h"
#include "settings/hotkey_names.h"
#include "settings/settings_dialog.h"

namespace kestrel {
namespace {

TEST(HotKeyNames, KeysAndModifiersAreNamedAsTheDialogShowsThem) {
    const std::pair<int, const char*> keys[] = {
        {3, "CANCEL"}, {8, "BACKSPACE"}, {13, "ENTER"}, {20, "CAPS LOCK"}, {27, "ESC"}, {32, "SPACEBAR"},
        {44, "PRINT SCREEN"}, {47, "HELP"}, {48, "0"}, {57, "9"}, {65, "A"}, {90, "Z"}, {91, "Left Windows key"},
        {93, "Applications key"}, {96, "Numeric keypad 0"}, {105, "Numeric keypad 9"}, {109, "Substract"},
        {111, "Divide"}, {112, "F1"}, {122, "F11"}, {135, "F24"},
        // Codes without a name, and codes beyond the table.
        {0, ""}, {2, ""}, {16, ""}, {42, ""}, {58, ""}, {64, ""}, {94, ""}, {95, ""}, {136, ""}, {-1, ""}, {255, ""},
    };
    for (const auto& [code, name] : keys) EXPECT_EQ(KeyName(code), name) << code;
    const char* masks[] = {"", "Shift", "Ctrl", "Ctrl-Shift", "Alt", "Alt-Shift", "Ctrl-Alt", "Ctrl-Alt-Shift", ""};
    for (int m = 0; m <= 8; ++m) EXPECT_EQ(ShiftName(m), masks[m]) << m;
    EXPECT_EQ(ShiftName(9), "");
    EXPECT_EQ(ShiftName(-1), "");
    EXPECT_EQ(HotKeyDisplayText(0, 122), " F11");
    EXPECT_EQ(HotKeyDisplayText(2, 123), "Ctrl F12");
    EXPECT_EQ(HotKeyDisplayText(7, 90), "Ctrl-Alt-Shift Z");
}

// What scripts/screenshot read from each picture's window, held against the
// design as it is now: a design changed without new pictures fails here.
TEST(Pictures, EachPictureShowsTheControlsItsDesignHasNow) {
    std::ifstream file(KESTREL_DOCS_DIR "/pictures.txt");
    ASSERT_TRUE(file) << "docs/pictures.txt is missing: run scripts/screenshot";
    std::map<std::string, std::vector<std::string>> shown;
    std::string line, picture;
    while (std::getline(file, line))
        if (line.empty() || line[0] == '#')
            continue;
        else if (line[0] == '[')
            picture = line.substr(1, line.size() - 2);
        else
            shown[picture].push_back(line);
    const auto controls = [](const forms::FormDesign& d) {
        auto ordered = d.controls;
        std::stable_sort(ordered.begin(), ordered.end(), [](auto& a, auto& b) { return a.tabIndex < b.tabIndex; });
        std::vector<std::string> lines = {"caption\t" + d.caption};
        for (const auto& c : ordered) {
            using forms::ControlKind;
            const bool label = c.kind == ControlKind::Label || c.kind == ControlKind::Picture;
            if (c.kind == ControlKind::Line) continue;
            if (c.kind == ControlKind::TextBox) lines.push_back("edit\t");
            if (c.kind == ControlKind::ListBox) lines.push_back("listbox\t");
            if (c.kind == ControlKind::Button || label)
                lines.push_back((label ? "static\t" : "button\t") + (c.kind == ControlKind::Picture ? "" : c.text));
        }
        return lines;
    };
    const std::map<std::string, std::vector<std::string>> designs = {
        {"settings-96dpi.png", controls(SettingsDialog::Design())},
        {"settings-144dpi.png", controls(SettingsDialog::Design())},
        {"sources.png", controls(SourcesDialog::Design())},
    };
    for (const auto& [name, lines] : designs) {
        // A label the design leaves empty is the dialog's to fill (what Try
        // or a pick found): the picture's sample, as an edit's text is.
        auto& pictured = shown[name];
        for (std::size_t i = 0; i < lines.size() && i < pictured.size(); ++i)
            if (lines[i] == "static\t" && pictured[i].rfind("static\t", 0) == 0) pictured[i] = lines[i];
        EXPECT_EQ(pictured, lines) << "docs/" << name
                                   << " shows another window than the design's: run scripts/screenshot";
    }
}

class SettingsDialogTest : public fake::FakeTest {
protected:
    // Opens the dialog and works it while it is open.
    void Open(std::function<void(fake::FakeForm&)> work) {
        host.onShowModal = [&](fake::FakeForm& f) {
            form = &f;
            work(f);
            stillOpen = f.Loaded();
        };
        desk.log.clear();
        SettingsDialog(host, desk, desk, desk, settings).ShowModal();
    }
    void Fill(fake::FakeForm& f, const std::string& title, const std::string& type, const std::string& field) {
        f.SetText("txtSourceWindow", title);
        f.SetText("txtDocType", type);
        f.SetText("txtSearchField", field);
    }
    std::vector<std::string> Saves() {
        std::vector<std::string> saves;
        for (const auto& e : desk.log)
            if (e.rfind("save:", 0) == 0) saves.push_back(e);
        return saves;
    }

    Settings settings;
    fake::FakeForm* form = nullptr;
    bool stillOpen = false;
};

TEST_F(SettingsDialogTest, AFirstStartShowsF11AndEmptyBoxes) {
    Open([](fake::FakeForm& f) {
        EXPECT_EQ(f.Text("txtHotKey"), " F11");
        EXPECT_EQ(f.Text("txtSourceWindow"), "");
        EXPECT_EQ(f.Text("txtDocType"), "");
        EXPECT_EQ(f.Text("txtSearchField"), "");
        EXPECT_EQ(f.Focus(), "txtSourceWindow");
        EXPECT_EQ(f.Caption(), "Settings");
        EXPECT_TRUE(f.Modal());
    });
    EXPECT_EQ(host.loads, std::vector<std::string>{"frmSettings"});
}

TEST_F(SettingsDialogTest, CtrlShiftF5IsShownAndSavedWithTheTextsInOrder) {
    Open([&](fake::FakeForm& f) {
        Fill(f, "Orders - ACME", "Claims", "Account");
        f.KeyDown("txtHotKey", 116, 3);
        EXPECT_EQ(f.Text("txtHotKey"), "Ctrl-Shift F5");
        f.Click("cmdOK");
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(settings.hotKey, 116);
    EXPECT_EQ(settings.hotKeyShift, 3);
    EXPECT_EQ(Saves(), (std::vector<std::string>{"save:SourceWindow=Orders - ACME", "save:Field=Account",
                                                 "save:AppName=Claims", "save:Hotkey=116", "save:HotKeyShift=3",
                                                 "save:SaveNext=False", "save:ValuePattern=", "save:Column=",
                                                 "save:ValueFrom="}));
}

TEST_F(SettingsDialogTest, WhichKeyDownsAreAccepted) {
    struct Row {
        std::int16_t code, shift;
        const char* shown;  // nullptr: refused, the display stays
    };
    const Row rows[] = {
        {135, 0, " F24"}, {112, 7, "Ctrl-Alt-Shift F1"}, {90, 4, "Alt Z"}, {53, 4, "Alt 5"}, {65, 3, "Ctrl-Shift A"},
        {58, 2, "Ctrl "}, {64, 6, "Ctrl-Alt "},
        {65, 1, nullptr}, {65, 0, nullptr}, {48, 0, nullptr}, {17, 2, nullptr}, {16, 1, nullptr}, {91, 2, nullptr},
        {13, 0, nullptr}, {111, 2, nullptr}, {136, 0, nullptr}, {47, 2, nullptr},
        {67, 2, nullptr}, {67, 3, "Ctrl-Shift C"}, {67, 6, "Ctrl-Alt C"},  // Ctrl+C alone is the program's own copy
    };
    for (const auto& row : rows) {
        Open([&](fake::FakeForm& f) {
            f.KeyDown("txtHotKey", row.code, row.shift);
            EXPECT_EQ(f.Text("txtHotKey"), row.shown ? row.shown : " F11") << row.code << "/" << row.shift;
            Fill(f, "", "Claims", "Account");
            f.Click("cmdOK");
        });
        EXPECT_EQ(settings.hotKey, row.shown ? row.code : 122) << "pending after " << row.code << "/" << row.shift;
        EXPECT_EQ(settings.hotKeyShift, row.shown ? row.shift : 0);
        settings.hotKey = 122;
        settings.hotKeyShift = 0;
    }
}

TEST_F(SettingsDialogTest, TheHotKeyBoxShowsOnlyThePendingCombination) {
    Open([](fake::FakeForm& f) {
        struct Step {
            std::function<void(fake::FakeForm&)> act;
            const char* shown;
        };
        const Step steps[] = {
            {[](fake::FakeForm& b) { b.KeyDown("txtHotKey", 65, 1); }, " F11"},  // Shift+A: refused
            {[](fake::FakeForm& b) { b.KeyPress("txtHotKey", 'A'); }, " F11"},   // its character
            {[](fake::FakeForm& b) { b.KeyDown("txtHotKey", 65, 3); }, "Ctrl-Shift A"},  // shown at once
            {[](fake::FakeForm& b) { b.KeyPress("txtHotKey", 1); }, "Ctrl-Shift A"},
            {[](fake::FakeForm& b) { b.KeyPress("txtHotKey", 8); }, "Ctrl-Shift A"},  // Backspace
            {[](fake::FakeForm& b) { b.KeyDown("txtHotKey", 67, 2); }, "Ctrl-Shift A"},  // Ctrl+C
        };
        for (const auto& step : steps) {
            step.act(f);
            EXPECT_EQ(f.Text("txtHotKey"), step.shown);
        }
        f.SetText("txtDocType", "Claims");
        f.SetText("txtSearchField", "Account");
        f.Click("cmdOK");
    });
    EXPECT_EQ(settings.hotKey, 65);
    EXPECT_EQ(settings.hotKeyShift, 3) << "what the box showed is what was saved";
}

TEST_F(SettingsDialogTest, SettingsChangeOnlyWhenStored) {
    desk.failSaveAt = "AppName";
    Open([&](fake::FakeForm& f) {
        Fill(f, "Other", "Other", "Other");
        f.Click("cmdOK");
        f.Click("cmdCancel");
    });
    EXPECT_EQ(settings, Settings{}) << "a failed save changes nothing";
}

TEST_F(SettingsDialogTest, OkRefusesAnEmptySearchFieldFirstThenAnEmptyDocumentTypeThenWhatASearchCannotCarry) {
    Open([&](fake::FakeForm& f) {
        Fill(f, "Orders", "", "");
        f.KeyDown("txtHotKey", 116, 3);
        f.Click("cmdOK");
        f.SetText("txtSearchField", "Account");
        f.Click("cmdOK");
        f.SetText("txtDocType", "Claims;2");
        f.Click("cmdOK");
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(desk.messages.size(), 3u);
    EXPECT_EQ(desk.messages[0].text, "error: cannot save settings.  Please enter a field to search.");
    EXPECT_EQ(desk.messages[1].text, "error: cannot save settings.  Please enter a Document Type.");
    EXPECT_EQ(desk.messages[2].text,
              "error: cannot save settings.  The document type holds ';', which a search cannot carry.");
    for (const auto& m : desk.messages) EXPECT_EQ(m.modality, platform::Modality::System);
    EXPECT_TRUE(Saves().empty());
    EXPECT_EQ(settings, Settings{}) << "nothing changed";
}

TEST_F(SettingsDialogTest, BlanksCountAsTextAndAnEmptyTitleIsSaved) {
    Open([&](fake::FakeForm& f) {
        Fill(f, "", " ", "   ");
        f.Click("cmdOK");
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(settings.sources[0].searchField, "   ");
    EXPECT_EQ(settings.sources[0].documentType, " ");
    EXPECT_EQ(Stored("SourceWindow"), "");
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxChangeNothing) {
    settings.sources[0].searchField = "Account";
    for (bool closeBox : {false, true}) {
        Open([&](fake::FakeForm& f) {
            EXPECT_EQ(f.Text("txtSearchField"), "Account") << "the old values, not the last opening's edits";
            Fill(f, "Other", "Other", "Other");
            f.KeyDown("txtHotKey", 116, 3);
            if (closeBox)
                f.CloseBox();
            else
                f.Click("cmdCancel");
        });
        EXPECT_FALSE(stillOpen);
        EXPECT_TRUE(Saves().empty());
        EXPECT_EQ(settings.sources[0].searchField, "Account");
        EXPECT_EQ(settings.hotKey, 122);
    }
}

TEST_F(SettingsDialogTest, EnterAndEscInABoxPressNeitherButton) {
    Open([&](fake::FakeForm& f) {
        Fill(f, "Orders", "Claims", "Account");
        for (const char* box : {"txtSourceWindow", "txtDocType", "txtSearchField", "txtHotKey"}) f.PressEnter(box);
        f.PressEsc();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(Saves().empty());
}

TEST_F(SettingsDialogTest, AStoredCombinationBeyondTheTablesStaysPending) {
    settings.hotKey = 200;
    settings.hotKeyShift = 9;
    Open([&](fake::FakeForm& f) {
        EXPECT_EQ(f.Text("txtHotKey"), " ");
        Fill(f, "", "Claims", "Account");
        f.Click("cmdOK");
    });
    EXPECT_EQ(Stored("Hotkey"), "200");
    EXPECT_EQ(Stored("HotKeyShift"), "9");
}

TEST_F(SettingsDialogTest, ASaveThatFailsIsReportedAndTheDialogStaysOpen) {
    desk.failSaveAt = "AppName";
    Open([&](fake::FakeForm& f) {
        Fill(f, "", "Claims", "Account");
        f.Click("cmdOK");
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "error: the settings could not be saved.  the store cannot be written");
    EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// The Sources dialog, opened from Settings: `work` runs while it is open.
class SourcesDialogTest : public fake::FakeTest {
protected:
    SourcesDialogTest() {
        settings.sources[0].documentType = "Claims";
        settings.sources[0].searchField = "Account";
    }
    // Opens Settings, then Sources from it; `settingsWork` runs in Settings
    // before (with `sources` null) and after the Sources dialog.
    // Returns what the Settings dialog returns.
    bool Open(std::function<void(fake::FakeForm&)> work,
              std::function<void(fake::FakeForm&, bool after)> settingsWork = {}) {
        host.onShowModal = [&, work, settingsWork](fake::FakeForm& f) {
            if (f.Name() == "frmSources") {
                work(f);
                sourcesOpen = f.Loaded();
                return;
            }
            if (settingsWork) settingsWork(f, false);
            f.Click("cmdSources");
            if (settingsWork) settingsWork(f, true);
        };
        desk.log.clear();
        return SettingsDialog(host, desk, desk, desk, settings).ShowModal();
    }
    Settings settings;
    bool sourcesOpen = false;
    std::function<void()> hotKey;  // where the program sends the hotkey's presses, when lent
};

// Each source as "number window/type/field/pattern", and " from <ValueFrom>" when set.
std::vector<std::string> Described(const std::vector<Source>& sources) {
    std::vector<std::string> lines;
    for (const auto& s : sources)
        lines.push_back(std::to_string(s.number) + " " + s.window + "/" + s.documentType + "/" + s.searchField + "/" +
                        s.valuePattern + (s.valueFrom.empty() ? "" : " from " + s.valueFrom));
    return lines;
}

TEST_F(SourcesDialogTest, EachFlowSavesWhatTheUserMeantAndNamesTheSourceItRefuses) {
    const std::map<std::string, std::string> one = {{"Settings\\AppName", "Claims"}, {"Settings\\Field", "Account"}};
    const auto with = [&](std::map<std::string, std::string> more) {
        more.insert(one.begin(), one.end());
        return more;
    };
    struct Row {
        const char* name;
        std::map<std::string, std::string> store, policy;  // by "Section\\Key"
        std::function<void(fake::FakeForm&)> work;  // in the Sources dialog, which it closes
        std::vector<std::string> messages;
        std::vector<std::string> after;  // the sources as stored and kept once Settings' OK (or Cancel) is done
        bool settingsOk = true;
    };
    const Row rows[] = {
        {"Add, a refused OK, then Enter", one, {},
         [](fake::FakeForm& f) {
             f.Click("cmdAdd");
             EXPECT_EQ(f.Focus(), "txtWindow");
             EXPECT_EQ(f.ListIndex("lstSources"), 1);
             f.Type("txtWindow", "CRM*");
             f.SetText("txtDocType", "Letters");
             f.SetText("txtSearchField", "Acc'No");
             EXPECT_EQ(f.Items("lstSources")[1], "2. CRM* - Letters") << "the line follows the boxes";
             f.PressEnter("txtSearchField");
             ASSERT_TRUE(f.Loaded());
             f.Choose("lstSources", 0);
             EXPECT_EQ(f.Text("txtDocType"), "Claims");
             f.Choose("lstSources", 1);
             EXPECT_EQ(f.Text("txtSearchField"), "Acc'No") << "edits stay with their source";
             f.SetText("txtSearchField", "Customer");
             f.SetText("txtSample", "Invoice No.: 4711");
             f.SetText("txtPattern", "No\\.:\\s*(\\d+)");
             f.PressEnter("txtSample");
             EXPECT_EQ(f.Text("lblValue"), "Value: 4711") << "Enter in the sample line tries the pattern";
             ASSERT_TRUE(f.Loaded());
             f.SetText("txtValueFrom", "control Edit 0");
             f.PressEnter("txtPattern");
             ASSERT_TRUE(f.Loaded());
             EXPECT_EQ(f.Text("txtValueFrom"), "control Edit 0");
             f.SetText("txtValueFrom", "control #1001");
             f.PressEnter("txtPattern");
         },
         {"error: cannot save settings.  Source 2: The search field holds ''', which a search cannot carry.",
          "error: cannot save settings.  Source 2: The place to take the value from (ValueFrom) does not read: the "
          "number after the class counts from 1, not 0."},
         {"1 /Claims/Account/", "2 CRM*/Letters/Customer/No\\.:\\s*(\\d+) from control #1001"}},
        {"a policy's bad pattern is shown, never refused", one,
         {{"Source3\\SourceWindow", "Orders*"}, {"Source3\\AppName", "Orders"}, {"Source3\\Field", "OrderNo"},
          {"Source3\\ValuePattern", "(\\d+"}},
         [](fake::FakeForm& f) {
             f.Choose("lstSources", 1);
             EXPECT_EQ(f.Text("lblValue"), "Policy: The value pattern does not read: the ( at character 1 is never closed");
             EXPECT_FALSE(f.Enabled("txtPattern"));
             EXPECT_FALSE(f.Enabled("cmdRemove"));
             f.PressEnter("txtWindow");
         },
         {}, {"1 /Claims/Account/", "3 Orders*/Orders/OrderNo/(\\d+"}},
        {"skipped sections shown, one completed, one removed, one left as it was; an empty new one dropped",
         with({{"Source2\\SourceWindow", "CRM"}, {"Source2\\AppName", "Letters"}, {"Source4\\SourceWindow", "Old"},
               {"Source5\\AppName", "Mail"}}), {},
         [](fake::FakeForm& f) {
             EXPECT_EQ(f.Items("lstSources"),
                       (std::vector<std::string>{"1. (the window in front) - Claims",
                                                 "2. CRM - Letters (skipped: no search field)",
                                                 "4. Old -  (skipped: no document type and no search field)",
                                                 "5. (the window in front) - Mail (skipped: no search field)"}));
             f.Click("cmdAdd");
             EXPECT_EQ(f.Items("lstSources")[2].substr(0, 3), "3. ") << "the lowest number no section holds";
             f.Choose("lstSources", 1);
             f.SetText("txtWindow", "CRM*");
             f.PressEnter("lstSources");
             EXPECT_EQ(f.ListIndex("lstSources"), 1) << "the refused source is chosen";
             f.SetText("txtSearchField", "Customer");
             f.Choose("lstSources", 3);
             f.Click("cmdRemove");
             f.PressEnter("txtWindow");
         },
         {"error: cannot save settings.  Source 2: Please enter a field to search."},
         {"1 /Claims/Account/", "2 CRM*/Letters/Customer/", "5 /Mail//"}},
        {"sources that can never be chosen are named with the one that wins",
         {{"Settings\\SourceWindow", "ACME*"}, {"Settings\\AppName", "Claims"}, {"Settings\\Field", "Account"},
          {"Source2\\SourceWindow", "acme*"}, {"Source2\\AppName", "Letters"}, {"Source2\\Field", "Customer"},
          {"Source3\\AppName", "Orders"}, {"Source3\\Field", "OrderNo"},
          {"Source5\\AppName", "Mail"}, {"Source5\\Field", "Sender"}}, {},
         [](fake::FakeForm& f) { f.PressEnter("txtWindow"); },
         {"warning: source 2 can never be chosen: source 1 has the same window title, \"ACME*\".\n"
          "warning: source 5 can never be chosen: source 3 too has no window title."},
         {"1 ACME*/Claims/Account/", "2 acme*/Letters/Customer/", "3 /Orders/OrderNo/", "5 /Mail/Sender/"}},
        {"a source from policy alone: neither dialog asks for source 1's values", {},
         {{"Source2\\AppName", "Orders"}, {"Source2\\Field", "OrderNo"}},
         [](fake::FakeForm& f) { f.PressEnter("txtWindow"); }, {}, {"1 ///", "2 /Orders/OrderNo/"}},
        {"Esc drops every edit", with({{"Source2\\AppName", "Letters"}, {"Source2\\Field", "Customer"}}), {},
         [](fake::FakeForm& f) {
             f.Choose("lstSources", 1);
             f.Click("cmdRemove");
             f.SetText("txtDocType", "Other");
             f.Click("cmdAdd");
             f.PressEsc();
         },
         {}, {"1 /Claims/Account/", "2 /Letters/Customer/"}},
        {"OK, then Cancel in Settings, saves nothing", one, {},
         [](fake::FakeForm& f) {
             f.SetText("txtDocType", "Other");
             f.PressEnter("txtDocType");
         },
         {}, {"1 /Claims/Account/"}, false},
    };
    const auto split = [](const std::string& name) {
        const auto cut = name.find('\\');
        return std::pair(name.substr(0, cut), name.substr(cut + 1));
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        desk.store.clear();
        desk.policy.clear();
        desk.messages.clear();
        for (const auto& [name, value] : row.store) {
            const auto [section, key] = split(name);
            desk.store[fake::FakeDesktop::StoreKey("Kestrel", section, key)] = value;
        }
        for (const auto& [name, value] : row.policy) {
            const auto [section, key] = split(name);
            desk.policy[fake::FakeDesktop::PolicyKey(section, key)] = value;
        }
        settings = LoadSettings(desk, &desk);
        const bool saved = Open(row.work, [&](fake::FakeForm& f, bool after) {
            if (after) f.Click(row.settingsOk ? "cmdOK" : "cmdCancel");
        });
        EXPECT_EQ(saved, row.settingsOk);
        EXPECT_FALSE(sourcesOpen);
        std::vector<std::string> messages;
        for (const auto& m : desk.messages) messages.push_back(m.text);
        EXPECT_EQ(messages, row.messages);
        EXPECT_EQ(Described(LoadSettings(desk, &desk).sources), row.after) << "as stored";
        EXPECT_EQ(Described(settings.sources), row.after) << "as the program keeps them";
    }
}

TEST_F(SourcesDialogTest, SourceOneIsTheSettingsBoxesBothWays) {
    settings = Settings{};  // a first start
    Open(
        [](fake::FakeForm& f) {
            EXPECT_EQ(f.Text("txtDocType"), "Typed in Settings");
            f.Click("cmdOK");  // no search field yet: refused
            EXPECT_TRUE(f.Loaded());
            f.SetText("txtSearchField", "Account");
            f.SetText("txtSample", "Invoice No.: 4711   Date: 01.12.2026");
            f.SetText("txtPattern", "No\\.:\\s*(\\d+)");
            f.Click("cmdTry");
            EXPECT_EQ(f.Text("lblValue"), "Value: 4711");
            f.SetText("txtPattern", "\\d{9}");
            f.Click("cmdTry");
            EXPECT_EQ(f.Text("lblValue"), "No value in this line.");
            f.SetText("txtPattern", "");
            f.Click("cmdOK");
        },
        [](fake::FakeForm& f, bool after) {
            if (!after) {
                f.SetText("txtDocType", "Typed in Settings");
                return;
            }
            EXPECT_EQ(f.Text("txtSearchField"), "Account");
            f.Click("cmdOK");
        });
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "error: cannot save settings.  Source 1: Please enter a field to search.");
    EXPECT_EQ(settings.sources[0].documentType, "Typed in Settings");
    EXPECT_EQ(settings.sources[0].searchField, "Account");
}

TEST_F(SourcesDialogTest, ClosingSettingsFromOutsideClosesTheSourcesDialogToo) {
    std::unique_ptr<SettingsDialog> dialog;
    host.onShowModal = [&](fake::FakeForm& f) {
        if (f.Name() == "frmSources") {
            dialog->Cancel();  // as Exit from the tray menu does
            sourcesOpen = f.Loaded();
            return;
        }
        f.Click("cmdSources");
    };
    dialog = std::make_unique<SettingsDialog>(host, desk, desk, desk, settings);
    EXPECT_FALSE(dialog->ShowModal());
    EXPECT_FALSE(sourcesOpen);
    EXPECT_EQ(host.LoadedForms(), 0);
}

// Pick field... with the administrator's pointer and hotkey, the fields of
// a form of another program and what reading them gives.
TEST_F(SourcesDialogTest, APickedFieldFillsInValueFromAndShowsWhatItGives) {
    auto& picker = desk.picker;
    auto& form = desk.AddWindow("Invoice 4711 - ACME ERP");
    constexpr platform::WindowId kNumber = 51, kNotes = 52, kOther = 53, kCustom = 54;
    for (const platform::ChildWindow& field : std::vector<platform::ChildWindow>{
             {kNumber, 1001, "Edit", ""},
             {kNotes, 7, "Edit", ""},
             {kOther, 7, "Edit", ""},
             {kCustom, 1003, "AcmeGrid", ""}}) {
        form.children.push_back({field, ""});
        picker.windows[field.id] = form.id;
    }
    std::vector<std::string> calls;  // what the dialog asked of the program
    FieldPicking picking{picker, desk,
                         [&](std::int16_t key, std::int16_t shift, std::function<void()> onPress) {
                             calls.push_back(onPress ? "lend " + std::to_string(key) + "/" + std::to_string(shift)
                                                     : "give back");
                             hotKey = std::move(onPress);
                             return key != 0;
                         },
                         [&](platform::WindowId control, platform::ControlKind kind,
                             const std::string& column) -> std::string {
                             calls.push_back("read " + std::to_string(control) + " " + platform::KindName(kind) +
                                             column);
                             if (control == kOther)
                                 throw Error("That field is a password box, which Kestrel never reads.");
                             return "Invoice 4711\r\nsecond line";
                         },
                         122, 2};
    settings.sources[0].valuePattern = "\\d+";
    settings.sources[0].valueFrom = "title";
    const auto press = [&] {
        auto h = hotKey;  // as the program: the handler may give the key back
        if (h) h();
    };
    host.onShowModal = [&](fake::FakeForm& f) {
        EXPECT_TRUE(picker.armed != 0) << "a drag can start at once";
        picker.Drag(kCustom);
        EXPECT_EQ(f.Text("lblValue"),
                  "That field cannot be read: it draws itself or is of another toolkit. Value from is as it was.");
        EXPECT_EQ(f.Text("txtValueFrom"), "title");

        picker.Drag(kNumber);
        EXPECT_EQ(f.Text("txtValueFrom"), "control #1001");
        EXPECT_EQ(f.Text("lblValue"), "Field: Invoice 4711\nValue: 4711") << "the pattern's value, as Try gives it";

        f.Click("cmdPick");
        EXPECT_TRUE(picker.tracking);
        EXPECT_EQ(f.Text("lblValue"), "Click the field, or put the focus in it and press the hotkey.");
        picker.focused = 0;  // the hotkey pressed in this dialog
        press();
        EXPECT_EQ(f.Text("lblValue"), "Put the focus in the field in its program, then press the hotkey.");
        picker.focused = kNotes;
        press();
        EXPECT_FALSE(picker.tracking) << "the pick ends the wait";
        EXPECT_EQ(f.Text("txtValueFrom"), "control edit 2") << "its ID is not the form's alone";
        picker.focused = kNumber;
        press();
        EXPECT_EQ(f.Text("txtValueFrom"), "control edit 2") << "the hotkey is no pick once the wait is over";

        f.Click("cmdPick");
        picker.Click(0);  // on the program's own window
        EXPECT_EQ(f.Text("lblValue"), "No field picked.");
        EXPECT_EQ(f.Text("txtValueFrom"), "control edit 2");
        f.Click("cmdPick");
        picker.Click(kOther);
        EXPECT_EQ(f.Text("txtValueFrom"), "control edit 3");
        EXPECT_EQ(f.Text("lblValue"), "That field is a password box, which Kestrel never reads.");

        f.Click("cmdPick");  // left waiting: closing gives the hotkey back
        f.PressEnter("txtWindow");
    };
    Settings edited = settings;
    EXPECT_TRUE(SourcesDialog(host, desk, edited, &picking).ShowModal());
    EXPECT_EQ(edited.sources[0].valueFrom, "control edit 3");
    EXPECT_EQ(picker.armed, 0u);
    EXPECT_FALSE(picker.tracking);
    EXPECT_EQ(calls, (std::vector<std::string>{"read 51 edit", "lend 122/2", "give back", "read 52 edit", "lend 122/2",
                                               "give back", "lend 122/2", "give back", "read 53 edit", "lend 122/2",
                                               "give back"}));

    // What policy sets is not the administrator's to pick here.
    settings.sources[0].fromPolicy = {setting::kValueFrom};
    host.onShowModal = [&](fake::FakeForm& f) {
        EXPECT_FALSE(f.Enabled("cmdPick"));
        f.PressEsc();
    };
    edited = settings;
    SourcesDialog(host, desk, edited, &picking).ShowModal();
    host.onShowModal = [&](fake::FakeForm& f) {
        EXPECT_FALSE(f.Enabled("cmdPick")) << "nothing to pick with";
        f.PressEsc();
    };
    SourcesDialog(host, desk, edited).ShowModal();
}

}  // namespace
}  // namespace kestrel
