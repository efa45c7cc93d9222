#include "platform/win32/form_layout.h"

#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using forms::ControlKind;

// Kept clear between a grown label and its neighbour or the form's edge.
constexpr int kGapTwips = 90;

// What a button's caption needs beyond the design's size: one line, its
// access key's "&" not drawn, clear of the button's edge and focus rectangle.
SIZE ButtonNeeds(HDC dc, const forms::ControlDesign& button, const RECT& rect, int dpi) {
    const std::wstring text = Widen(button.text);
    RECT line{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &line, DT_CALCRECT | DT_SINGLELINE);
    const int margin = 2 * dpi::SystemMetric(SM_CXEDGE, dpi);
    return {std::max(0L, line.right + 2 * margin - (rect.right - rect.left)),
            std::max(0L, line.bottom + margin - (rect.bottom - rect.top))};
}

// What the label's text needs beyond the design's size, as the static control
// draws it (wrapped at words, "&" as it is); nothing when it fits already.
SIZE TextNeeds(HDC dc, const forms::ControlDesign& label, const RECT& rect, int dpi) {
    if (label.kind == ControlKind::Button) return ButtonNeeds(dc, label, rect, dpi);
    const std::wstring text = Widen(label.text);
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    RECT wrapped{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    if (wrapped.right <= width && wrapped.bottom <= height) return {0, 0};
    // Too little room for it wrapped: each line of it on one line.
    RECT line{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &line, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    return {std::max(0L, line.right - width), std::max(0L, line.bottom - height)};
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

FormLayout::FormLayout(const forms::FormDesign& design, const Scale& scale, HFONT font)
    : scale_(scale), clientWidth_(design.clientWidth), clientHeight_(design.clientHeight) {
    std::vector<const forms::ControlDesign*> labels;
    for (const auto& c : design.controls)
        if ((c.kind == ControlKind::Label || c.kind == ControlKind::Button) && !c.text.empty()) labels.push_back(&c);
    // Left to right, top to bottom: a push then never moves a label already fitted off its text.
    std::stable_sort(labels.begin(), labels.end(), [](const auto* a, const auto* b) {
        return a->rect.left != b->rect.left ? a->rect.left < b->rect.left : a->rect.top < b->rect.top;
    });
    ScreenDc dc;
    if (!dc.get() || !font) return;
    Selection selected(dc.get(), font);
    for (const auto* label : labels)
        Fit(*label, TextNeeds(dc.get(), *label, Rect(*label), scale_.dpiX()), design.controls);
}

RECT FormLayout::Rect(const forms::ControlDesign& control) const {
    const auto& t = control.rect;
    RECT r{X(t.left), Y(t.top), X(t.left + t.width), Y(t.top + t.height)};
    if (const auto grown = grown_.find(control.name); grown != grown_.end()) {
        r.right += grown->second.cx;
        r.bottom += grown->second.cy;
    }
    return r;
}

int FormLayout::Pushed(int pixels, const std::vector<Push>& pushes) {
    int by = 0;
    for (const auto& push : pushes)
        if (pixels >= push.from) by += push.by;
    return pixels + by;
}

void FormLayout::Fit(const forms::ControlDesign& label, SIZE text, const std::vector<forms::ControlDesign>& controls) {
    if (text.cx <= 0 && text.cy <= 0) return;
    RECT grown = Rect(label);
    grown.right += text.cx;
    grown.bottom += text.cy;
    if (Free(grown, label, controls)) {
        grown_[label.name] = text;
        return;
    }
    const auto& t = label.rect;
    if (text.cx > 0) pushesX_.push_back({scale_.X(t.left + t.width), text.cx});
    if (text.cy > 0) pushesY_.push_back({scale_.Y(t.top + t.height), text.cy});
}

// Whether the area, with a gap to its right and below, is inside the form and
// clear of every other control.
bool FormLayout::Free(const RECT& area, const forms::ControlDesign& self,
                      const std::vector<forms::ControlDesign>& controls) const {
    RECT spaced = area;
    spaced.right += scale_.X(kGapTwips);
    spaced.bottom += scale_.Y(kGapTwips);
    if (spaced.right > ClientWidth() || spaced.bottom > ClientHeight()) return false;
    for (const auto& other : controls) {
        // Lines are painted under the controls.
        if (&other == &self || other.kind == ControlKind::Line) continue;
        if (Overlap(spaced, Rect(other))) return false;
    }
    return true;
}

}  // namespace kestrel::win32
