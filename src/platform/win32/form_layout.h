#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/win32/scale.h"

namespace kestrel::win32 {

// Where a design's controls go in pixels: its twips at the window's DPI, with
// room made wherever a label's or a button's text, in the font the form uses,
// needs more than the design gave it (the designs were drawn for a smaller
// font than today's message fonts). Such a control grows into free room beside or below
// it; where its growth would overlap another control or leave the form,
// everything from the label's far edge on moves over by as much and the form
// grows with it, so that columns stay aligned and nothing overlaps.
class FormLayout {
public:
    FormLayout() = default;
    FormLayout(const forms::FormDesign& design, const Scale& scale, HFONT font);

    // A point of the client area, such as a line's end.
    int X(int twips) const { return Pushed(scale_.X(twips), pushesX_); }
    int Y(int twips) const { return Pushed(scale_.Y(twips), pushesY_); }
    RECT Rect(const forms::ControlDesign& control) const;
    int ClientWidth() const { return X(clientWidth_); }
    int ClientHeight() const { return Y(clientHeight_); }
    // The design at the DPI alone, for what lies outside the client area.
    const Scale& scale() const { return scale_; }

private:
    // Pixels at or beyond `from`, before any push, move over by `by`; Pushed
    // gives where a pixel of the design at the DPI lands.
    struct Push {
        int from, by;
    };
    static int Pushed(int pixels, const std::vector<Push>& pushes);
    void Fit(const forms::ControlDesign& label, SIZE text, const std::vector<forms::ControlDesign>& controls);
    bool Free(const RECT& area, const forms::ControlDesign& self,
              const std::vector<forms::ControlDesign>& controls) const;

    Scale scale_;
    int clientWidth_ = 0, clientHeight_ = 0;  // twips
    std::vector<Push> pushesX_, pushesY_;
    std::map<std::string, SIZE> grown_;  // labels grown into free room, by how much
};

}  // namespace kestrel::win32
