#include "platform/win32/list_controls.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/list_choice.h"
#include "platform/win32/control_class.h"
#include "platform/win32/remote_memory.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using Kind = platform::ListText::Kind;
using Control = platform::ListText::Control;
using platform::ListText;

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
constexpr std::size_t kTextUnits = ListText::kMaxTextUnits;
constexpr std::size_t kBlockBytes = kItemBytes + kTextUnits * sizeof(wchar_t);
// The whole read's bound, whatever the count of columns or rows asked about.
constexpr ULONGLONG kReadBoundMs = 1500;
// Blocks kept for freeing later; beyond these, one is left to its process.
constexpr std::size_t kAbandonedKept = 16;
// Source processes whose block is kept for the next read; beyond these, the
// one asked longest ago is freed.
constexpr std::size_t kProcessesKept = 8;
// The text units read back with the structure in one go; a longer text is
// read on from there.
constexpr std::size_t kQuickUnits = 64;

// A fault that ends the read, as the answer says it.
struct Failed {
    Kind kind;
};

ListText Answer(Control kind, Kind answer, std::string text = {}) { return {answer, kind, std::move(text)}; }

HWND FocusOf(DWORD thread) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
}

// Which list the control is, by the table and its style, without a message:
// a control that does not answer is still known as a list.
Control ControlOf(HWND control, platform::ControlKind kind) {
    switch (kind) {
    case platform::ControlKind::ListView: return Control::ListView;
    case platform::ControlKind::TreeView: return Control::TreeView;
    case platform::ControlKind::ListBox: return Control::ListBox;
    // With an edit part, the edit has the focus and answers as one.
    case platform::ControlKind::ComboBox:
        return (GetWindowLongPtrW(control, GWL_STYLE) & 3) == CBS_DROPDOWNLIST ? Control::DropDownList : Control::None;
    default: return Control::None;
    }
}

// A list whose items are the program's own drawing with no strings kept has
// no text to give.
bool KeepsStrings(HWND control, Control kind) {
    const auto style = GetWindowLongPtrW(control, GWL_STYLE);
    if (kind == Control::ListBox)
        return !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
    return !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (style & CBS_HASSTRINGS);
}

}  // namespace

// The questions of one read, under its one bound. A question that is not
// answered ends the read (Failed); an answer frees the blocks abandoned in
// that thread before.
class ListControls::Questions {
public:
    explicit Questions(ListControls& lists) : lists_(lists), deadline_(GetTickCount64() + kReadBoundMs) {}

    LRESULT Ask(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        const auto now = GetTickCount64();
        if (now >= deadline_) throw Failed{Kind::NoAnswer};
        DWORD_PTR result = 0;
        // Not SMTO_BLOCK: a control that asks one of our windows something
        // while answering must not stall both programs until the bound.
        SetLastError(ERROR_SUCCESS);
        if (!SendMessageTimeoutW(control, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                                 static_cast<UINT>(deadline_ - now), &result))
            // The system refuses messages to a program with more rights (UIPI).
            throw Failed{GetLastError() == ERROR_ACCESS_DENIED ? Kind::Refused : Kind::NoAnswer};
        lists_.Answered(GetWindowThreadProcessId(control, nullptr));
        return static_cast<LRESULT>(result);
    }
    // An answer that is an index or a count, an int in every control: a 32-bit
    // control's -1 reaches the 64-bit program as 0xFFFFFFFF or as -1, depending
    // on how the system widens it, and is -1 either way here.
    int AskInt(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return static_cast<int>(static_cast<std::uint32_t>(Ask(control, message, wParam, lParam)));
    }

private:
    ListControls& lists_;
    const ULONGLONG deadline_;
};

