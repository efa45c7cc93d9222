#pragma once
// A scripted desktop behind the seam for the native tests: windows with text,
// a clipboard, a keyboard held by the user, a settings store and message boxes
// nobody has to dismiss. Time is virtual and moves only when the code under
// test waits. Everything the code asks for is recorded in `log`, and the fake
// fails the way Windows fails: a busy clipboard, a copy that lands late or
// never, an activation refused.

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake/fake_field_picker.h"
#include "platform/error.h"
#include "platform/keystrokes.h"
#include "platform/services.h"

namespace kestrel::fake {

using platform::KeyEvent;
using platform::WindowId;

// What kind of control has the focus in a window: one that only keys reach,
// an edit control that answers, a password box, or one that never answers.
enum class FocusedControl { KeysOnly, Edit, Password, Silent };

struct FakeWindow {
    WindowId id = 0;
    std::string title;
    bool visible = true;
    bool ownProcess = false;
    bool refusesActivation = false;
    bool cloaked = false, shell = false;
    // Its program runs as administrator and drops the keys typed into it.
    bool higherRights = false;
    // The text box the window shows: its lines, the caret's line and what is selected.
    std::vector<std::string> lines;
    int caretLine = 0;
    std::string selection;
    // How long after Ctrl+C the copy reaches the clipboard; negative: never.
    int copyDelayMs = 0;
    // How long the window's thread is busy after Ctrl+C, answering nothing
    // (as a program in a long computation); the copy's delay runs after that.
    // A copy delayed with the thread idle is a remote desktop's.
    int busyMs = 0;
    std::int64_t busyUntil = 0;
    // Its thread takes a message sent to it before its queued input, as
    // Windows has it: the key events wait in its queue, each probe (two
    // answers) lets one of them through, and once time passes with nobody
    // asking, it takes them all.
    bool inputAfterAnswers = false;
    FocusedControl control = FocusedControl::KeysOnly;
    // Its window class (a terminal emulator's, see the terminal table) and program.
    std::string className;
    std::string program;
    // The focused control and the windows it lies in, below this one (a
    // terminal hosted in another program's window).
    std::vector<platform::ControlFacts> focusPath = {};
    // Its program's copies land with no owner window (it opens the clipboard without one).
    bool copiesWithoutOwner = false;
    // A console's window: the rows of its buffer as the buffer pads them, the
    // cursor's row and a selected block (its rows cut to its columns).
    struct Console {
        std::vector<std::string> rows;
        int cursorRow = 0;
        std::vector<std::string> selection;
        bool unreadable = false;
    };
    std::optional<Console> console;
    // One of the system's list controls with the focus: its rows' cells, the
    // list view's headers, the selected rows and the focused one.
    struct List {
        platform::ListText::Control control = platform::ListText::Control::ListView;
        std::vector<std::vector<std::string>> rows;
        std::vector<std::string> headers;
        std::set<int> selected;
        int focused = -1;
        bool silent = false;  // never answers, as a hung program's
        // The answer of a list that cannot be read: Refused, NoText, TooLong or
        // Unreachable, as the system's lists fail.
        std::optional<platform::ListText::Kind> fails = {};
    };
    std::optional<List> list;
    // The controls inside it, in the system's order, for sources that name
    // one: each with its whole text, or a list; `control` says whether it
    // answers (Edit), is a password box or never answers.
    struct Child {
        platform::ChildWindow window;
        std::string text;
        FocusedControl control = FocusedControl::Edit;
        std::optional<List> list = {};
    };
    std::vector<Child> children;
    // Keys that reached the program in a console, terminal or list, and of
    // them the Ctrl+C taken for an interrupt.
    int programKeys = 0;
    int interrupts = 0;
    // A modal dialog of the program this window belongs to, shown over it; 0: none.
    WindowId dialog = 0;
    WindowId dialogOf = 0;  // for a dialog: the window it was shown over
};

struct ShownMessage {
    std::string text;
    platform::Modality modality = platform::Modality::Application;
    std::string caption;
};

struct StartedProgram {
    std::string commandLine;
    std::string application;
    platform::ShowAs show = platform::ShowAs::Normal;
};

struct FakeFile {
    std::string content;  // bytes as written, CR LF included
    bool hidden = false;
    bool readOnly = false;
};

class FakeDesktop final : public platform::SettingsStore,
                          public platform::Programs,
                          public platform::HotKeys,
                          public platform::NotificationArea,
                          public platform::Registry,
                          public platform::Files,
                          public platform::Clipboard,
                          public platform::EventLoop,
                          public platform::Desktop,
                          public platform::Keyboard,
                          public platform::MessageBoxes,
                          public platform::Timers,
                          public platform::Instances,
                          public platform::TextControls,
                          public platform::ListControls,
                          public platform::Consoles,
                          public platform::LogFile,
                          public platform::Policy,
                          public platform::SettingsChanges {
public:
    // Every service but the forms, which a test brings.
    platform::Services Services(forms::FormHost& forms);

    // The record of what the code asked for, in order ("clear", "activate:T",
    // "keys", "read-clipboard", "message:T", "read:Key", "save:Key=Value",
    // a key of a section but "Settings" as "Source2\\Key", "remove:Source2").
    std::vector<std::string> log;
    std::vector<platform::Chord> chords;  // every SendInput batch
    std::vector<ShownMessage> messages;

    // Policy values by name, "Source2\\AppName" for a section's (machine and
    // user policy already merged), and one that cannot be read.
    std::map<std::string, std::string> policy;
    std::set<std::string> userPolicy;  // of those, the ones the user's policy sets, not the machine's
    std::string failPolicyAt;
    static std::string PolicyKey(const std::string& section, const std::string& name) {
        return section.empty() ? name : section + "\\" + name;
    }
    bool MachineSets(const std::string& section, const std::string& name) override {
        return !userPolicy.count(PolicyKey(section, name));
    }
    std::optional<std::string> Read(const std::string& section, const std::string& name) override {
        const auto key = PolicyKey(section, name);
        if (key == failPolicyAt) throw Error("the policy cannot be read");
        const auto found = policy.find(key);
        return found == policy.end() ? std::nullopt : std::optional<std::string>(found->second);
    }

    // Settings store, by "app\section\key".
    std::map<std::string, std::string> store;
    std::string failReadAt, failSaveAt;  // a key (or for a removal, a section) whose access fails
    // Writes and removals so far; the one of number `failingWrite` (1-based) fails, as a full or
    // locked store would, and the others go through.
    int writes = 0, failingWrite = 0;
    static std::string StoreKey(const std::string& app, const std::string& section, const std::string& key) {
        return app + "\\" + section + "\\" + key;
    }
    static std::string LoggedKey(const std::string& section, const std::string& key) {
        return section == "Settings" ? key : section + "\\" + key;
    }

    // Clipboard.
    std::string clipboard;
    std::uint32_t sequence = 1;
    // The window whose program put the text there; 0: this program; kNoOwner: a program without a window.
    WindowId clipboardOwner = 0;
    static constexpr WindowId kNoOwner = ~WindowId{0};
    // The user selects `text` in a terminal that copies as they select.
    void CopiedAsSelected(WindowId window, const std::string& text);
    int busyOpens = 0;  // this many next opens fail as if another program held it

    // Time.
    std::int64_t now = 1000;
    std::int64_t today = 20431;  // 2025-12-09, as days since 1970
    void At(std::int64_t time, std::function<void()> action) { scheduled_.push_back({time, std::move(action)}); }

    // Windows.
    std::vector<FakeWindow> windows;
    WindowId foreground = 0;
    FakeWindow& AddWindow(const std::string& title, std::vector<std::string> lines = {});
    FakeWindow* Find(WindowId id);
    const FakeWindow::Child* FindChild(WindowId id) const;
    platform::ListText Answer(const FakeWindow::List& list, const std::string& column);

    // Keyboard: a key the user holds down until the given time.
    std::map<int, std::int64_t> heldUntil;
    std::size_t injectLimit = std::numeric_limits<std::size_t>::max();  // events taken per batch
    int keyStateQueries = 0;

    // Programs: every start, and whether starting fails (as for a missing program).
    std::vector<StartedProgram> started;
    bool startFails = false;
    // Called after a start, e.g. to open the started program's window.
    std::function<void(const StartedProgram&)> onStart;

    // Files, by path compared without case, and folders that exist.
    std::map<std::string, FakeFile> files;
    std::vector<std::string> folders;
    int failWriteAtLine = -1;  // the 1-based line whose write fails
    int openFiles = 0;
    FakeFile* File(const std::string& path);

    // Hotkey presses reach the listener of the window they were registered for.
    bool hookFails = false;
    std::map<WindowId, std::function<void()>> listeners;
    // A press of the hotkey, as the system delivers it; false when nobody listens.
    bool PressHotKey(WindowId window);

    // Hotkeys and atoms.
    bool registerFails = false, unregisterFails = false;
    std::int32_t nextAtom = 0xC001;
    bool atomFails = false;

    // The notification area: the icons shown, by owner, and whether the
    // program is on the task list.
    struct TrayIconShown {
        WindowId owner = 0;
        std::string tip;
        platform::NotificationArea::Events events;
        bool shown = false;  // the shell took it
    };
    std::map<WindowId, TrayIconShown> trayIcons;
    int trayRefusals = 0;  // this many next attempts are refused, as by a shell still starting
    bool taskVisible = true;
    // The user right-clicks the owner's icon; false when it is not shown.
    bool RightClickTrayIcon(WindowId owner);
    // Explorer restarts: every icon is gone and its owner is told.
    void RecreateNotificationArea();

    // Timers, by id; each tick is scheduled on the virtual clock.
    std::map<platform::Timers::Id, int> timers;  // interval of each running timer

    // Another program of the session is running already; the requests made
    // by later starts reach the listener.
    bool anotherInstance = false;
    std::function<void()> settingsWanted;

    // Machine-wide registry values by "key\\name"; an absent entry cannot be read.
    std::map<std::string, platform::RegistryRead> registryValues;
    platform::Version version{1, 0, 14};
    std::vector<std::string> existingFiles;  // for FileExists, compared without case

    // The help desk's log, line by line; while `logFails`, nothing is written.
    std::vector<std::string> logLines;
    bool logFails = false;
    bool Append(const std::string& line) override {
        if (logFails) return false;
        logLines.push_back(line);
        return true;
    }

    // Who hears that the settings may have changed, and the change heard, as
    // the window's messages would deliver it; false when nobody listens.
    WindowId settingsChangesWindow = 0;
    std::function<void()> settingsChanged;
    bool SettingsChanged() {
        if (!settingsChanged) return false;
        auto heard = settingsChanged;  // the handler may listen anew
        heard();
        return true;
    }

    // Called when a message box is shown, while it is "open".
    std::function<void(const ShownMessage&)> onMessage;

    // The seam.
    std::string Read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override;
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& value) override;
    void RemoveSection(const std::string& app, const std::string& section) override;
    void Clear() override;
    std::string Text() override;
    void SetText(const std::string& text) override;
    platform::ControlText ReadFocused(WindowId window, const platform::ControlClasses& classes) override;
    platform::ListText ReadFocused(WindowId window, const std::string& column,
                                   const platform::ControlClasses& classes) override;
    std::uint32_t SequenceNumber() override { return sequence; }
    Copier CopiedBy(WindowId window) override;
    std::vector<platform::ControlFacts> FocusPath(WindowId window) override;
    std::vector<platform::ChildWindow> Descendants(WindowId window) override;
    platform::ControlText ReadWhole(WindowId control, platform::ControlKind kind) override;
    platform::ListText ReadList(WindowId control, platform::ControlKind kind, const std::string& column) override;
    platform::WindowFacts Describe(WindowId window) override;
    platform::ConsoleText Read(WindowId window) override;
    void DoEvents() override;
    void WaitForEvents(int ms) override;
    std::int64_t NowMs() override { return now; }
    std::int64_t Today() override { return today; }
    std::vector<platform::WindowCandidate> TopLevelWindows() override;
    void Activate(WindowId window) override;
    WindowId ForegroundWindow() override { return foreground; }
    void BringToFront(WindowId window) override {
        log.push_back("foreground:" + std::to_string(window));
        foreground = window;
    }
    void HideFromTaskList(WindowId) override { taskVisible = false; }
    bool WaitUntilAnswered(WindowId window, int boundMs) override;
    bool IsInFront(WindowId window) override;
    bool IsDown(platform::KeyCode key) override;
    std::size_t Send(const std::vector<KeyEvent>& events) override;
    void Show(const std::string& text, const std::string& caption, platform::Modality modality) override;
    void BringOpenBoxToFront() override { log.push_back("raise-message-box"); }
    Id Start(int intervalMs, std::function<void()> onTick) override;
    void Stop(Id timer) override;
    bool ClaimSession() override {
        log.push_back("claim-session");
        return !anotherInstance;
    }
    void ListenForLaterStarts(WindowId, std::function<void()> onSettingsWanted) override {
        settingsWanted = std::move(onSettingsWanted);
    }
    void Listen(WindowId window, std::function<void()> onPress) override;
    void Listen(WindowId window, const std::string&, std::function<void()> onChanged) override {
        settingsChangesWindow = window;
        settingsChanged = std::move(onChanged);
    }
    void StopListening(WindowId window) override;
    bool Register(WindowId window, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) override;
    bool Unregister(WindowId window, std::int32_t id) override;
    std::int32_t AddGlobalAtom(const std::string& text) override;
    void DeleteGlobalAtom(std::int32_t atom) override;
    std::string LocalDateTimeText() override { return "07/12/2026 13:10:00"; }
    bool Add(WindowId owner, const std::string& tip, platform::NotificationArea::Events events) override;
    bool Show(WindowId owner) override;
    void Remove(WindowId owner) override;
    platform::Version OwnVersion() override { return version; }
    platform::RegistryRead ReadValue(platform::RegistryRoot root, const std::string& key, const std::string& name,
                                     std::size_t bufferSize) override;
    std::string FromAnsi(const std::string& bytes) override { return bytes; }
    bool Exists(const std::string& path) override;
    std::uint32_t Start(const std::string& commandLine, const std::string& application, platform::ShowAs show) override;
    std::unique_ptr<platform::TextFile> Create(const std::string& path) override;

    FakeFieldPicker picker;

private:
    void OpenClipboard();  // throws ClipboardBusy while busyOpens lasts
    void RunDue();
    void Key(const KeyEvent& e);
    void TakeQueuedInput(std::size_t events);
    std::vector<KeyEvent> queuedInput_;  // for a window whose input comes after its answers
    struct Scheduled {
        std::int64_t time;
        std::function<void()> action;
    };
    std::vector<Scheduled> scheduled_;
    int linesWritten_ = 0;
    friend class FakeTextFile;
    bool ctrl_ = false, shift_ = false, alt_ = false;
    WindowId nextId_ = 100;
    platform::Timers::Id nextTimer_ = 1;
    void ScheduleTick(platform::Timers::Id timer, std::function<void()> onTick);
};

}  // namespace kestrel::fake
