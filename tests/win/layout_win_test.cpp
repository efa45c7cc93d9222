// The program's forms at the DPIs users set: every label shows its whole text
// in the system's font, no control overlaps another, all lie inside the form;
// and the tray icon is the size the shell asks for there.
// The layout probe lays them out in a process of its own, since a process
// reads the DPI once, when it starts.
#include <sstream>

#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kDesktopKey = L"Control Panel\\Desktop";

// The DPI that processes started from now on see; the old setting comes back
// when the object goes.
class DpiSetting {
public:
    DpiSetting() {
        DWORD size = sizeof old_;
        had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
               ERROR_SUCCESS;
    }
    ~DpiSetting() {
        if (had_)
            Set(old_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    DpiSetting(const DpiSetting&) = delete;
    DpiSetting& operator=(const DpiSetting&) = delete;
    static void Set(DWORD dpi) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi),
                  ERROR_SUCCESS);
    }

private:
    DWORD old_ = 0;
    bool had_ = false;
};

// Runs the probe and returns its report (see layout_probe.cpp).
std::string RunProbe() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring report = std::wstring(folder) + L"kestrel-layout.txt";
    DeleteFileW(report.c_str());
    {
        Process probe(L"\"" + ProgramDir() + L"\\" KESTREL_LAYOUT_PROBE L"\" \"" + report + L"\"");
        EXPECT_EQ(WaitForSingleObject(probe.handle(), Scaled(10000)), WAIT_OBJECT_0) << "the probe did not finish";
    }
    const auto text = ReadBytes(report);
    DeleteFileW(report.c_str());
    return text;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(LayoutWinTest, EveryLabelShowsItsWholeTextNothingOverlapsAndTheTrayIconFitsAtTheCommonDpis) {
    DpiSetting setting;
    for (int dpi : {96, 120, 144, 192}) {
        DpiSetting::Set(static_cast<DWORD>(dpi));
        std::istringstream report(RunProbe());
        int seenDpi = 0, forms = 0, labels = 0, tray = 0;
        std::string where;
        SIZE client{};
        std::vector<RECT> placed;  // the form's controls so far
        for (std::string kind; report >> kind;) {
            if (kind == "dpi") report >> seenDpi;
            if (kind == "tray") report >> tray;
            if (kind == "form") {
                report >> where >> client.cx >> client.cy;
                where += " at " + std::to_string(dpi) + " DPI: ";
                placed.clear();
                ++forms;
            }
            if (kind != "control") continue;
            std::string cls, text;
            RECT r{};
            SIZE needs{};
            report >> cls >> r.left >> r.top >> r.right >> r.bottom >> needs.cx >> needs.cy;
            std::getline(report, text);
            text.erase(0, 1);  // the tab before it
            if (cls == "Static" && !text.empty()) {
                ++labels;
                EXPECT_LE(needs.cx, r.right - r.left) << where << text;
                EXPECT_LE(needs.cy, r.bottom - r.top) << where << text;
            }
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.cx && r.bottom <= client.cy)
                << where << cls << " " << text << " leaves the form";
            for (const auto& other : placed) EXPECT_FALSE(Overlap(r, other)) << where << cls << " " << text << " overlaps";
            placed.push_back(r);
        }
        ASSERT_EQ(seenDpi, dpi) << "the probe did not see the DPI set";
        EXPECT_EQ(forms, 2) << dpi;
        EXPECT_GE(labels, 5) << dpi << ": the settings dialog's at least";
        EXPECT_EQ(tray, dpi / 6) << dpi << ": the shell's small icon, 24 pixels at 144 DPI";
    }
}

}  // namespace
}  // namespace kestrel::wintest
