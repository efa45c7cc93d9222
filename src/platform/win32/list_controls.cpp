#include "platform/win32/list_controls.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/list_choice.h"
#include "platform/win32/remote_memory.h"
#include "platform/win32/ask_control.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using Kind = platform::ListText::Kind;
using Control = platform::ListText::Control;

// The structures of the list view, header and tree view messages, as a
// process of either bitness lays them out: their pointers and LPARAMs are as
// wide as the source's, not ours, since the source's own code reads them.
template <typename Pointer>
struct ListViewItem {  // LVITEMW
    std::uint32_t mask;
    std::int32_t item;
    std::int32_t subItem;
    std::uint32_t state;
    std::uint32_t stateMask;
    alignas(sizeof(Pointer)) Pointer text;
    std::int32_t textMax;
    std::int32_t image;
    alignas(sizeof(Pointer)) Pointer lParam;
    std::int32_t indent;
    std::int32_t groupId;
    std::uint32_t columns;
    alignas(sizeof(Pointer)) Pointer columnList;
    alignas(sizeof(Pointer)) Pointer columnFormats;
    std::int32_t group;
};

template <typename Pointer>
struct HeaderItem {  // HDITEMW
    std::uint32_t mask;
    std::int32_t width;
    alignas(sizeof(Pointer)) Pointer text;
    alignas(sizeof(Pointer)) Pointer bitmap;
    std::int32_t textMax;
    std::int32_t format;
    alignas(sizeof(Pointer)) Pointer lParam;
    std::int32_t image;
    std::int32_t order;
    std::uint32_t filterType;
    alignas(sizeof(Pointer)) Pointer filter;
    std::uint32_t state;
};

template <typename Pointer>
struct TreeItem {  // TVITEMW
    std::uint32_t mask;
    alignas(sizeof(Pointer)) Pointer item;
    std::uint32_t state;
    std::uint32_t stateMask;
    alignas(sizeof(Pointer)) Pointer text;
    std::int32_t textMax;
    std::int32_t image;
    std::int32_t selectedImage;
    std::int32_t children;
    alignas(sizeof(Pointer)) Pointer lParam;
};

template <typename Pointer>
struct TreeHitTest {  // TVHITTESTINFO
    std::int32_t x;
    std::int32_t y;
    std::uint32_t flags;
    alignas(sizeof(Pointer)) Pointer item;
};

// This build's own layout is the system's; the other one differs only in
// the width of the pointers, so checking ours in both builds checks both.
#define KESTREL_SAME_FIELD(Ours, Theirs, ours, theirs) \
    static_assert(offsetof(Ours<std::uintptr_t>, ours) == offsetof(Theirs, theirs))
static_assert(sizeof(ListViewItem<std::uintptr_t>) == sizeof(LVITEMW));
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, mask, mask);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, item, iItem);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, subItem, iSubItem);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, state, state);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, stateMask, stateMask);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, text, pszText);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, textMax, cchTextMax);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, image, iImage);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, lParam, lParam);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, indent, iIndent);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, groupId, iGroupId);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, columns, cColumns);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, columnList, puColumns);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, columnFormats, piColFmt);
KESTREL_SAME_FIELD(ListViewItem, LVITEMW, group, iGroup);
static_assert(sizeof(HeaderItem<std::uintptr_t>) == sizeof(HDITEMW));
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, mask, mask);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, width, cxy);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, text, pszText);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, bitmap, hbm);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, textMax, cchTextMax);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, format, fmt);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, lParam, lParam);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, image, iImage);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, order, iOrder);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, filterType, type);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, filter, pvFilter);
KESTREL_SAME_FIELD(HeaderItem, HDITEMW, state, state);
static_assert(sizeof(TreeItem<std::uintptr_t>) == sizeof(TVITEMW));
KESTREL_SAME_FIELD(TreeItem, TVITEMW, mask, mask);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, item, hItem);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, state, state);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, stateMask, stateMask);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, text, pszText);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, textMax, cchTextMax);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, image, iImage);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, selectedImage, iSelectedImage);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, children, cChildren);
KESTREL_SAME_FIELD(TreeItem, TVITEMW, lParam, lParam);
static_assert(sizeof(TreeHitTest<std::uintptr_t>) == sizeof(TVHITTESTINFO));
KESTREL_SAME_FIELD(TreeHitTest, TVHITTESTINFO, x, pt.x);
KESTREL_SAME_FIELD(TreeHitTest, TVHITTESTINFO, y, pt.y);
KESTREL_SAME_FIELD(TreeHitTest, TVHITTESTINFO, flags, flags);
KESTREL_SAME_FIELD(TreeHitTest, TVHITTESTINFO, item, hItem);
#undef KESTREL_SAME_FIELD

