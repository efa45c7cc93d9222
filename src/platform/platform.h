#pragma once
// The seam between Kestrel's portable code and the system it runs on. Each
// interface is named after what the code asks of the system; the Win32
// implementation lives in win32/, the scripted fake used by the native tests in
// tests/fake/. All text crossing the seam is UTF-8.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrel {

namespace forms {
class FormHost;
}

// A run-time error that travels to the nearest procedure that reports failures.
// what() is the description shown to the user.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Another process holds the clipboard open; worth retrying shortly.
class ClipboardBusy : public Error {
public:
    ClipboardBusy() : Error("the clipboard is in use by another program") {}
};

namespace platform {

using WindowId = std::uint64_t;  // 0 is no window

// Message-box styles used by the program.
inline constexpr int kMbOk = 0;               // application-modal, OK only
inline constexpr int kMbSystemModal = 0x1000; // system-modal, OK only

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Text under application, section and key; `fallback` when the key is absent.
    virtual std::string GetSetting(const std::string& app, const std::string& section,
                                   const std::string& key, const std::string& fallback) = 0;
    virtual void SaveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Both throw ClipboardBusy while another process has the clipboard open.
    virtual void Clear() = 0;
    virtual std::string GetText() = 0;  // empty when the clipboard holds no text
    // Changes whenever the clipboard's content changes.
    virtual std::uint32_t SequenceNumber() = 0;
};

class Messages {
public:
    virtual ~Messages() = default;
    // Processes every pending window message of this thread, then returns.
    virtual void DoEvents() = 0;
    // Sleeps until input or a message arrives or `ms` milliseconds pass, then
    // processes what is pending. Never busy-waits.
    virtual void WaitForEvents(int ms) = 0;
    // A monotonic clock in milliseconds.
    virtual std::int64_t NowMs() = 0;
};

class Windows {
public:
    virtual ~Windows() = default;
    // Brings the visible top-level window of another program with this title to
    // the front (see ChooseWindowByTitle) and returns it; throws Error when no
    // window qualifies. Does not wait for the window to become the foreground.
    virtual WindowId ActivateByTitle(const std::string& title) = 0;
    virtual WindowId ForegroundWindow() = 0;
};

struct KeyEvent {
    std::uint16_t vk = 0;
    bool up = false;
    bool extended = false;
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Non-zero while the key is down or if it was pressed since the last query.
    virtual std::int16_t GetAsyncKeyState(int vk) = 0;
    // Injects the events as one uninterruptible batch; returns how many went in.
    virtual std::size_t SendInput(const std::vector<KeyEvent>& events) = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Blocks until dismissed; returns the button pressed.
    virtual int ShowMessageBox(const std::string& text, int style, const std::string& caption) = 0;
};

class Programs {
public:
    virtual ~Programs() = default;
    // Starts `commandLine` with the given show-window style (2: minimised and
    // activated; 1: normal) and returns without waiting. `application` names
    // the program file so that nothing has to be guessed from the command
    // line; empty: the command line's first word. Throws Error on failure.
    virtual void Start(const std::string& commandLine, const std::string& application, int windowStyle) = 0;
};

// A text file open for appending, written in the system's ANSI code page.
class TextFile {
public:
    virtual ~TextFile() = default;
    // Writes the text and a CR LF; throws Error when it cannot be written.
    virtual void WriteLine(const std::string& text) = 0;
    virtual void Close() = 0;
};

class Files {
public:
    virtual ~Files() = default;
    // Whether an ordinary file (neither hidden, system nor a folder) matches `path`.
    virtual bool FindOrdinaryFile(const std::string& path) = 0;
    virtual void Delete(const std::string& path) = 0;  // throws Error
    // Creates the file when it does not exist; throws Error.
    virtual std::unique_ptr<TextFile> OpenForAppend(const std::string& path) = 0;
    // Whether any file matches the full path.
    virtual bool FileExists(const std::string& path) = 0;
};

// A window procedure as the portable code writes it.
using WindowProcedure = std::intptr_t (*)(WindowId window, std::uint32_t msg, std::uintptr_t wParam,
                                          std::intptr_t lParam);
inline constexpr std::uint32_t kWmHotKey = 0x312;

