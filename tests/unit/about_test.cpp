#include <gtest/gtest.h>

#include "about/frmAbout.h"
#include "app/frmmain.h"
#include "fake/fake_fixture.h"
#include "fake/fake_forms.h"

namespace kestrel {
namespace {

const std::string kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kUnavailable = "System Information Is Unavailable At This Time";

class AboutTest : public fake::FakeTest {
protected:
    AboutTest() : scope_(Services()) { frmAbout::Release(); }
    ~AboutTest() override {
        frmAbout::Release();
        frmmain::Release();
    }
    platform::Services Services() {
        auto services = desk.Services();
        services.forms = &host;
        return services;
    }
    void Value(const std::string& key, const std::string& name, std::uint32_t type, const std::string& data) {
        platform::RegistryRead read;
        read.type = type;
        read.data = data;
        desk.registryValues[std::to_string(kHkeyLocalMachine) + "\\" + key + "\\" + name] = read;
    }

    fake::FakeFormHost host;

private:
    platform::ScopedServices scope_;
};

TEST_F(AboutTest, GetKeyValueTurnsWhatTheRegistryHoldsIntoText) {
    struct Row {
        std::uint32_t type;
        std::string data;
        std::string before;  // what KeyVal holds before the call
        std::string text;
    };
    const Row rows[] = {
        {1, std::string("C:\\Tools\\msinfo32.exe\0", 22), "", "C:\\Tools\\msinfo32.exe"},  // with its terminator
        {1, "C:\\Tools", "", "C:\\Tools"},                                                  // without one
        {1, std::string("\0", 1), "x", ""},
        {4, std::string("\x78\x56\x34\x12", 4), "", "&h12345678"},
        {4, std::string("\x02\x01\x00\x00", 4), "", "&h102"},
        {4, std::string("\x04\x03\x02\x01", 4), "", "&h1020304"},
        {4, std::string("\x00\x00\x00\x00", 4), "", "&h0"},
        {4, std::string("\xFF\xFF\xFF\xFF", 4), "", "&hFFFFFFFF"},
        {3, "\x01\x02", "left alone", "left alone"},  // REG_BINARY: another type
    };
    for (const auto& row : rows) {
        Value(kMsinfoKey, "PATH", row.type, row.data);
        std::string text = row.before;
        EXPECT_TRUE(GetKeyValue(kHkeyLocalMachine, kMsinfoKey, "PATH", text)) << row.text;
        EXPECT_EQ(text, row.text);
    }
}

TEST_F(AboutTest, GetKeyValueFailsForWhatCannotBeRead) {
    std::string text = "old";
    EXPECT_FALSE(GetKeyValue(kHkeyLocalMachine, kMsinfoKey, "PATH", text)) << "no such key";
    EXPECT_EQ(text, "");
    Value(kMsinfoKey, "PATH", 1, std::string(1025, 'a'));
    text = "old";
    EXPECT_FALSE(GetKeyValue(kHkeyLocalMachine, kMsinfoKey, "PATH", text)) << "over 1024 bytes";
    EXPECT_EQ(text, "");
    Value(kMsinfoKey, "PATH", 1, std::string(1024, 'a'));
    EXPECT_TRUE(GetKeyValue(kHkeyLocalMachine, kMsinfoKey, "PATH", text));
    Value(kMsinfoKey, "PATH", 1, "");
    EXPECT_THROW(GetKeyValue(kHkeyLocalMachine, kMsinfoKey, "PATH", text), Error) << "a value of size 0";
}

TEST_F(AboutTest, SystemInfoStartsTheRegisteredProgram) {
    Value(kMsinfoKey, "PATH", 1, std::string("C:\\Program Files\\MSInfo\\msinfo32.exe\0", 37));
    StartSysInfo();
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine, "C:\\Program Files\\MSInfo\\msinfo32.exe");
    EXPECT_EQ(desk.started[0].application, "C:\\Program Files\\MSInfo\\msinfo32.exe") << "nothing left to guess";
    EXPECT_EQ(desk.started[0].windowStyle, 1);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(AboutTest, SystemInfoFallsBackToTheSharedToolsFolder) {
    Value(kLocationKey, "MSINFO", 1, std::string("C:\\Shared\\MSInfo\0", 17));
    desk.existingFiles.push_back("C:\\Shared\\MSInfo\\msinfo32.exe");
    StartSysInfo();
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine, "C:\\Shared\\MSInfo\\MSINFO32.EXE");
}

TEST_F(AboutTest, WithoutAProgramToStartSystemInfoSaysSo) {
    struct Row {
        const char* what;
        std::function<void()> arrange;
    };
    const Row rows[] = {
        {"nothing registered", [] {}},
        {"the folder lacks the program", [&] { Value(kLocationKey, "MSINFO", 1, "C:\\Empty"); }},
        {"the registered program cannot be started",
         [&] {
             Value(kMsinfoKey, "PATH", 1, "C:\\Missing\\msinfo32.exe");
             desk.startFails = true;
         }},
        {"a value of size 0", [&] { Value(kMsinfoKey, "PATH", 1, ""); }},
    };
    for (const auto& row : rows) {
        desk.registryValues.clear();
        desk.messages.clear();
        desk.startFails = false;
        row.arrange();
        StartSysInfo();
        ASSERT_EQ(desk.messages.size(), 1u) << row.what;
        EXPECT_EQ(desk.messages[0].text, kUnavailable);
        EXPECT_EQ(desk.messages[0].style, 0);
    }
    EXPECT_TRUE(desk.started.empty());
}

TEST_F(AboutTest, TheBoxShowsTitleAndVersionAndIsShownAgainWhileOpen) {
    desk.version = {2, 3, 41};
    frmAbout::ShowAbout();
    auto& about = host.Get("frmAbout");
    EXPECT_EQ(about.Caption(), "About Kestrel");
    EXPECT_EQ(about.Text("lblTitle"), "Kestrel");
    EXPECT_EQ(about.Text("lblVersion"), "Version 2.3.41");
    EXPECT_EQ(about.Text("lblDescription"), "");
    EXPECT_EQ(about.Focus(), "cmdOK");
    EXPECT_FALSE(about.Modal());
    frmAbout::ShowAbout();
    EXPECT_EQ(host.loads, std::vector<std::string>{"frmAbout"}) << "the same box, not a second one";
    about.PressEnter("cmdSysInfo");
    EXPECT_EQ(host.LoadedForms(), 0) << "Enter presses OK";
    frmAbout::ShowAbout();
    host.Get("frmAbout").PressEsc();
    EXPECT_EQ(host.LoadedForms(), 0) << "so does Esc";
    EXPECT_EQ(host.loads.size(), 2u) << "loaded anew after it was closed";
}

TEST_F(AboutTest, TheBoxOutlivesAnExitOfTheMainWindow) {
    for (const char* key : {"AppName", "Field"}) Store(key, "x");
    modMain::Main();
    host.ChooseMenuItem("mnuAbout");
    host.Get("frmmain").MouseMove(0, 0, 517 * 15, 0);
    ASSERT_NE(host.Find("frmAbout"), nullptr);
    host.Get("frmmain").Click("cmdExit");
    EXPECT_EQ(host.Find("frmmain"), nullptr);
    EXPECT_EQ(host.LoadedForms(), 1) << "the About box keeps the program alive";
    host.Get("frmAbout").Click("cmdOK");
    EXPECT_EQ(host.LoadedForms(), 0);
}

}  // namespace
}  // namespace kestrel