// The block in the source's memory: the structure first, then its text. A
// cell's text beyond the buffer is cut; no search value is that long.
constexpr std::size_t kItemBytes = 128;  // any of the structures, either layout
constexpr std::size_t kTextUnits = 8192;
constexpr std::size_t kBlockBytes = kItemBytes + kTextUnits * sizeof(wchar_t);

std::optional<LRESULT> Ask(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return AskControl(control, message, wParam, lParam);
}

// An answer that is an index or a count, an int in every control: a 32-bit
// control's -1 reaches the 64-bit program as 0xFFFFFFFF or as -1, depending
// on how the system widens it, and is -1 either way here.
std::optional<int> AskInt(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    const auto answer = Ask(control, message, wParam, lParam);
    if (!answer) return std::nullopt;
    return static_cast<int>(static_cast<std::uint32_t>(*answer));
}

HWND FocusOf(DWORD thread) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
}

// Which list the control is, by its real class (a program's own class built
// on a list box is still one) and its style, without a message: a control
// that does not answer is still known as a list.
Control ControlOf(HWND control) {
    wchar_t name[64] = L"";
    if (!control || !RealGetWindowClassW(control, name, 64)) return Control::None;
    const auto style = GetWindowLongPtrW(control, GWL_STYLE);
    if (lstrcmpiW(name, WC_LISTVIEWW) == 0) return Control::ListView;
    if (lstrcmpiW(name, WC_TREEVIEWW) == 0) return Control::TreeView;
    // A combo box's list, should it ever have the focus itself.
    if (lstrcmpiW(name, L"ListBox") == 0 || lstrcmpiW(name, L"ComboLBox") == 0) return Control::ListBox;
    // With an edit part, the edit has the focus and answers as one.
    if (lstrcmpiW(name, L"ComboBox") == 0 && (style & 3) == CBS_DROPDOWNLIST) return Control::DropDownList;
    return Control::None;
}

// A list whose items are the program's own drawing with no strings kept has
// no text to give: it answers as one that does not answer, since its line
// keys would move the user's selection just as in any other list.
bool KeepsStrings(HWND control, Control kind) {
    const auto style = GetWindowLongPtrW(control, GWL_STYLE);
    if (kind == Control::ListBox)
        return !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
    return !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (style & CBS_HASSTRINGS);
}

platform::ListText Answer(Control kind, Kind answer, std::string text = {}) { return {answer, kind, std::move(text)}; }

// An item's text by the list box's or combo box's own messages, which the
// system carries across processes (and bitness) itself: it copies the text
// into our buffer.
std::optional<std::wstring> ItemText(HWND control, UINT lengthMessage, UINT textMessage, int item) {
    const auto length = AskInt(control, lengthMessage, static_cast<WPARAM>(item));
    if (!length || *length < 0) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(*length) + 1, L'\0');
    const auto copied = AskInt(control, textMessage, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
    if (!copied || *copied < 0) return std::nullopt;
    text.resize(std::min(static_cast<std::size_t>(*copied), static_cast<std::size_t>(*length)));
    return text;
}

platform::ListText ReadListBox(HWND list) {
    const auto style = GetWindowLongPtrW(list, GWL_STYLE);
    const auto caret = AskInt(list, LB_GETCARETINDEX);
    if (!caret) return Answer(Control::ListBox, Kind::NoAnswer);
    bool caretSelected = false;
    int first = -1;
    if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
        const auto selected = *caret >= 0 ? AskInt(list, LB_GETSEL, static_cast<WPARAM>(*caret)) : 0;
        // The lowest selected index: the list gives them in order.
        const auto count = AskInt(list, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first));
        if (!selected || !count) return Answer(Control::ListBox, Kind::NoAnswer);
        caretSelected = *selected > 0;
        if (*count < 1) first = -1;
    } else {
        const auto current = AskInt(list, LB_GETCURSEL);
        if (!current) return Answer(Control::ListBox, Kind::NoAnswer);
        first = *current;
        caretSelected = *caret == *current;
    }
    const auto item = platform::ChosenItem(*caret, caretSelected, first);
    if (item < 0) return Answer(Control::ListBox, Kind::NothingSelected);
    const auto text = ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, static_cast<int>(item));
    if (!text) return Answer(Control::ListBox, Kind::NoAnswer);
    return Answer(Control::ListBox, Kind::Text, Narrow(*text));
}

