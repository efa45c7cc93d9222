// The program's dialogs as Windows tells them they are now on a monitor of
// another DPI: each lays its controls out again where the design puts them
// at that DPI, in the message font at that DPI, and every text still fits.
#include <algorithm>
#include <cstdlib>
#include <map>

#include "about/about_box.h"
#include "settings/settings_dialog.h"
#include "settings/sources_dialog.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

using forms::ControlKind;

// The test thread's windows aware of their monitor's DPI, as the program's
// are through its manifest; the thread's old awareness back afterwards.
class PerMonitorThread {
public:
    // DPI_AWARENESS_CONTEXT and its per-monitor v2 value, which the
    // headers for Windows 7 leave out.
    using Context = HANDLE;
    using SetContext = Context(WINAPI*)(Context);
    PerMonitorThread()
        : set_(reinterpret_cast<SetContext>(reinterpret_cast<void*>(
              GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")))) {
        if (set_) old_ = set_(reinterpret_cast<Context>(static_cast<INT_PTR>(-4)));
    }
    ~PerMonitorThread() {
        if (set_ && old_) set_(old_);
    }
    PerMonitorThread(const PerMonitorThread&) = delete;
    PerMonitorThread& operator=(const PerMonitorThread&) = delete;

private:
    SetContext set_;
    Context old_ = nullptr;
};

RECT ClientRectOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The text's one-line extent in the control's own font; a button's "&"
// marks its access key and is not drawn.
SIZE TextExtent(HWND control, bool button) {
    wchar_t buffer[512] = L"";
    const int length = GetWindowTextW(control, buffer, 512);
    RECT extent{0, 0, 0, 0};
    if (length == 0) return {0, 0};
    const HDC dc = GetDC(control);
    {
        win32::Selection selected(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        DrawTextW(dc, buffer, length, &extent, DT_CALCRECT | DT_SINGLELINE | (button ? 0 : DT_NOPREFIX));
    }
    ReleaseDC(control, dc);
    return {extent.right, extent.bottom};
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

class DpiWinTest : public WinTest {};

TEST_F(DpiWinTest, EachDialogLaysItselfOutAgainAtItsNewMonitorsDpi) {
    PerMonitorThread perMonitor;
    for (const auto& design : {SettingsDialog::Design(), SourcesDialog::Design(), AboutBox::Design()}) {
        const auto form = services.forms.Load(design, {});
        const HWND hwnd = reinterpret_cast<HWND>(form->Handle());
        // The controls with windows in their creation order, which is the tab order.
        std::vector<forms::ControlDesign> controls;
        for (const auto& c : design.controls)
            if (c.kind != ControlKind::Line) controls.push_back(c);
        std::stable_sort(controls.begin(), controls.end(),
                         [](const auto& a, const auto& b) { return a.tabIndex < b.tabIndex; });
        std::vector<HWND> windows;
        for (HWND w = GetWindow(hwnd, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) windows.push_back(w);
        ASSERT_EQ(windows.size(), controls.size()) << design.name;

        std::map<int, LONG> fontHeights;  // by DPI
        for (const int dpi : {144, 192, 96}) {
            const std::string where = design.name + " at " + std::to_string(dpi) + " DPI: ";
            const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
            // A monitor of that DPI has room for the dialog; this test's
            // screen, 768 pixels high, may not.
            if (px(design.clientHeight) > GetSystemMetrics(SM_CYSCREEN) - px(1440) / 2) {
                fontHeights.erase(dpi);
                continue;
            }
            RECT suggested{};
            GetWindowRect(hwnd, &suggested);
            OffsetRect(&suggested, 10, 10);
            SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

            RECT window{}, client{};
            GetWindowRect(hwnd, &window);
            GetClientRect(hwnd, &client);
            EXPECT_EQ(window.left, suggested.left) << where << "the window goes where Windows suggests";
            EXPECT_EQ(window.top, suggested.top) << where;
            EXPECT_GE(client.right, px(design.clientWidth) - 1) << where;
            EXPECT_GE(client.bottom, px(design.clientHeight) - 1) << where;
            fontHeights[dpi] = std::labs(FontOf(windows[0]).lfHeight);

            std::vector<RECT> placed;
            for (std::size_t i = 0; i < controls.size(); ++i) {
                const auto& c = controls[i];
                const RECT r = ClientRectOf(windows[i]);
                const std::string what = where + c.name + " ";
                // Where the design puts it at this DPI, or further right or
                // down where a label before it needed room for its text.
                EXPECT_GE(r.left, px(c.rect.left) - 1) << what;
                EXPECT_GE(r.top, px(c.rect.top) - 1) << what;
                EXPECT_GE(r.right - r.left, px(c.rect.width) - 1) << what;
                EXPECT_GE(r.bottom - r.top, px(c.rect.height) - 1) << what;
                EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                    << what << "leaves the form";
                // Columns and rows of the design stay aligned.
                for (std::size_t j = 0; j < i; ++j) {
                    const RECT other = ClientRectOf(windows[j]);
                    if (controls[j].rect.left == c.rect.left) {
                        EXPECT_EQ(r.left, other.left) << what << controls[j].name;
                    }
                    if (controls[j].rect.top == c.rect.top) {
                        EXPECT_EQ(r.top, other.top) << what << controls[j].name;
                    }
                }
                if (c.kind == ControlKind::Label || c.kind == ControlKind::Button) {
                    // A button draws its edge inside its rectangle.
                    const int edges = c.kind == ControlKind::Button ? 2 * GetSystemMetrics(SM_CXEDGE) * dpi / 96 : 0;
                    const SIZE text = TextExtent(windows[i], c.kind == ControlKind::Button);
                    EXPECT_LE(text.cx, r.right - r.left - edges) << what << "clips its text";
                    EXPECT_LE(text.cy, r.bottom - r.top - edges) << what << "clips its text";
                    EXPECT_EQ(FontOf(windows[i]).lfHeight, FontOf(windows[0]).lfHeight) << what << "one font";
                }
                for (std::size_t j = 0; j < placed.size(); ++j)
                    EXPECT_FALSE(Overlap(r, placed[j])) << what << "overlaps " << controls[j].name;
                placed.push_back(r);
            }
        }
        // The message font grows with the DPI (its height is rounded at each).
        EXPECT_NEAR(fontHeights[144], fontHeights[96] * 1.5, 1.0) << design.name;
        if (fontHeights.count(192)) {
            EXPECT_NEAR(fontHeights[192], fontHeights[96] * 2.0, 1.0) << design.name;
        }
    }
}

}  // namespace
}  // namespace kestrel::wintest
