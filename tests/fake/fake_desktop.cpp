#include "fake/fake_desktop.h"

#include <cctype>

#include "platform/error.h"
#include "platform/keystrokes.h"
#include "platform/list_choice.h"

namespace kestrel::fake {

platform::Services FakeDesktop::Services(forms::FormHost& forms) {
    return {*this, *this, *this, *this, *this, *this, forms, *this, *this,
            *this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this, picker};
}

namespace {

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

}  // namespace

class FakeTextFile final : public platform::TextFile {
public:
    FakeTextFile(FakeDesktop& desk, std::string path) : desk_(desk), path_(std::move(path)) { ++desk_.openFiles; }
    ~FakeTextFile() override { Close(); }
    void WriteLine(const std::string& text) override {
        if (!open_) throw Error(path_ + " is closed");
        desk_.log.push_back("write:" + text);
        if (++desk_.linesWritten_ == desk_.failWriteAtLine) throw Error("the disk is full");
        desk_.files[path_].content += text + "\r\n";
    }
    void Close() override {
        if (!open_) return;
        open_ = false;
        --desk_.openFiles;
        desk_.log.push_back("close");
    }

private:
    FakeDesktop& desk_;
    std::string path_;
    bool open_ = true;
};

FakeFile* FakeDesktop::File(const std::string& path) {
    const auto found = files.find(Lower(path));
    return found == files.end() ? nullptr : &found->second;
}

void FakeDesktop::Listen(WindowId window, std::function<void()> onPress) {
    log.push_back("hook");
    if (hookFails) throw Error("access is denied");
    listeners[window] = std::move(onPress);
}

void FakeDesktop::StopListening(WindowId window) {
    log.push_back("unhook");
    listeners.erase(window);
}

bool FakeDesktop::PressHotKey(WindowId window) {
    const auto found = listeners.find(window);
    if (found == listeners.end()) return false;
    const auto onPress = found->second;  // the press may stop the listening
    onPress();
    return true;
}

bool FakeDesktop::Register(WindowId, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) {
    log.push_back("register:" + std::to_string(id) + "," + std::to_string(modifiers) + "," + std::to_string(key));
    return !registerFails;
}

bool FakeDesktop::Unregister(WindowId, std::int32_t id) {
    log.push_back("unregister:" + std::to_string(id));
    return !unregisterFails;
}

std::int32_t FakeDesktop::AddGlobalAtom(const std::string& text) {
    log.push_back("atom-add:" + text);
    return atomFails ? 0 : nextAtom++;
}

void FakeDesktop::DeleteGlobalAtom(std::int32_t atom) { log.push_back("atom-delete:" + std::to_string(atom)); }

bool FakeDesktop::Add(WindowId owner, const std::string& tip, platform::NotificationArea::Events events) {
    trayIcons[owner] = {owner, tip, std::move(events), false};
    return Show(owner);
}

bool FakeDesktop::Show(WindowId owner) {
    log.push_back("tray-add");
    auto& icon = trayIcons.at(owner);
    if (trayRefusals > 0) {
        --trayRefusals;
        return false;
    }
    icon.shown = true;
    return true;
}

void FakeDesktop::Remove(WindowId owner) {
    log.push_back("tray-delete");
    trayIcons.erase(owner);
}

void FakeDesktop::RecreateNotificationArea() {
    std::vector<std::function<void()>> told;
    for (auto& [owner, icon] : trayIcons) {
        icon.shown = false;
        told.push_back(icon.events.onAreaRecreated);
    }
    for (const auto& onRecreated : told)
        if (onRecreated) onRecreated();
}

platform::Timers::Id FakeDesktop::Start(int intervalMs, std::function<void()> onTick) {
    const auto id = nextTimer_++;
    timers[id] = intervalMs;
    ScheduleTick(id, std::move(onTick));
    return id;
}

void FakeDesktop::ScheduleTick(platform::Timers::Id timer, std::function<void()> onTick) {
    At(now + timers.at(timer), [this, timer, onTick] {
        if (!timers.count(timer)) return;  // stopped meanwhile
        onTick();
        if (timers.count(timer)) ScheduleTick(timer, onTick);
    });
}

void FakeDesktop::Stop(platform::Timers::Id timer) { timers.erase(timer); }

bool FakeDesktop::IsInFront(WindowId window) {
    if (foreground == window) return true;
    const auto* front = Find(foreground);
    return front && front->dialogOf == window;
}

bool FakeDesktop::RightClickTrayIcon(WindowId owner) {
    const auto found = trayIcons.find(owner);
    if (found == trayIcons.end() || !found->second.shown) return false;
    const auto onMenu = found->second.events.onMenu;
    onMenu();
    return true;
}

platform::RegistryRead FakeDesktop::ReadValue(platform::RegistryRoot, const std::string& key, const std::string& name,
                                              std::size_t bufferSize) {
    log.push_back("registry:" + key + "\\" + name);
    const auto found = registryValues.find(key + "\\" + name);
    if (found == registryValues.end()) return {};
    auto read = found->second;
    if (read.opened && read.read && read.data.size() > bufferSize) {
        read.read = false;  // the buffer is too small
        read.data.clear();
    }
    return read;
}

bool FakeDesktop::Exists(const std::string& path) {
    log.push_back("exists:" + path);
    for (const auto& f : existingFiles)
        if (Lower(f) == Lower(path)) return true;
    return File(path) != nullptr;
}

std::uint32_t FakeDesktop::Start(const std::string& commandLine, const std::string& application,
                                 platform::ShowAs show) {
    log.push_back("start:" + commandLine);
    if (startFails) throw Error("the system cannot find the file specified");
    started.push_back({commandLine, application, show});
    if (onStart) onStart(started.back());
    return 4000 + static_cast<std::uint32_t>(started.size());
}

std::unique_ptr<platform::TextFile> FakeDesktop::Create(const std::string& path) {
    log.push_back("create:" + path);
    bool folderExists = false;
    for (const auto& f : folders) folderExists = folderExists || Lower(f) == Lower(FolderOf(path));
    if (!folderExists) throw Error("the path " + path + " does not exist");
    auto& file = files[Lower(path)];  // created when absent
    if (file.readOnly) throw Error("access is denied");
    file.content.clear();
    linesWritten_ = 0;
    return std::make_unique<FakeTextFile>(*this, Lower(path));
}

FakeWindow& FakeDesktop::AddWindow(const std::string& title, std::vector<std::string> lines) {
    FakeWindow w;
    w.id = nextId_++;
    w.title = title;
    w.lines = std::move(lines);
    windows.push_back(w);
    return windows.back();
}

FakeWindow* FakeDesktop::Find(WindowId id) {
    for (auto& w : windows)
        if (w.id == id) return &w;
    return nullptr;
}

std::string FakeDesktop::Read(const std::string& app, const std::string& section, const std::string& key,
                                    const std::string& fallback) {
    log.push_back("read:" + LoggedKey(section, key));
    if (key == failReadAt) throw Error("the store cannot be read");
    const auto found = store.find(StoreKey(app, section, key));
    return found == store.end() ? fallback : found->second;
}

void FakeDesktop::Write(const std::string& app, const std::string& section, const std::string& key,
                              const std::string& value) {
    log.push_back("save:" + LoggedKey(section, key) + "=" + value);
    if (key == failSaveAt || ++writes == failingWrite) throw Error("the store cannot be written");
    store[StoreKey(app, section, key)] = value;
}

void FakeDesktop::RemoveSection(const std::string& app, const std::string& section) {
    log.push_back("remove:" + section);
    if (section == failSaveAt || ++writes == failingWrite) throw Error("the store cannot be written");
    const auto prefix = StoreKey(app, section, "");
    for (auto it = store.lower_bound(prefix); it != store.end() && it->first.rfind(prefix, 0) == 0;)
        it = store.erase(it);
}

void FakeDesktop::OpenClipboard() {
    if (busyOpens > 0) {
        --busyOpens;
        throw ClipboardBusy();
    }
}

void FakeDesktop::Clear() {
    OpenClipboard();
    log.push_back("clear");
    clipboard.clear();
    clipboardOwner = 0;
    ++sequence;
}

std::string FakeDesktop::Text() {
    OpenClipboard();
    log.push_back("read-clipboard");
    return clipboard;
}

void FakeDesktop::SetText(const std::string& text) {
    OpenClipboard();
    log.push_back("set-clipboard:" + text);
    clipboard = text;
    clipboardOwner = 0;
    sequence += 2;  // emptied, then filled
}

void FakeDesktop::CopiedAsSelected(WindowId window, const std::string& text) {
    clipboard = text;
    clipboardOwner = window;
    sequence += 2;
}

platform::Clipboard::Copier FakeDesktop::CopiedBy(WindowId window) {
    if (clipboardOwner == kNoOwner) return Copier::NoWindow;
    // A dialog is of its window's program.
    const FakeWindow* owner = Find(clipboardOwner);
    const bool same = clipboardOwner != 0 && (clipboardOwner == window || (owner && owner->dialogOf == window));
    return same ? Copier::WindowsProgram : Copier::AnotherProgram;
}

std::vector<platform::ControlFacts> FakeDesktop::FocusPath(WindowId window) {
    const FakeWindow* w = Find(window);
    if (!w) return {};
    auto path = w->focusPath;
    path.push_back({w->id, w->className, w->program});
    return path;
}

platform::WindowFacts FakeDesktop::Describe(WindowId window) {
    const FakeWindow* w = Find(window);
    return w ? platform::WindowFacts{w->title, w->className, w->program, w->higherRights} : platform::WindowFacts{};
}

// As the system's console reads a console window's buffer.
platform::ConsoleText FakeDesktop::Read(WindowId window) {
    log.push_back("read-console");
    using Kind = platform::ConsoleText::Kind;
    const FakeWindow* w = Find(window);
    if (!w || !w->console) return {Kind::NotAConsole, {}};
    const auto& c = *w->console;
    if (c.unreadable) return {Kind::Unreadable, {}};
    if (!c.selection.empty()) return {Kind::Selection, c.selection};
    const bool onARow = c.cursorRow >= 0 && c.cursorRow < static_cast<int>(c.rows.size());
    return {Kind::CursorLine, {onARow ? c.rows[static_cast<std::size_t>(c.cursorRow)] : std::string()}};
}

// As an edit control answers across processes: the selection, or with only
// a caret the caret's line.
platform::ControlText FakeDesktop::ReadFocused(WindowId window, const platform::ControlClasses&) {
    log.push_back("ask-control");
    const FakeWindow* w = Find(IsInFront(window) ? foreground : window);
    using Kind = platform::ControlText::Kind;
    if (!w) return {Kind::NotAnEdit, {}};
    switch (w->control) {
    case FocusedControl::KeysOnly:
        return {Kind::NotAnEdit, {}};
    case FocusedControl::Password:
        return {Kind::Password, {}};
    case FocusedControl::Silent:
        now += 1000;  // the question's time limit
        return {Kind::NoAnswer, {}};
    case FocusedControl::Edit:
        break;
    }
    if (!w->selection.empty()) return {Kind::Text, w->selection};
    const bool onALine = w->caretLine >= 0 && w->caretLine < static_cast<int>(w->lines.size());
    return {Kind::Text, onALine ? w->lines[static_cast<std::size_t>(w->caretLine)] : std::string()};
}

std::vector<platform::ChildWindow> FakeDesktop::Descendants(WindowId window) {
    log.push_back("descendants");
    std::vector<platform::ChildWindow> children;
    if (const FakeWindow* w = Find(window))
        for (const auto& child : w->children) children.push_back(child.window);
    return children;
}

const FakeWindow::Child* FakeDesktop::FindChild(WindowId id) const {
    for (const auto& w : windows)
        for (const auto& child : w.children)
            if (child.window.id == id) return &child;
    return nullptr;
}

platform::ControlText FakeDesktop::ReadWhole(WindowId control, platform::ControlKind kind) {
    log.push_back("ask-text:" + std::to_string(control));
    using Kind = platform::ControlText::Kind;
    using platform::ControlKind;
    const auto* child = FindChild(control);
    const bool text = kind == ControlKind::Edit || kind == ControlKind::RichEdit || kind == ControlKind::StaticText ||
                      kind == ControlKind::Button || kind == ControlKind::ComboBox;
    if (!child || !text) return {Kind::NotAnEdit, {}};
    if (child->control == FocusedControl::Password) return {Kind::Password, {}};
    if (child->control == FocusedControl::Silent) {
        now += 1000;
        return {Kind::NoAnswer, {}};
    }
    return {Kind::Text, child->text};
}

platform::ListText FakeDesktop::ReadList(WindowId control, platform::ControlKind, const std::string& column) {
    log.push_back("ask-list:" + std::to_string(control));
    const auto* child = FindChild(control);
    if (!child || !child->list) return {};
    return Answer(*child->list, column);
}

platform::ListText FakeDesktop::ReadFocused(WindowId window, const std::string& column,
                                            const platform::ControlClasses&) {
    log.push_back("ask-list");
    const FakeWindow* w = Find(IsInFront(window) ? foreground : window);
    if (!w || !w->list) return {};
    return Answer(*w->list, column);
}

// As the system's list controls answer: the item the user chose, by the
// rules every list route shares.
platform::ListText FakeDesktop::Answer(const FakeWindow::List& l, const std::string& column) {
    using Kind = platform::ListText::Kind;
    if (l.silent) {
        now += 1500;  // the read's time limit
        return {Kind::NoAnswer, l.control, {}};
    }
    if (l.fails) return {*l.fails, l.control, {}};
    // Only a list view has columns; the others ignore the name.
    const auto cell = l.control == platform::ListText::Control::ListView ? platform::ColumnNamed(l.headers, column) : 0;
    if (cell < 0) return {Kind::NoSuchColumn, l.control, {}};
    const auto item = platform::ChosenItem(l.focused, l.selected.count(l.focused) != 0,
                                           l.selected.empty() ? -1 : *l.selected.begin());
    if (item < 0 || item >= static_cast<std::int64_t>(l.rows.size())) return {Kind::NothingSelected, l.control, {}};
    const auto& cells = l.rows[static_cast<std::size_t>(item)];
    return {Kind::Text, l.control, static_cast<std::size_t>(cell) < cells.size() ? cells[static_cast<std::size_t>(cell)] : ""};
}

void FakeDesktop::RunDue() {
    // Actions may schedule more; run in time order until none is due.
    for (;;) {
        auto due = scheduled_.end();
        for (auto it = scheduled_.begin(); it != scheduled_.end(); ++it)
            if (it->time <= now && (due == scheduled_.end() || it->time < due->time)) due = it;
        if (due == scheduled_.end()) return;
        auto action = std::move(due->action);
        scheduled_.erase(due);
        action();
    }
}

void FakeDesktop::DoEvents() { RunDue(); }

void FakeDesktop::WaitForEvents(int ms) {
    now += ms;
    TakeQueuedInput(queuedInput_.size());
    RunDue();
}

std::vector<platform::WindowCandidate> FakeDesktop::TopLevelWindows() {
    std::vector<platform::WindowCandidate> candidates;
    for (const auto& w : windows)  // in z-order
        candidates.push_back({w.id, w.title, w.visible, w.ownProcess, w.cloaked, w.shell});
    return candidates;
}

void FakeDesktop::Activate(WindowId id) {
    const auto* window = Find(id);
    log.push_back("activate:" + (window ? window->title : std::string("?")));
    // A window behind a dialog of its own program: the dialog comes forward.
    if (window && !window->refusesActivation) foreground = window->dialog ? window->dialog : id;
}

bool FakeDesktop::IsDown(platform::KeyCode key) {
    ++keyStateQueries;
    const auto found = heldUntil.find(key);
    return found != heldUntil.end() && found->second > now;
}

std::size_t FakeDesktop::Send(const std::vector<KeyEvent>& events) {
    log.push_back("keys");
    chords.push_back(events);
    const auto taken = std::min(events.size(), injectLimit);
    const FakeWindow* w = Find(foreground);
    for (std::size_t i = 0; i < taken; ++i) {
        if (w && w->inputAfterAnswers) queuedInput_.push_back(events[i]);
        else Key(events[i]);
    }
    return taken;
}

void FakeDesktop::TakeQueuedInput(std::size_t events) {
    while (events-- > 0 && !queuedInput_.empty()) {
        const auto e = queuedInput_.front();
        queuedInput_.erase(queuedInput_.begin());
        Key(e);
    }
    RunDue();
}

// A text box's answer to the keys: Home goes to the line's start, Shift+End
// selects to its end, Ctrl+C copies a non-empty selection (after the window's
// delay) and does nothing without one. A console or terminal passes the keys
// it does not take itself to the program in it, which takes Ctrl+C for an
// interrupt; a terminal copies with its own copy command, or not at all.
void FakeDesktop::Key(const KeyEvent& e) {
    if (e.key == platform::kKeyControl) ctrl_ = !e.up;
    if (e.key == platform::kKeyShift) shift_ = !e.up;
    if (e.key == platform::kKeyAlt) alt_ = !e.up;
    if (e.up) return;
    FakeWindow* w = Find(foreground);
    if (!w) return;
    const bool modifier = e.key == platform::kKeyControl || e.key == platform::kKeyShift || e.key == platform::kKeyAlt;
    bool ctrlC = e.key == 'C' && ctrl_ && !shift_ && !alt_;
    bool copies = ctrlC;
    if (w->list) {
        // A list takes the line keys as moves: Shift+End selects to its end.
        if (!modifier) ++w->programKeys;
        if (e.key == platform::kKeyEnd && shift_)
            for (int row = std::max(w->list->focused, 0); row < static_cast<int>(w->list->rows.size()); ++row)
                w->list->selected.insert(row);
        if (e.key == platform::kKeyHome) w->list->focused = 0;
        return;
    }
    if (w->console || w->className == "PuTTY" || w->className == "KiTTY") {
        copies = false;
    } else if (w->className == "CASCADIA_HOSTING_WINDOW_CLASS") {
        // Its copy chords copy a selection; with none the program gets Ctrl+C.
        const bool chord = e.key == 'C' && ctrl_ && !alt_;
        copies = chord && !w->selection.empty();
        ctrlC = chord && w->selection.empty();
    } else if (w->className == "mintty") {
        copies = e.key == platform::kKeyInsert && ctrl_ && !shift_;
    } else {
        if (e.key == platform::kKeyHome) {
            w->selection.clear();
        } else if (e.key == platform::kKeyEnd && shift_) {
            if (w->caretLine >= 0 && w->caretLine < static_cast<int>(w->lines.size()))
                w->selection = w->lines[static_cast<std::size_t>(w->caretLine)];
        }
    }
    const bool inATerminal = w->console || !w->className.empty();
    if (inATerminal && !modifier && !(copies && !w->selection.empty())) {
        ++w->programKeys;
        if (ctrlC) ++w->interrupts;
    }
    if (!copies) return;
    w->busyUntil = now + w->busyMs;
    if (w->selection.empty() || w->copyDelayMs < 0) return;
    const auto text = w->selection;
    const auto owner = w->copiesWithoutOwner ? kNoOwner : w->id;
    At(w->busyUntil + w->copyDelayMs, [this, text, owner] {
        clipboard = text;
        clipboardOwner = owner;
        sequence += 2;  // emptied, then filled
    });
}

bool FakeDesktop::WaitUntilAnswered(WindowId window, int boundMs) {
    log.push_back("probe");
    const FakeWindow* w = Find(window);
    const auto answerAt = w ? std::max(now, w->busyUntil) : now + boundMs;
    const bool answered = w && answerAt - now <= boundMs;
    now = answered ? answerAt : now + boundMs;
    // Two answers: the key event let through after the first is taken, the
    // one after the second not yet.
    if (answered && w->inputAfterAnswers) TakeQueuedInput(1);
    RunDue();
    return answered;
}

void FakeDesktop::Show(const std::string& text, const std::string& caption, platform::Modality modality) {
    log.push_back("message:" + text);
    messages.push_back({text, modality, caption});
    if (onMessage) onMessage(messages.back());
}

}  // namespace kestrel::fake