platform::ListText ReadDropDownList(HWND combo) {
    const auto chosen = AskInt(combo, CB_GETCURSEL);
    if (!chosen) return Answer(Control::DropDownList, Kind::NoAnswer);
    if (*chosen < 0) return Answer(Control::DropDownList, Kind::NothingSelected);
    const auto text = ItemText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, *chosen);
    if (!text) return Answer(Control::DropDownList, Kind::NoAnswer);
    return Answer(Control::DropDownList, Kind::Text, Narrow(*text));
}

// Questions whose structure lies in the source's memory, laid out for its
// bitness (Pointer: std::uint32_t or std::uint64_t).
template <typename Pointer>
class RemoteQuestions {
public:
    RemoteQuestions(const RemoteProcess& process, RemoteBlock& block) : process_(process), block_(block) {}

    Pointer TextBuffer() const { return static_cast<Pointer>(block_.address() + kItemBytes); }

    // Sends `message` with the structure `item`, and reads back the text the
    // control gave in it; nothing when it does not answer in time or says no
    // (answers 0, unless `answersLength`: then 0 is an empty text).
    template <typename Item>
    std::optional<std::wstring> AskText(HWND control, UINT message, WPARAM wParam, Item item,
                                        bool answersLength = false) {
        static_assert(sizeof(Item) <= kItemBytes);
        const wchar_t none = L'\0';
        if (!block_.Write(0, &item, sizeof item) || !block_.Write(kItemBytes, &none, sizeof none))
            return std::nullopt;
        const auto answer = Ask(control, message, wParam, static_cast<LPARAM>(block_.address()));
        if (!answer) {
            block_.Abandon();
            return std::nullopt;
        }
        if (*answer == 0 && !answersLength) return std::nullopt;
        // The control may point the structure at text of its own instead
        // (an item whose text its program gives on request).
        if (!block_.Read(0, &item, sizeof item)) return std::nullopt;
        return ReadRemoteText(process_.handle(), item.text, kTextUnits - 1);
    }

    // The full handle of a 64-bit tree's item of which a 32-bit answer kept
    // only the low half: the visible rows' items, as hit tests write them into
    // the structure whole, compared by that half. Nothing when the item is not
    // in view.
    std::optional<Pointer> FullTreeItem(HWND tree, std::uint32_t lowHalf) {
        RECT client{};
        const auto height = AskInt(tree, TVM_GETITEMHEIGHT);
        if (!height || *height <= 0 || !GetClientRect(tree, &client)) return std::nullopt;
        for (int y = *height / 2; y < client.bottom; y += *height) {
            TreeHitTest<Pointer> hit{};
            hit.x = 0;
            hit.y = y;
            if (!block_.Write(0, &hit, sizeof hit)) return std::nullopt;
            if (!Ask(tree, TVM_HITTEST, 0, static_cast<LPARAM>(block_.address()))) {
                block_.Abandon();
                return std::nullopt;
            }
            if (!block_.Read(0, &hit, sizeof hit)) return std::nullopt;
            if (hit.item && static_cast<std::uint32_t>(hit.item) == lowHalf) return hit.item;
        }
        return std::nullopt;
    }

private:
    const RemoteProcess& process_;
    RemoteBlock& block_;
};