namespace {

using Questions = ListControls::Questions;

// An item's text by the list box's or combo box's own messages, which the
// system carries across processes (and bitness) itself. They take no buffer
// size: the buffer holds the longest text taken, the item's length is asked
// first, and the copy must agree with it.
std::string ItemText(Questions& ask, HWND control, UINT lengthMessage, UINT textMessage, int item) {
    const auto length = ask.AskInt(control, lengthMessage, static_cast<WPARAM>(item));
    if (length < 0) throw Failed{Kind::NoAnswer};  // the item went meanwhile
    if (length > static_cast<int>(kTextUnits)) throw Failed{Kind::TooLong};
    std::wstring text(kTextUnits + 1, L'\0');
    const auto copied =
        ask.AskInt(control, textMessage, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
    // An ANSI list's length may be an overestimate; never more.
    if (copied < 0 || copied > length) throw Failed{Kind::TooLong};
    text.resize(static_cast<std::size_t>(copied));
    return Narrow(text);
}

ListText ReadListBox(Questions& ask, HWND list) {
    const auto style = GetWindowLongPtrW(list, GWL_STYLE);
    const auto caret = ask.AskInt(list, LB_GETCARETINDEX);
    bool caretSelected = false;
    int first = -1;
    if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
        caretSelected = caret >= 0 && ask.AskInt(list, LB_GETSEL, static_cast<WPARAM>(caret)) > 0;
        // The lowest selected index: the list gives them in order.
        if (ask.AskInt(list, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first)) < 1) first = -1;
    } else {
        first = ask.AskInt(list, LB_GETCURSEL);
        caretSelected = caret == first;
    }
    const auto item = platform::ChosenItem(caret, caretSelected, first);
    if (item < 0) return Answer(Control::ListBox, Kind::NothingSelected);
    return Answer(Control::ListBox, Kind::Text, ItemText(ask, list, LB_GETTEXTLEN, LB_GETTEXT, static_cast<int>(item)));
}

ListText ReadDropDownList(Questions& ask, HWND combo) {
    const auto chosen = ask.AskInt(combo, CB_GETCURSEL);
    if (chosen < 0) return Answer(Control::DropDownList, Kind::NothingSelected);
    return Answer(Control::DropDownList, Kind::Text, ItemText(ask, combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, chosen));
}

// Questions whose structure lies in the source's memory, laid out for its
// bitness (Pointer: std::uint32_t or std::uint64_t).
template <typename Pointer>
class RemoteQuestions {
public:
    RemoteQuestions(Questions& ask, const RemoteProcess& process, RemoteBlock& block)
        : ask_(ask), process_(process), block_(block) {}

    Pointer TextBuffer() const { return static_cast<Pointer>(block_.address() + kItemBytes); }

    // Sends `message` with the structure `item` and returns the answer, the
    // structure as the control left it in `item`; with `text`, the start of
    // the text buffer too, read with it.
    template <typename Item>
    LRESULT AskWith(HWND control, UINT message, WPARAM wParam, Item& item, wchar_t (*text)[kQuickUnits] = nullptr) {
        static_assert(sizeof(Item) <= kItemBytes);
        // The structure and an empty text after it, in one write.
        unsigned char bytes[kItemBytes + sizeof *text] = {};
        std::memcpy(bytes, &item, sizeof item);
        if (!block_.Write(0, bytes, kItemBytes + sizeof(wchar_t))) throw Failed{Kind::Unreachable};
        // Until it is answered, the control may still write into the block.
        block_.Abandon();
        const auto answer = ask_.Ask(control, message, wParam, static_cast<LPARAM>(block_.address()));
        block_.Reclaim();
        if (!block_.Read(0, bytes, text ? sizeof bytes : sizeof item)) throw Failed{Kind::Unreachable};
        std::memcpy(&item, bytes, sizeof item);
        if (text) std::memcpy(*text, bytes + kItemBytes, sizeof *text);
        return answer;
    }

    // The text the control gave for `message` with `item`; a control that
    // says no (answers 0, unless `answersLength`: then 0 is an empty text)
    // gives no answer.
    template <typename Item>
    std::string AskText(HWND control, UINT message, WPARAM wParam, Item item, bool answersLength = false) {
        wchar_t start[kQuickUnits];
        if (AskWith(control, message, wParam, item, &start) == 0 && !answersLength) throw Failed{Kind::NoAnswer};
        const auto end = std::find(std::begin(start), std::end(start), L'\0');
        if (item.text == TextBuffer() && end != std::end(start)) return Narrow(std::wstring(start, end));
        // A longer text, or the control pointed the structure at text of its
        // own instead (an item whose text its program gives on request).
        const auto text = ReadRemoteText(process_.handle(), item.text, kTextUnits);
        if (!text) throw Failed{Kind::Unreachable};
        return Narrow(*text);
    }

