#include "fake/fake_desktop.h"

#include <cctype>

#include "platform/keys.h"

namespace kestrel::fake {

platform::Services FakeDesktop::Services() {
    platform::Services services{this, this, this, this, this, this};
    services.programs = this;
    services.files = this;
    services.hotkeys = this;
    services.shell = this;
    services.registry = this;
    return services;
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

std::intptr_t FakeDesktop::SetWindowProcedure(WindowId window, platform::WindowProcedure procedure) {
    log.push_back("hook");
    if (hookFails) throw Error("access is denied");
    const auto previous = procedureOf.count(window) ? procedureOf[window] : kBaseProcedure;
    installed_ = procedure;
    procedureOf[window] = kInstalled;
    return previous;
}

void FakeDesktop::RestoreWindowProcedure(WindowId window, std::intptr_t previous) {
    log.push_back("unhook");
    procedureOf[window] = previous;
}

std::intptr_t FakeDesktop::CallWindowProcedure(std::intptr_t previous, WindowId window, std::uint32_t msg,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
    if (previous == kInstalled) {
        // A window hooked twice calls itself: stop the recursion and say so.
        if (++depth_ > 20) throw Error("the window procedure calls itself");
        const auto result = installed_(window, msg, wParam, lParam);
        --depth_;
        return result;
    }
    log.push_back("base:" + std::to_string(msg));
    return baseResult;
}

std::intptr_t FakeDesktop::Deliver(WindowId window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    return CallWindowProcedure(procedureOf.count(window) ? procedureOf[window] : kBaseProcedure, window, msg, wParam,
                               lParam);
}

int FakeDesktop::RegisterHotKey(WindowId, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) {
    log.push_back("register:" + std::to_string(id) + "," + std::to_string(modifiers) + "," + std::to_string(key));
    return registerFails ? 0 : 1;
}

int FakeDesktop::UnregisterHotKey(WindowId, std::int32_t id) {
    log.push_back("unregister:" + std::to_string(id));
    return unregisterFails ? 0 : 1;
}

std::int32_t FakeDesktop::AddGlobalAtom(const std::string& text) {
    log.push_back("atom-add:" + text);
    return atomFails ? 0 : nextAtom++;
}

void FakeDesktop::DeleteGlobalAtom(std::int32_t atom) { log.push_back("atom-delete:" + std::to_string(atom)); }

void FakeDesktop::NotifyIcon(std::uint32_t message, const platform::TrayIconRecord& record) {
    log.push_back(message == 0 ? "tray-add" : message == 2 ? "tray-delete" : "tray-" + std::to_string(message));
    trayRecords.push_back(record);
}

platform::RegistryRead FakeDesktop::ReadValue(std::uint32_t root, const std::string& key, const std::string& name,
                                              std::size_t bufferSize) {
    log.push_back("registry:" + key + "\\" + name);
    const auto found = registryValues.find(std::to_string(root) + "\\" + key + "\\" + name);
    platform::RegistryRead read;
    if (found == registryValues.end()) {
        read.openStatus = 2;  // ERROR_FILE_NOT_FOUND
        return read;
    }
    read = found->second;
    if (read.openStatus == 0 && read.queryStatus == 0 && read.data.size() > bufferSize) {
        read.queryStatus = 234;  // ERROR_MORE_DATA
        read.data.clear();
    }
    return read;
}

bool FakeDesktop::FileExists(const std::string& path) {
    log.push_back("exists:" + path);
    for (const auto& f : existingFiles)
        if (Lower(f) == Lower(path)) return true;
    return File(path) != nullptr;
}

void FakeDesktop::Start(const std::string& commandLine, const std::string& application, int windowStyle) {
    log.push_back("start:" + commandLine);
    if (startFails) throw Error("the system cannot find the file specified");
    started.push_back({commandLine, application, windowStyle});
    if (onStart) onStart(started.back());
}

bool FakeDesktop::FindOrdinaryFile(const std::string& path) {
    log.push_back("find:" + path);
    const auto* file = File(path);
    return file && !file->hidden;
}

void FakeDesktop::Delete(const std::string& path) {
    log.push_back("delete:" + path);
    if (!File(path) || Lower(path) == Lower(failDeleteOf)) throw Error("cannot delete " + path);
    files.erase(Lower(path));
}

std::unique_ptr<platform::TextFile> FakeDesktop::OpenForAppend(const std::string& path) {
    log.push_back("open:" + path);
    bool folderExists = false;
    for (const auto& f : folders) folderExists = folderExists || Lower(f) == Lower(FolderOf(path));
    if (!folderExists) throw Error("the path " + path + " does not exist");
    files[Lower(path)];  // created when absent
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

std::string FakeDesktop::GetSetting(const std::string& app, const std::string& section, const std::string& key,
                                    const std::string& fallback) {
    log.push_back("read:" + key);
    if (key == failReadAt) throw Error("the store cannot be read");
    const auto found = store.find(StoreKey(app, section, key));
    return found == store.end() ? fallback : found->second;
}

void FakeDesktop::SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                              const std::string& value) {
    log.push_back("save:" + key + "=" + value);
    if (key == failSaveAt) throw Error("the store cannot be written");
    store[StoreKey(app, section, key)] = value;
}

void FakeDesktop::Clear() {
    if (busyOpens > 0) {
        --busyOpens;
        throw ClipboardBusy();
    }
    log.push_back("clear");
    clipboard.clear();
    ++sequence;
}

std::string FakeDesktop::GetText() {
    if (busyOpens > 0) {
        --busyOpens;
        throw ClipboardBusy();
    }
    log.push_back("read-clipboard");
    return clipboard;
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
    RunDue();
}

WindowId FakeDesktop::ActivateByTitle(const std::string& title) {
    log.push_back("activate:" + title);
    std::vector<platform::WindowCandidate> candidates;
    for (const auto& w : windows) candidates.push_back({w.id, w.title, w.visible, w.ownProcess});
    const auto id = platform::ChooseWindowByTitle(candidates, title);
    if (!id) throw Error("no window is titled \"" + title + "\"");
    if (!Find(id)->refusesActivation) foreground = id;
    return id;
}

std::int16_t FakeDesktop::GetAsyncKeyState(int vk) {
    ++keyStateQueries;
    const auto found = heldUntil.find(vk);
    return found != heldUntil.end() && found->second > now ? static_cast<std::int16_t>(0x8000) : 0;
}

std::size_t FakeDesktop::SendInput(const std::vector<KeyEvent>& events) {
    log.push_back("keys");
    chords.push_back(events);
    const auto taken = std::min(events.size(), injectLimit);
    for (std::size_t i = 0; i < taken; ++i) Key(events[i]);
    return taken;
}

// A text box's answer to the keys: Home goes to the line's start, Shift+End
// selects to its end, Ctrl+C copies a non-empty selection (after the window's
// delay) and does nothing without one.
void FakeDesktop::Key(const KeyEvent& e) {
    if (e.vk == platform::kVkControl) ctrl_ = !e.up;
    if (e.vk == platform::kVkShift) shift_ = !e.up;
    if (e.vk == platform::kVkMenu) alt_ = !e.up;
    if (e.up) return;
    FakeWindow* w = Find(foreground);
    if (!w) return;
    if (e.vk == 0x24) {
        w->selection.clear();
    } else if (e.vk == 0x23 && shift_) {
        if (w->caretLine >= 0 && w->caretLine < static_cast<int>(w->lines.size()))
            w->selection = w->lines[static_cast<std::size_t>(w->caretLine)];
    } else if (e.vk == 'C' && ctrl_ && !shift_ && !alt_ && !w->selection.empty() && w->copyDelayMs >= 0) {
        const auto text = w->selection;
        At(now + w->copyDelayMs, [this, text] {
            clipboard = text;
            sequence += 2;  // emptied, then filled
        });
    }
}

int FakeDesktop::ShowMessageBox(const std::string& text, int style, const std::string& caption) {
    log.push_back("message:" + text);
    messages.push_back({text, style, caption});
    if (onMessage) onMessage(messages.back());
    return 1;
}

}  // namespace kestrel::fake