// Hotkeys, and the replacement of a window's procedure by one of the program's.
class HotKeys {
public:
    virtual ~HotKeys() = default;
    // Makes `procedure` the window's procedure and returns the previous one (an
    // address, 0 on failure). Only one procedure is installed at a time.
    virtual std::intptr_t SetWindowProcedure(WindowId window, WindowProcedure procedure) = 0;
    // Puts a procedure returned by SetWindowProcedure back.
    virtual void RestoreWindowProcedure(WindowId window, std::intptr_t previous) = 0;
    virtual std::intptr_t CallWindowProcedure(std::intptr_t previous, WindowId window, std::uint32_t msg,
                                              std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // RegisterHotKey and UnregisterHotKey: 1 for success, 0 for failure.
    virtual int RegisterHotKey(WindowId window, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) = 0;
    virtual int UnregisterHotKey(WindowId window, std::int32_t id) = 0;
    // Global atoms: 0 for failure.
    virtual std::int32_t AddGlobalAtom(const std::string& text) = 0;
    virtual void DeleteGlobalAtom(std::int32_t atom) = 0;
    // The local date and time in the user's locale form.
    virtual std::string LocalDateTimeText() = 0;
};

// What the notification-area icon is made of; the platform lays it out as the
// shell's first-version ANSI record.
struct TrayIconRecord {
    WindowId window = 0;
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = 0;
    std::uintptr_t icon = 0;
    std::string tip;  // up to 63 characters reach the shell
};

class Shell {
public:
    virtual ~Shell() = default;
    // Shell_NotifyIcon: 0 adds, 2 deletes; the result is of no use to the program.
    virtual void NotifyIcon(std::uint32_t message, const TrayIconRecord& record) = 0;
    virtual std::uintptr_t WindowIcon(WindowId window) = 0;
    // Off (or back on) the task list and Alt+Tab.
    virtual void SetTaskVisible(WindowId window, bool visible) = 0;
    virtual void SetForegroundWindow(WindowId window) = 0;
    // The message the shell broadcasts when it has recreated the notification area.
    virtual std::uint32_t TaskbarCreatedMessage() = 0;
    // The program's version numbers, from its version resource.
    struct Version {
        int major = 0, minor = 0, revision = 0;
    };
    virtual Version ApplicationVersion() = 0;
};

// A value read from the machine-wide registry, as the system returned it.
struct RegistryRead {
    long openStatus = 0;   // 0: the key was opened
    long queryStatus = 0;  // 0: the value was read
    std::uint32_t type = 0;
    std::string data;      // the bytes the system reported, REG_SZ in the ANSI code page
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens the key for reading only, reads the value into a buffer of
    // `bufferSize` bytes and closes the key again.
    virtual RegistryRead ReadValue(std::uint32_t root, const std::string& key, const std::string& name,
                                   std::size_t bufferSize) = 0;
    // Text in the system's ANSI code page, as UTF-8.
    virtual std::string FromAnsi(const std::string& bytes) = 0;
};

// The services the program uses, installed once at start-up (or by a test).
struct Services {
    SettingsStore* store = nullptr;
    Clipboard* clipboard = nullptr;
    Messages* messages = nullptr;
    Windows* windows = nullptr;
    Keyboard* keyboard = nullptr;
    Dialogs* dialogs = nullptr;
    forms::FormHost* forms = nullptr;
    Programs* programs = nullptr;
    Files* files = nullptr;
    HotKeys* hotkeys = nullptr;
    Shell* shell = nullptr;
    Registry* registry = nullptr;
};

Services& Current();
void Install(const Services& services);

// Installs services for a scope and puts the previous ones back afterwards.
class ScopedServices {
public:
    explicit ScopedServices(const Services& services);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services previous_;
};

// A top-level window as activation by title sees it.
struct WindowCandidate {
    WindowId id = 0;
    std::string title;
    bool visible = false;
    bool ownProcess = false;
};

// Only visible windows of other programs qualify. A title equal to `title`
// wins over one that merely begins with it; both comparisons ignore case, as
// users type titles by eye. Among equals the first in z-order wins. 0 if none.
WindowId ChooseWindowByTitle(const std::vector<WindowCandidate>& windows, const std::string& title);

}  // namespace platform
}  // namespace kestrel
