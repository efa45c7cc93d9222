#include "fake/fake_desktop.h"

#include "platform/keys.h"

namespace kestrel::fake {

platform::Services FakeDesktop::Services() { return {this, this, this, this, this, this}; }

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