template <typename Pointer>
platform::ListText ReadListView(HWND list, const std::string& column, RemoteQuestions<Pointer> remote) {
    const auto noAnswer = Answer(Control::ListView, Kind::NoAnswer);
    int subItem = 0;
    if (!column.empty()) {
        // The header's items are the list's columns by index, the sub-item an
        // item's text is asked by; the order they are shown in (the user may
        // drag them) does not change which is which.
        std::vector<std::string> headers;
        const auto header = Ask(list, LVM_GETHEADER);
        if (!header) return noAnswer;
        if (const auto headerWindow = reinterpret_cast<HWND>(*header)) {
            const auto count = AskInt(headerWindow, HDM_GETITEMCOUNT);
            if (!count) return noAnswer;
            for (int i = 0; i < *count; ++i) {
                HeaderItem<Pointer> item{};
                item.mask = HDI_TEXT;
                item.text = remote.TextBuffer();
                item.textMax = kTextUnits;
                const auto text = remote.AskText(headerWindow, HDM_GETITEMW, static_cast<WPARAM>(i), item);
                if (!text) return noAnswer;
                headers.push_back(Narrow(*text));
            }
        }
        // No header (an icon view has none): no column has the name.
        subItem = platform::ColumnNamed(headers, column);
        if (subItem < 0) return Answer(Control::ListView, Kind::NoSuchColumn);
    }
    // Index -1 from the start; the control takes wParam as an int, so it is
    // -1 to a 64-bit list from the 32-bit program too.
    const auto focused = AskInt(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    const auto first = AskInt(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (!focused || !first) return noAnswer;
    bool focusedSelected = false;
    if (*focused >= 0) {
        const auto state = AskInt(list, LVM_GETITEMSTATE, static_cast<WPARAM>(*focused), LVIS_SELECTED);
        if (!state) return noAnswer;
        focusedSelected = (*state & LVIS_SELECTED) != 0;
    }
    const auto chosen = platform::ChosenItem(*focused, focusedSelected, *first);
    if (chosen < 0) return Answer(Control::ListView, Kind::NothingSelected);
    ListViewItem<Pointer> item{};
    item.subItem = subItem;
    item.text = remote.TextBuffer();
    item.textMax = kTextUnits;
    const auto text = remote.AskText(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(chosen), item, true);
    if (!text) return noAnswer;
    return Answer(Control::ListView, Kind::Text, Narrow(*text));
}

template <typename Pointer>
platform::ListText ReadTreeView(HWND tree, RemoteQuestions<Pointer> remote) {
    const auto noAnswer = Answer(Control::TreeView, Kind::NoAnswer);
    // The caret is the tree's selection.
    const auto caret = Ask(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!caret) return noAnswer;
    if (*caret == 0) return Answer(Control::TreeView, Kind::NothingSelected);
    auto handle = static_cast<Pointer>(static_cast<std::uintptr_t>(*caret));
    if (sizeof(Pointer) > sizeof(LRESULT)) {
        // The 32-bit program got the low half of a 64-bit tree's handle.
        const auto full = remote.FullTreeItem(tree, static_cast<std::uint32_t>(*caret));
        if (!full) return noAnswer;
        handle = *full;
    }
    TreeItem<Pointer> item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.item = handle;
    item.text = remote.TextBuffer();
    item.textMax = kTextUnits;
    const auto text = remote.AskText(tree, TVM_GETITEMW, 0, item);
    if (!text) return noAnswer;
    return Answer(Control::TreeView, Kind::Text, Narrow(*text));
}

// A list view's or tree view's answer, its structures in the source's memory.
platform::ListText ReadInSource(HWND control, Control kind, const std::string& column) {
    DWORD processId = 0;
    GetWindowThreadProcessId(control, &processId);
    const auto process = RemoteProcess::Open(processId);
    if (!process) return Answer(kind, Kind::NoAnswer);
    auto block = RemoteBlock::Allocate(*process, kBlockBytes);
    if (!block) return Answer(kind, Kind::NoAnswer);
    auto read = [&](auto remote) {
        return kind == Control::ListView ? ReadListView(control, column, remote) : ReadTreeView(control, remote);
    };
    if (process->is64Bit()) return read(RemoteQuestions<std::uint64_t>(*process, *block));
    return read(RemoteQuestions<std::uint32_t>(*process, *block));
}

}  // namespace

platform::ListText ListControls::ReadFocused(platform::WindowId window, const std::string& column) {
    const HWND source = reinterpret_cast<HWND>(window);
    const DWORD thread = source ? GetWindowThreadProcessId(source, nullptr) : 0;
    if (!thread) return {};
    // Known before any message, so that a list in a thread that does not
    // answer says so rather than passing for no list, which would have its
    // line keys typed into it.
    const auto before = ControlOf(FocusOf(thread));
    // The activation reaches the source's thread as messages of its own; once
    // it has answered one sent after them, its focus is where they left it.
    if (!Ask(source, WM_NULL)) return before == Control::None ? platform::ListText{} : Answer(before, Kind::NoAnswer);
    const HWND control = FocusOf(thread);
    const auto kind = ControlOf(control);
    switch (kind) {
    case Control::None:
        return {};
    case Control::ListBox:
    case Control::DropDownList:
        if (!KeepsStrings(control, kind)) return Answer(kind, Kind::NoAnswer);
        return kind == Control::ListBox ? ReadListBox(control) : ReadDropDownList(control);
    case Control::ListView:
    case Control::TreeView:
        return ReadInSource(control, kind, column);
    }
    return {};
}

}  // namespace kestrel::win32
