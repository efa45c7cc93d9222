#include <gtest/gtest.h>

#include "about/about_box.h"
#include "about/system_info.h"
#include "app/application.h"
#include "fake/fake_fixture.h"
#include "platform/error.h"

namespace kestrel {
namespace {

const std::string kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kUnavailable = "System Information Is Unavailable At This Time";

using platform::RegistryType;

class AboutTest : public fake::FakeTest {
protected:
    void Value(const std::string& key, const std::string& name, RegistryType type, const std::string& data) {
        platform::RegistryRead read;
        read.opened = read.read = true;
        read.type = type;
        read.data = data;
        desk.registryValues[key + "\\" + name] = read;
    }
    bool Read(std::string& text) { return ReadRegistryText(desk, kMsinfoKey, "PATH", text); }
    void StartSystemInfo() { kestrel::StartSystemInfo(desk, desk, desk, desk); }
    AboutBox about{{host, desk, desk, desk, desk}};
};

TEST_F(AboutTest, RegistryValuesBecomeText) {
    struct Row {
        RegistryType type;
        std::string data;
        std::string before;  // what the text holds before the call
        std::string text;
    };
    const Row rows[] = {
        {RegistryType::Text, std::string("C:\\Tools\\msinfo32.exe\0", 22), "", "C:\\Tools\\msinfo32.exe"},  // with its terminator
        {RegistryType::Text, "C:\\Tools", "", "C:\\Tools"},                                                  // without one
        {RegistryType::Text, std::string("\0", 1), "x", ""},
        {RegistryType::Number, std::string("\x78\x56\x34\x12", 4), "", "&h12345678"},
        {RegistryType::Number, std::string("\x02\x01\x00\x00", 4), "", "&h102"},
        {RegistryType::Number, std::string("\x04\x03\x02\x01", 4), "", "&h1020304"},
        {RegistryType::Number, std::string("\x00\x00\x00\x00", 4), "", "&h0"},
        {RegistryType::Number, std::string("\xFF\xFF\xFF\xFF", 4), "", "&hFFFFFFFF"},
        {RegistryType::Other, "\x01\x02", "left alone", "left alone"},
    };
    for (const auto& row : rows) {
        Value(kMsinfoKey, "PATH", row.type, row.data);
        std::string text = row.before;
        EXPECT_TRUE(Read(text)) << row.text;
        EXPECT_EQ(text, row.text);
    }
}

TEST_F(AboutTest, RegistryValuesThatCannotBeReadGiveNoText) {
    std::string text = "old";
    EXPECT_FALSE(Read(text)) << "no such key";
    EXPECT_EQ(text, "");
    Value(kMsinfoKey, "PATH", RegistryType::Text, std::string(1025, 'a'));
    text = "old";
    EXPECT_FALSE(Read(text)) << "over 1024 bytes";
    EXPECT_EQ(text, "");
    Value(kMsinfoKey, "PATH", RegistryType::Text, std::string(1024, 'a'));
    EXPECT_TRUE(Read(text));
    Value(kMsinfoKey, "PATH", RegistryType::Text, "");
    EXPECT_THROW(Read(text), Error) << "a value of size 0";
}

TEST_F(AboutTest, SystemInfoStartsTheRegisteredProgram) {
    Value(kMsinfoKey, "PATH", RegistryType::Text, std::string("C:\\Program Files\\MSInfo\\msinfo32.exe\0", 37));
    StartSystemInfo();
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine, "C:\\Program Files\\MSInfo\\msinfo32.exe");
    EXPECT_EQ(desk.started[0].application, "C:\\Program Files\\MSInfo\\msinfo32.exe") << "nothing left to guess";
    EXPECT_EQ(desk.started[0].show, platform::ShowAs::Normal);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(AboutTest, SystemInfoFallsBackToTheSharedToolsFolder) {
    Value(kLocationKey, "MSINFO", RegistryType::Text, std::string("C:\\Shared\\MSInfo\0", 17));
    desk.existingFiles.push_back("C:\\Shared\\MSInfo\\msinfo32.exe");
    StartSystemInfo();
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
        {"the folder lacks the program", [&] { Value(kLocationKey, "MSINFO", RegistryType::Text, "C:\\Empty"); }},
        {"the registered program cannot be started",
         [&] {
             Value(kMsinfoKey, "PATH", RegistryType::Text, "C:\\Missing\\msinfo32.exe");
             desk.startFails = true;
         }},
        {"a value of size 0", [&] { Value(kMsinfoKey, "PATH", RegistryType::Text, ""); }},
    };
    for (const auto& row : rows) {
        desk.registryValues.clear();
        desk.messages.clear();
        desk.startFails = false;
        row.arrange();
        StartSystemInfo();
        ASSERT_EQ(desk.messages.size(), 1u) << row.what;
        EXPECT_EQ(desk.messages[0].text, kUnavailable);
        EXPECT_EQ(desk.messages[0].modality, platform::Modality::Application);
    }
    EXPECT_TRUE(desk.started.empty());
}

TEST_F(AboutTest, TheBoxShowsTitleAndVersionAndIsShownAgainWhileOpen) {
    desk.version = {2, 3, 41};
    about.Show();
    auto& box = host.Get("frmAbout");
    EXPECT_EQ(box.Caption(), "About Kestrel");
    EXPECT_EQ(box.Text("lblTitle"), "Kestrel");
    EXPECT_EQ(box.Text("lblVersion"), "Version 2.3.41");
    EXPECT_EQ(box.Text("lblDescription"), "");
    EXPECT_EQ(box.Focus(), "cmdOK");
    EXPECT_FALSE(box.Modal());
    about.Show();
    EXPECT_EQ(host.loads, std::vector<std::string>{"frmAbout"}) << "the same box, not a second one";
    box.PressEnter("cmdSysInfo");
    EXPECT_EQ(host.LoadedForms(), 0) << "Enter presses OK";
    about.Show();
    host.Get("frmAbout").PressEsc();
    EXPECT_EQ(host.LoadedForms(), 0) << "so does Esc";
    EXPECT_EQ(host.loads.size(), 2u) << "loaded anew after it was closed";
}

TEST_F(AboutTest, TheBoxOutlivesAnExitOfTheMainWindow) {
    for (const char* key : {"AppName", "Field"}) Store(key, "x");
    Application app(services);
    app.Start();
    host.ChooseMenuItem("mnuAbout");
    ASSERT_TRUE(desk.RightClickTrayIcon(host.Get("frmmain").Handle()));
    ASSERT_NE(host.Find("frmAbout"), nullptr);
    host.Get("frmmain").Click("cmdExit");
    EXPECT_EQ(host.Find("frmmain"), nullptr);
    EXPECT_EQ(host.LoadedForms(), 1) << "the About box keeps the program alive";
    host.Get("frmAbout").Click("cmdOK");
    EXPECT_EQ(host.LoadedForms(), 0);
}

}  // namespace
}  // namespace kestrel
