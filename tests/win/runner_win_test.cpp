#include "capture/text_capture.h"
#include "link/app_link.h"
#include "platform/win32/text.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const std::string kRunner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\"";

class RunnerWinTest : public WinTest {
protected:
    RunnerWinTest() {
        settings.sources[0].documentType = "Claims";
        settings.sources[0].searchField = "Account";
    }
    // The field as the settings name it, with a captured value.
    void Value(const std::string& v) { link.SetField({settings.sources[0].searchField, v}); }
    static std::string ForegroundTitle() {
        wchar_t title[256] = L"";
        GetWindowTextW(GetForegroundWindow(), title, 256);
        return Utf8(title);
    }

    InstalledRunner runner;
    Settings settings;
    TextCapture capture{{services.clipboard, services.events, services.desktop, services.keyboard,
                         services.messageBoxes, services.textControls, services.consoles, services.listControls}};
    AppLink link{settings, capture,
                 {services.programs, services.files, services.desktop, services.events, services.messageBoxes}};
};

TEST_F(RunnerWinTest, SearchStartsTheRunnerWithTheExactCommandLine) {
    const std::pair<const char*, const char*> rows[] = {
        {"12345", " Index=Claims;Criteria=Account='12345'"},
        {"say \"hi\"", " Index=Claims;Criteria=Account='say \"hi\"'"},
        {"C:\\dir\\", " Index=Claims;Criteria=Account='C:\\dir\\'"},
        {"A&B 100% %PATH%", " Index=Claims;Criteria=Account='A&B 100% %PATH%'"},
        {"O'Brien; Grüße 東京", " Index=Claims;Criteria=Account='O'Brien; Grüße 東京'"},
    };
    std::size_t count = 0;
    for (const auto& [value, arguments] : rows) {
        Value(value);
        link.RunSearch();
        const auto calls = InstalledRunner::WaitForCalls(++count);
        ASSERT_EQ(calls.size(), count) << value;
        EXPECT_EQ(calls.back().commandLine, kRunner + arguments);
        EXPECT_EQ(calls.back().windowStyle, 2) << "minimised and activated";
    }
}

TEST_F(RunnerWinTest, DocumentCenterEndsUpInFront) {
    Value("12345");
    link.RunSearch();
    EXPECT_TRUE(WaitFor([] { return ForegroundTitle() == "Document Center"; }, 5000)) << ForegroundTitle();
}

TEST_F(RunnerWinTest, AProgramAtTheSpotOfTheUnquotedPathIsNeverStarted) {
    const std::wstring decoy = L"C:\\program.exe";
    ASSERT_TRUE(CopyFileW((ProgramDir() + L"\\" KESTREL_STUB_RUNNER).c_str(), decoy.c_str(), FALSE));
    DeleteFileW((decoy + L".log").c_str());
    Value("12345");
    link.RunSearch();
    EXPECT_EQ(InstalledRunner::WaitForCalls(1).size(), 1u);
    link.RunIndex();
    EXPECT_EQ(InstalledRunner::WaitForCalls(2).size(), 2u);
    EXPECT_TRUE(InstalledRunner::Calls(decoy).empty()) << "the decoy ran";
    DeleteFileW(decoy.c_str());
    DeleteFileW((decoy + L".log").c_str());
}

