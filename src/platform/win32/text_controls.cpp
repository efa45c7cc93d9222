#include "platform/win32/text_controls.h"

#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/win32/ask_control.h"
#include "platform/win32/control_class.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using Kind = platform::ControlText::Kind;

// How a control numbers the positions in its text.
enum class Offsets {
    PerCharacter,    // every character of WM_GETTEXT counts, CR LF as two
    BreakCountsOne,  // a paragraph break is one position, CR LF in WM_GETTEXT
};

std::optional<LRESULT> Ask(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return AskControl(control, message, wParam, lParam);
}

// A non-negative answer; a negative one means the control disagrees with
// what it said a moment ago (its text changed meanwhile), as good as none.
std::optional<std::size_t> AskCount(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    const auto answer = Ask(control, message, wParam, lParam);
    if (!answer || *answer < 0) return std::nullopt;
    return static_cast<std::size_t>(*answer);
}

// A rich edit's class does not tell its version (a program's own class, or
// WinForms' built on either): the end of its text by its line messages does.
// Rich edit 1.0 counts CR LF as two positions, as an edit does, so its end is
// the length of WM_GETTEXT's text; later versions count a break as one.
std::optional<Offsets> RichEditOffsets(HWND control, const std::wstring& text) {
    const auto lines = AskCount(control, EM_GETLINECOUNT);
    if (!lines || *lines == 0) return std::nullopt;
    const auto start = AskCount(control, EM_LINEINDEX, *lines - 1);
    const auto length = start ? AskCount(control, EM_LINELENGTH, *start) : std::nullopt;
    if (!length) return std::nullopt;
    std::size_t breaks = 0;
    for (auto at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2)) ++breaks;
    const auto end = *start + *length;
    if (end == text.size()) return Offsets::PerCharacter;
    if (end + breaks == text.size()) return Offsets::BreakCountsOne;
    return std::nullopt;  // its text changed between the questions
}

std::optional<std::wstring> WholeText(HWND control) {
    // The length may be an overestimate (ANSI controls); the copy says how much came.
    const auto length = AskCount(control, WM_GETTEXTLENGTH);
    if (!length) return std::nullopt;
    std::wstring text(*length + 1, L'\0');
    const auto copied = AskCount(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    if (!copied) return std::nullopt;
    text.resize(std::min(*copied, *length));
    return text;
}

// Where the control's position `offset` falls in its WM_GETTEXT text. A rich
// edit's hidden final paragraph mark lies beyond the text: it comes out as
// the text's end.
std::size_t TextPosition(const std::wstring& text, std::size_t offset, Offsets offsets) {
    if (offsets != Offsets::BreakCountsOne) return std::min(offset, text.size());
    std::size_t position = 0;
    for (; offset > 0 && position < text.size(); --offset)
        position += text.compare(position, 2, L"\r\n") == 0 ? 2 : 1;
    return position;
}

struct Range {
    std::size_t start = 0;
    std::size_t end = 0;
};

// The selection, in the control's own offsets.
std::optional<Range> Selection(HWND control) {
    // Through the pointers, not the return value, which holds 16 bits each.
    DWORD start = 0, end = 0;
    if (!Ask(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end)))
        return std::nullopt;
    return Range{std::min(start, end), std::max(start, end)};
}

// The line holding `caret` as Home, Shift+End would select it: these
// messages count the lines as shown, so a word-wrapped box gives the visual
// line, without its line break.
std::optional<Range> CaretLine(HWND control, std::size_t caret, bool richEdit) {
    // A rich edit's own form takes positions beyond 64K.
    const auto line = richEdit ? AskCount(control, EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(caret))
                               : AskCount(control, EM_LINEFROMCHAR, caret);
    if (!line) return std::nullopt;
    const auto start = AskCount(control, EM_LINEINDEX, *line);
    if (!start) return std::nullopt;
    const auto length = AskCount(control, EM_LINELENGTH, *start);
    if (!length) return std::nullopt;
    return Range{*start, *start + *length};
}

// What a copy would give: the selection, or with only a caret its line.
std::optional<std::wstring> CopyableText(HWND control, bool richEdit) {
    auto range = Selection(control);
    if (range && range->start == range->end) range = CaretLine(control, range->start, richEdit);
    if (!range) return std::nullopt;
    const auto text = WholeText(control);
    if (!text) return std::nullopt;
    const auto offsets = richEdit ? RichEditOffsets(control, *text) : Offsets::PerCharacter;
    if (!offsets) return std::nullopt;
    const auto start = TextPosition(*text, range->start, *offsets);
    return text->substr(start, TextPosition(*text, range->end, *offsets) - start);
}

}  // namespace

platform::ControlText TextControls::Read(HWND control, platform::ControlKind kind) {
    if (kind != platform::ControlKind::Edit && kind != platform::ControlKind::RichEdit) return {Kind::NotAnEdit, {}};
    if (GetWindowLongPtrW(control, GWL_STYLE) & ES_PASSWORD) return {Kind::Password, {}};
    const auto text = CopyableText(control, kind == platform::ControlKind::RichEdit);
    if (!text) return {Kind::NoAnswer, {}};
    return {Kind::Text, Narrow(*text)};
}

platform::ControlText TextControls::ReadWhole(platform::WindowId window, platform::ControlKind kind) {
    using platform::ControlKind;
    const HWND control = reinterpret_cast<HWND>(window);
    if (kind != ControlKind::Edit && kind != ControlKind::RichEdit && kind != ControlKind::StaticText &&
        kind != ControlKind::Button && kind != ControlKind::ComboBox)
        return {Kind::NotAnEdit, {}};
    const bool edit = kind == ControlKind::Edit || kind == ControlKind::RichEdit;
    if (edit && (GetWindowLongPtrW(control, GWL_STYLE) & ES_PASSWORD)) return {Kind::Password, {}};
    const auto text = WholeText(control);
    if (!text) return {Kind::NoAnswer, {}};
    return {Kind::Text, Narrow(*text)};
}

platform::ControlText TextControls::ReadFocused(platform::WindowId window, const platform::ControlClasses& classes) {
    const HWND source = reinterpret_cast<HWND>(window);
    const DWORD thread = source ? GetWindowThreadProcessId(source, nullptr) : 0;
    if (!thread) return {Kind::NotAnEdit, {}};
    // The activation reaches the source's thread as messages of its own; once
    // it has answered one sent after them, its focus is where they left it.
    if (!Ask(source, WM_NULL)) return {Kind::NoAnswer, {}};
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(thread, &gui) || !gui.hwndFocus) return {Kind::NotAnEdit, {}};
    return Read(gui.hwndFocus, KindOfWindow(gui.hwndFocus, classes));
}

}  // namespace kestrel::win32
