// Presses with several sources under the real registry: each program's
// window gets its own source's search, a source's pattern picks the value out
// of the caret's line, and a source set by policy alone needs no setting of
// the user's.
#include <memory>
#include <vector>

#include "fixtures/chord.h"
#include "win/sample_program.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kPolicyKey = L"Software\\Policies\\Kestrel";

void Put(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

class SourcesPressWinTest : public SampleProgramWinTest {
protected:
    SourcesPressWinTest() : SampleProgramWinTest("Customer Record*", "CustomerNo") {
        const std::wstring source2 = std::wstring(kSettingsRoot) + L"\\Source2";
        Put(source2, L"SourceWindow", L"Invoice * - ACME ERP");
        Put(source2, L"AppName", L"Invoices");
        Put(source2, L"Field", L"InvoiceNo");
        Put(source2, L"ValuePattern", L"No\\.:\\s*(\\d+)");
        // Source 3 from policy alone.
        const std::wstring source3 = std::wstring(kPolicyKey) + L"\\Source3";
        Put(source3, L"SourceWindow", L"Claim * - Claims Desk");
        Put(source3, L"AppName", L"ClaimFiles");
        Put(source3, L"Field", L"ClaimNo");
    }
    ~SourcesPressWinTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey); }
};

TEST_F(SourcesPressWinTest, EachProgramsWindowGetsItsOwnSourcesSearch) {
    program.Start();
    ASSERT_TRUE(program.hotKey() && program.hotKey()->Registered());
    const struct {
        const wchar_t* title;
        const wchar_t* args;
        const char* arguments;
    } cases[] = {
        {L"Customer Record - CRM", L"--text \"ACME Ltd\\n100234\" --select 10 16", "Index=Claims;Criteria=CustomerNo='100234'"},
        // Only the caret, on a line that holds more than the value.
        {L"Invoice 4711 - ACME ERP", L"--text \"ACME Ltd\\nInvoice No.: 4711   Date: 01.12.2026\" --caret 12",
         "Index=Invoices;Criteria=InvoiceNo='4711'"},
        {L"Claim 88 - Claims Desk", L"--text \"C-88\" --select 0 4", "Index=ClaimFiles;Criteria=ClaimNo='C-88'"},
    };
    // Every program open at once: the one in front is the press's.
    std::vector<std::unique_ptr<SourceApp>> apps;
    for (const auto& c : cases) apps.push_back(std::make_unique<SourceApp>(c.title, c.args));
    std::size_t runs = 0;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(Utf8(c.title));
        SetForegroundWindow(apps[i]->window());
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == apps[i]->window(); }, 2000));
        ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11}));
        const auto calls = InstalledRunner::WaitForCalls(++runs);
        ASSERT_EQ(calls.size(), runs);
        EXPECT_EQ(calls.back().commandLine,
                  std::string("\"C:\\program files\\tamarind\\scripts\\halyard.exe\" ") + c.arguments);
        CloseWindowsTitled(L"Document Center");
    }
}

}  // namespace
}  // namespace kestrel::wintest