TEST_F(RunnerWinTest, IndexReplacesTheScriptHiddenOrNotAndStartsTheRunnerOnIt) {
    std::size_t runs = 0;
    for (DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_HIDDEN}}) {
        SetFileAttributesW(InstalledRunner::kScript, FILE_ATTRIBUTE_NORMAL);
        WriteBytes(InstalledRunner::kScript, "an old script that must not survive\r\n");
        SetFileAttributesW(InstalledRunner::kScript, attributes);
        settings.saveNext = true;
        Value("12345");
        link.RunIndex();
        EXPECT_EQ(ReadBytes(InstalledRunner::kScript),
                  "Sub main()\r\nIndex.Field(\"Account\") = Clipboard\r\ndoevents\r\nIndex.Save\r\nIndex.nextdocument\r\n"
                  "Index.setfocuson 1\r\nEnd Sub\r\n\r\n\r\n")
            << "attributes " << attributes;
        const auto calls = InstalledRunner::WaitForCalls(++runs);
        ASSERT_EQ(calls.size(), runs);
        EXPECT_EQ(calls.back().commandLine, kRunner + " C:\\program files\\tamarind\\scripts\\halyard.sc");
        EXPECT_EQ(calls.back().windowStyle, 2);
    }
    SetFileAttributesW(InstalledRunner::kScript, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RunnerWinTest, AScriptThatCannotBeReplacedIsReportedNeverAppendedTo) {
    MessageBoxWatcher boxes;
    WriteBytes(InstalledRunner::kScript, "kept\r\n");
    {
        // Held open by another program that shares it with nobody. (A
        // read-only file would do on Windows; Wine running as root writes it.)
        win32::KernelHandle held(CreateFileW(InstalledRunner::kScript, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
        Value("12345");
        link.RunIndex();
    }
    EXPECT_EQ(ReadBytes(InstalledRunner::kScript), "kept\r\n");
    const auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("error: the index script C:\\program files\\tamarind\\scripts\\halyard.sc could not be written: ",
                             0),
              0u)
        << texts[0];
    EXPECT_TRUE(InstalledRunner::Calls().empty());
}

TEST_F(RunnerWinTest, TheScriptIsWrittenInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "the byte check is written for code page 1252";
    settings.sources[0].searchField = "Straße";
    Value("12345");
    link.RunIndex();
    EXPECT_EQ(ReadBytes(InstalledRunner::kScript),
              "Sub main()\r\nIndex.Field(\"Stra\xDF" "e\") = Clipboard\r\ndoevents\r\nIndex.setfocuson 1\r\nEnd Sub\r\n\r\n\r\n");
    EXPECT_EQ(InstalledRunner::WaitForCalls(1).size(), 1u);
}

TEST_F(RunnerWinTest, AFieldNameTheCodePageCannotHoldIsSaidAndStartsNothing) {
    if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252";
    settings.sources[0].searchField = "東京";
    Value("12345");
    MessageBoxWatcher boxes;
    link.RunIndex();
    Pump(300);
    EXPECT_TRUE(InstalledRunner::Calls().empty());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "error: the index script C:\\program files\\tamarind\\scripts\\halyard.sc could not be "
                                 "written: \"Index.Field(\"東京\") = Clipboard\" cannot be written in the system's "
                                 "code page"});
}

TEST_F(RunnerWinTest, AMissingRunnerOrFolderStartsNothingAndIsSaidWithItsPath) {
    MessageBoxWatcher boxes;
    Value("12345");
    ASSERT_TRUE(DeleteFileW(InstalledRunner::kProgram));
    EXPECT_NO_THROW(link.RunSearch());
    EXPECT_NO_THROW(link.RunIndex());
    DeleteFileW(InstalledRunner::kScript);
    ASSERT_TRUE(RemoveDirectoryW(InstalledRunner::kFolder));
    EXPECT_NO_THROW(link.RunIndex());
    EXPECT_EQ(GetFileAttributesW(InstalledRunner::kScript), INVALID_FILE_ATTRIBUTES);
    Pump(300);
    EXPECT_EQ(FindWindowW(nullptr, L"Document Center"), nullptr);
    const std::string notStarted =
        "error: the script runner C:\\program files\\tamarind\\scripts\\halyard.exe could not be started: ";
    const std::string notWritten =
        "error: the index script C:\\program files\\tamarind\\scripts\\halyard.sc could not be written: ";
    const auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].substr(0, notStarted.size()), notStarted);
    EXPECT_EQ(texts[1].substr(0, notStarted.size()), notStarted);
    EXPECT_EQ(texts[2].substr(0, notWritten.size()), notWritten);
}

}  // namespace
}  // namespace kestrel::wintest