    // The whole handle of a 64-bit tree's item of which a 32-bit answer kept
    // only the low half. The visible rows' items are whole, as hit tests
    // write them into the structure; the item is one of them, or the address
    // with its low half in the same allocation as one of them (there is one
    // at most in an allocation below 4 GB in size), as the system's record
    // of the source's memory shows. Any other item is not asked about: a
    // handle that is no item could make the source fail.
    Pointer FullTreeItem(HWND tree, std::uint32_t lowHalf) {
        RECT client{};
        const auto height = ask_.AskInt(tree, TVM_GETITEMHEIGHT);
        if (height <= 0 || !GetClientRect(tree, &client)) throw Failed{Kind::Unreachable};
        std::vector<Pointer> shown;
        for (int y = height / 2; y < client.bottom; y += height) {
            TreeHitTest<Pointer> hit{};
            hit.y = y;
            AskWith(tree, TVM_HITTEST, 0, hit);
            if (static_cast<std::uint32_t>(hit.item) == lowHalf && hit.item) return hit.item;
            if (hit.item) shown.push_back(hit.item);
        }
        std::optional<Pointer> found;
        for (const auto item : shown) {
            const auto candidate = static_cast<Pointer>((static_cast<std::uint64_t>(item) & ~0xFFFFFFFFull) | lowHalf);
            if (candidate == found || !SameAllocation(process_.handle(), candidate, item)) continue;
            if (found) throw Failed{Kind::Unreachable};  // two allocations would have it
            found = candidate;
        }
        if (!found) throw Failed{Kind::Unreachable};
        return *found;
    }

private:
    Questions& ask_;
    const RemoteProcess& process_;
    RemoteBlock& block_;
};

template <typename Pointer>
ListText ReadListView(Questions& ask, HWND list, const std::string& column, RemoteQuestions<Pointer> remote) {
    int subItem = 0;
    if (!column.empty()) {
        // The header's items are the list's columns by index, the sub-item an
        // item's text is asked by; the order they are shown in (the user may
        // drag them) does not change which is which.
        std::vector<std::string> headers;
        if (const auto header = reinterpret_cast<HWND>(ask.Ask(list, LVM_GETHEADER))) {
            const auto count = ask.AskInt(header, HDM_GETITEMCOUNT);
            for (int i = 0; i < count; ++i) {
                HeaderItem<Pointer> item{};
                item.mask = HDI_TEXT;
                item.text = remote.TextBuffer();
                item.textMax = kTextUnits;
                headers.push_back(remote.AskText(header, HDM_GETITEMW, static_cast<WPARAM>(i), item));
            }
        }
        // No header (an icon view has none): no column has the name.
        subItem = platform::ColumnNamed(headers, column);
        if (subItem < 0) return Answer(Control::ListView, Kind::NoSuchColumn);
    }
    // Index -1 from the start; the control takes wParam as an int, so it is
    // -1 to a 64-bit list from the 32-bit program too. The focused item if it
    // is selected (an item with both states: there is one focused item at
    // most), else the first selected one.
    auto chosen = ask.AskInt(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED);
    if (chosen < 0) chosen = ask.AskInt(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (chosen < 0) return Answer(Control::ListView, Kind::NothingSelected);
    ListViewItem<Pointer> item{};
    item.subItem = subItem;
    item.text = remote.TextBuffer();
    item.textMax = kTextUnits;
    return Answer(Control::ListView, Kind::Text,
                  remote.AskText(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(chosen), item, true));
}

template <typename Pointer>
ListText ReadTreeView(Questions& ask, HWND tree, RemoteQuestions<Pointer> remote) {
    // The caret is the tree's selection.
    const auto caret = ask.Ask(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (caret == 0) return Answer(Control::TreeView, Kind::NothingSelected);
    auto handle = static_cast<Pointer>(static_cast<std::uintptr_t>(caret));
    // The 32-bit program got the low half of a 64-bit tree's handle.
    if (sizeof(Pointer) > sizeof(LRESULT)) handle = remote.FullTreeItem(tree, static_cast<std::uint32_t>(caret));
    TreeItem<Pointer> item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.item = handle;
    item.text = remote.TextBuffer();
    item.textMax = kTextUnits;
    return Answer(Control::TreeView, Kind::Text, remote.AskText(tree, TVM_GETITEMW, 0, item));
}

}  // namespace

void ListControls::Answered(DWORD thread) {
    for (auto it = abandoned_.begin(); it != abandoned_.end();) {
        if (it->thread != thread) {
            ++it;
            continue;
        }
        FreeRemoteBlock(it->process.handle(), it->address);
        it = abandoned_.erase(it);
    }
}

std::list<ListControls::Kept>::iterator ListControls::KeptFor(DWORD processId) {
    for (auto it = kept_.begin(); it != kept_.end();) {
        if (WaitForSingleObject(it->process.handle(), 0) == WAIT_TIMEOUT) {
            // Running, so the id is still that process's.
            if (it->processId == processId) return it;
            ++it;
            continue;
        }
        it->block.Abandon();  // gone with its process: nothing to free
        it = kept_.erase(it);
    }
    bool refused = false;
    auto process = RemoteProcess::Open(processId, refused);
    if (!process) throw Failed{refused ? Kind::Refused : Kind::Unreachable};
    auto block = RemoteBlock::Allocate(*process, kBlockBytes);
    if (!block) throw Failed{Kind::Unreachable};
    if (kept_.size() >= kProcessesKept) kept_.pop_front();
    kept_.push_back({processId, std::move(*process), std::move(*block)});
    return std::prev(kept_.end());
}

// A list view's or tree view's answer, its structures in the source's memory.
ListText ListControls::ReadInSource(Questions& ask, HWND control, Control kind, const std::string& column) {
    DWORD processId = 0;
    const DWORD thread = GetWindowThreadProcessId(control, &processId);
    const auto kept = KeptFor(processId);
    // However the read ends, a block the control may still write into is
    // no longer used, and is freed once that thread answers again.
    struct Keep {
        ListControls& lists;
        std::list<Kept>::iterator kept;
        DWORD thread;
        ~Keep() {
            if (!kept->block.abandoned()) return;
            if (lists.abandoned_.size() >= kAbandonedKept) lists.abandoned_.erase(lists.abandoned_.begin());
            lists.abandoned_.push_back({std::move(kept->process), thread, kept->block.address()});
            lists.kept_.erase(kept);
        }
    } keep{*this, kept, thread};
    auto read = [&](auto remote) {
        return kind == Control::ListView ? ReadListView(ask, control, column, remote) : ReadTreeView(ask, control, remote);
    };
    if (kept->process.is64Bit()) return read(RemoteQuestions<std::uint64_t>(ask, kept->process, kept->block));
    return read(RemoteQuestions<std::uint32_t>(ask, kept->process, kept->block));
}

ListText ListControls::Read(HWND control, platform::ControlKind kind, const std::string& column) {
    const auto list = ControlOf(control, kind);
    if (list == Control::None) return {};
    try {
        Questions ask(*this);
        return Read(ask, control, list, column);
    } catch (const Failed& failed) {
        return Answer(list, failed.kind);
    }
}

ListText ListControls::Read(Questions& ask, HWND control, Control list, const std::string& column) {
    switch (list) {
    case Control::ListBox:
    case Control::DropDownList:
        if (!KeepsStrings(control, list)) return Answer(list, Kind::NoText);
        return list == Control::ListBox ? ReadListBox(ask, control) : ReadDropDownList(ask, control);
    case Control::ListView:
    case Control::TreeView:
        return ReadInSource(ask, control, list, column);
    default:
        return {};
    }
}

ListText ListControls::ReadFocused(platform::WindowId window, const std::string& column,
                                   const platform::ControlClasses& classes) {
    const HWND source = reinterpret_cast<HWND>(window);
    const DWORD thread = source ? GetWindowThreadProcessId(source, nullptr) : 0;
    if (!thread) return {};
    // Known before any message, so that a list in a thread that does not
    // answer says so rather than passing for no list, which would have its
    // line keys typed into it.
    const HWND focused = FocusOf(thread);
    const auto before = ControlOf(focused, KindOfWindow(focused, classes));
    Questions ask(*this);
    try {
        // The activation reaches the source's thread as messages of its own; once
        // it has answered one sent after them, its focus is where they left it.
        ask.Ask(source, WM_NULL);
    } catch (const Failed& failed) {
        return before == Control::None ? ListText{} : Answer(before, failed.kind);
    }
    const HWND control = FocusOf(thread);
    const auto list = ControlOf(control, KindOfWindow(control, classes));
    try {
        return Read(ask, control, list, column);
    } catch (const Failed& failed) {
        return Answer(list, failed.kind);
    }
}

}  // namespace kestrel::win32
