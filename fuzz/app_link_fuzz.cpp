// The captured value's way through the link: Grab copies it out of a source
// window, RunSearch puts it into the runner's command line, RunIndex writes
// the field's name into the script. Every platform service is a stub whose
// behaviour (delays, a busy clipboard, failures) the input chooses.
//
// Input: ten control bytes at the end (read last byte first; absent ones
// are 0, which means "no fault"), then texts from the front, each ended by a
// backslash and one more byte: source window title, document type, search
// field, the field's name, the window's selection, the caret's line, and a
// value set without a capture. The last control byte repeats the last three
// texts, so that command lines past the system's limit can be reached, or
// (from 0xF0 on) pads the selection and the set value so that the search's
// command line ends up just around that limit.

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "capture/text_capture.h"
#include "check.h"
#include "link/app_link.h"
#include "link/runner.h"
#include "platform/error.h"
#include "platform/keystrokes.h"
#include "settings/source_check.h"

namespace kestrel::fuzz {
namespace {

using platform::KeyEvent;
using platform::WindowId;

constexpr WindowId kOtherWindow = 3;
constexpr WindowId kSourceWindow = 7;
constexpr WindowId kResultWindow = 9;
constexpr std::int64_t kNever = -1;
// Every wait in a capture is bounded, and the bounds add up to about ten
// seconds; a press that takes longer hangs as far as the user can tell.
constexpr std::int64_t kHangMs = 15000;
const std::string kLeftOver = "left over on the clipboard";
// CreateProcess takes at most this many UTF-16 units, its terminator included.
constexpr std::size_t kCommandLineLimit = 32767;

enum Fault : std::uint8_t {
    kActivationFails = 1,  // no window has the source window's title
    kCreateFails = 2,      // the script cannot be created, as when read-only
    kStartFails = 4,       // the runner cannot be started
    kResultActivationFails = 8,
    kCopyNeverLands = 16,
};

enum Choice : std::uint8_t {
    kNoField = 1,
    kNoCapture = 2,  // the value is set directly, as if captured before
    kIndex = 4,
    kSaveNext = 8,
    kScriptExists = 16,
    kControlShift = 5,  // two bits: how the focused control answers (see kControls)
};

// What kind of window the source is: the capture's routes other than the
// asked control, each answering as the system may, garbage included.
enum Kind : std::uint8_t { kOrdinary, kConsole, kTerminal, kList };
enum KindBits : std::uint8_t {
    kKindMask = 3,
    kAnswerFails = 4,  // the console cannot be read, the list does not answer, the terminal copied nothing
    kTerminalShift = 3,  // two bits: which terminal (see kTerminalClasses)
    kNoSuchColumn = 32,  // the list has no column of the name asked
    kNothingChosen = 64,  // nothing is selected in the list
};
const char* const kTerminalClasses[] = {"CASCADIA_HOSTING_WINDOW_CLASS", "mintty", "PuTTY", "KiTTY"};

// The desktop, its clock, the source application and the file system, as
// the link's services see them.
class World : public platform::Clipboard,
              public platform::EventLoop,
              public platform::Desktop,
              public platform::Keyboard,
              public platform::MessageBoxes,
              public platform::Programs,
              public platform::Files,
              public platform::TextControls,
              public platform::Consoles,
              public platform::ListControls {
public:
    struct Start {
        std::string commandLine, application;
        platform::ShowAs show;
    };

    std::uint8_t faults = 0;
    std::int64_t now = 0;
    std::int64_t busyUntil = 0;
    std::int64_t frontDelay = 0;  // from activation until the window is in front; kNever
    std::int64_t modifiersUpAt = 0;
    std::int64_t copyDelay = 0;
    std::size_t cutChord = SIZE_MAX;  // the Send call that the system cuts short
    std::size_t failingWrite = SIZE_MAX;
    bool running = false;  // after the capture: activation is the runner's window's
    std::string title;     // the source window's, as configured
    platform::ControlText::Kind control = platform::ControlText::Kind::NotAnEdit;
    std::uint8_t kind = kOrdinary;
    WindowId clipboardOwner = 0;

    std::string clipboard = kLeftOver;
    std::uint32_t sequence = 1;
    std::string selection, line;
    WindowId foreground = kOtherWindow;
    std::int64_t frontAt = kNever;

    std::vector<platform::Chord> chords;
    std::vector<std::string> messages;
    std::vector<Start> starts;
    std::map<std::string, std::string> files;
    int openFiles = 0;

    void Tick(std::int64_t ms) {
        now += ms;
        if (now > kHangMs) Fail("the link waits without end", __FILE__, __LINE__);
        for (auto p = pending_.begin(); p != pending_.end();) {
            if (p->first > now) {
                ++p;
                continue;
            }
            clipboard = p->second;
            clipboardOwner = kSourceWindow;
            sequence += 2;  // emptied, then filled
            p = pending_.erase(p);
        }
    }

    // Clipboard
    void Clear() override {
        if (now < busyUntil) throw ClipboardBusy();
        clipboard.clear();
        clipboardOwner = 0;
        ++sequence;
    }
    std::string Text() override {
        if (now < busyUntil) throw ClipboardBusy();
        return clipboard;
    }
    void SetText(const std::string& text) override {
        if (now < busyUntil) throw ClipboardBusy();
        clipboard = text;
        clipboardOwner = 0;
        ++sequence;
    }
    std::uint32_t SequenceNumber() override { return sequence; }
    Copier CopiedBy(WindowId window) override {
        return clipboardOwner && clipboardOwner == window ? Copier::WindowsProgram : Copier::AnotherProgram;
    }
    // The source's console: its cursor's line, padded as a buffer pads it.
    platform::ConsoleText Read(WindowId window) override {
        FUZZ_CHECK(window == kSourceWindow);
        if ((kind & kKindMask) != kConsole) return {};
        if (kind & kAnswerFails) return {platform::ConsoleText::Kind::Unreadable, {}};
        return {platform::ConsoleText::Kind::CursorLine, {line + "    "}};
    }
    platform::WindowFacts Describe(WindowId window) override {
        FUZZ_CHECK(window == kSourceWindow);
        if ((kind & kKindMask) != kTerminal) return {};
        return {title, kTerminalClasses[(kind >> kTerminalShift) & 3], "terminal.exe"};
    }
    std::vector<platform::ControlFacts> FocusPath(WindowId window) override {
        const auto facts = Describe(window);
        return {{window, facts.className, facts.program}};
    }
    // No source here takes its value from a field.
    std::vector<platform::ChildWindow> Descendants(WindowId) override { return {}; }
    platform::ListText ReadList(WindowId, platform::ControlKind, const std::string&) override { return {}; }
    platform::ControlText ReadWhole(WindowId, platform::ControlKind) override { return {}; }
    platform::ListText ReadFocused(WindowId window, const std::string&, const platform::ControlClasses&) override {
        using Kind = platform::ListText::Kind;
        FUZZ_CHECK(window == kSourceWindow);
        if ((kind & kKindMask) != kList) return {};
        const auto control = platform::ListText::Control::ListView;
        if (kind & kAnswerFails) {
            Tick(1000);
            return {Kind::NoAnswer, control, {}};
        }
        if (kind & kNoSuchColumn) return {Kind::NoSuchColumn, control, {}};
        if (kind & kNothingChosen) return {Kind::NothingSelected, control, {}};
        return {Kind::Text, control, selection.empty() ? line : selection};
    }

    // EventLoop
    void DoEvents() override { Tick(0); }
    void WaitForEvents(int ms) override {
        FUZZ_CHECK(ms > 0);
        Tick(ms);
    }
    std::int64_t NowMs() override { return now; }
    std::int64_t Today() override { return 20431; }

    // Desktop
    // Only the source window (or, once the runner runs, its window) is
    // there to be found, under its configured title.
    std::vector<platform::WindowCandidate> TopLevelWindows() override {
        if (running) {
            if (faults & kResultActivationFails) return {};
            return {{kResultWindow, runner::kResultWindow, true, false}};
        }
        if (faults & kActivationFails) return {};
        // An untitled source takes the window in front, checked as every window is.
        return {{kSourceWindow, title.empty() ? std::string("Fuzzed program") : title, true, false}};
    }
    void Activate(WindowId window) override {
        if (running) {
            FUZZ_CHECK(window == kResultWindow);
            return;
        }
        FUZZ_CHECK(window == kSourceWindow);
        if (frontDelay != kNever) frontAt = now + frontDelay;
    }
    WindowId ForegroundWindow() override {
        if (frontAt != kNever && now >= frontAt) foreground = kSourceWindow;
        return foreground;
    }
    bool IsInFront(WindowId window) override { return ForegroundWindow() == window; }
    bool WaitUntilAnswered(WindowId, int boundMs) override {
        FUZZ_CHECK(boundMs > 0);
        return true;
    }
    void BringToFront(WindowId) override {}
    void HideFromTaskList(WindowId) override {}

    // Keyboard: the source window answers the keys as a text box would.
    bool IsDown(platform::KeyCode key) override {
        FUZZ_CHECK(key == platform::kKeyControl || key == platform::kKeyShift || key == platform::kKeyAlt);
        return now < modifiersUpAt;
    }
    std::size_t Send(const std::vector<KeyEvent>& events) override {
        FUZZ_CHECK(!running);
        // Typed while the user holds a modifier, Ctrl+C would arrive as another chord.
        FUZZ_CHECK(now >= modifiersUpAt);
        // Keys meant for the source window must not go to another one.
        if (!title.empty()) FUZZ_CHECK(ForegroundWindow() == kSourceWindow);
        chords.push_back(events);
        const auto taken = chords.size() - 1 == cutChord ? events.size() / 2 : events.size();
        for (std::size_t i = 0; i < taken; ++i) Key(events[i]);
        return taken;
    }

    // MessageBoxes
    void Show(const std::string& text, const std::string& caption, platform::Modality) override {
        FUZZ_CHECK(caption == "Kestrel");
        messages.push_back(text);
    }
    void BringOpenBoxToFront() override {}

    // Programs
    std::uint32_t Start(const std::string& commandLine, const std::string& application,
                        platform::ShowAs show) override {
        FUZZ_CHECK(running);
        if (faults & kStartFails) throw Error("cannot start");
        starts.push_back({commandLine, application, show});
        return static_cast<std::uint32_t>(starts.size());
    }
    platform::Version OwnVersion() override { return {}; }

    // Files
    std::unique_ptr<platform::TextFile> Create(const std::string& path) override {
        if (faults & kCreateFails) throw Error("cannot create");
        return std::make_unique<File>(*this, path);
    }
    bool Exists(const std::string& path) override { return files.count(path) != 0; }

    // TextControls: an edit control answers what a copy would give.
    platform::ControlText ReadFocused(WindowId window, const platform::ControlClasses&) override {
        FUZZ_CHECK(!running);
        // The control asked is the one the keys would have gone to.
        FUZZ_CHECK(window == kSourceWindow);
        platform::ControlText answer;
        answer.kind = control;
        if (control == platform::ControlText::Kind::Text) answer.text = selection.empty() ? line : selection;
        if (control == platform::ControlText::Kind::NoAnswer) Tick(1000);
        return answer;
    }

private:
    class File : public platform::TextFile {
    public:
        File(World& world, std::string path) : world_(world), path_(std::move(path)) {
            ++world_.openFiles;
            world_.files[path_].clear();
        }
        ~File() override {
            if (!closed_) --world_.openFiles;  // a handle is closed with its object
        }
        void WriteLine(const std::string& text) override {
            FUZZ_CHECK(!closed_);
            if (writes_++ == world_.failingWrite) throw Error("disk full");
            world_.files[path_] += text + "\r\n";
        }
        void Close() override {
            FUZZ_CHECK(!closed_);
            closed_ = true;
            --world_.openFiles;
        }

    private:
        World& world_;
        std::string path_;
        std::size_t writes_ = 0;
        bool closed_ = false;
    };

    void Key(const KeyEvent& e) {
        if (e.key == platform::kKeyControl) ctrl_ = !e.up;
        if (e.key == platform::kKeyShift) shift_ = !e.up;
        if (e.key == platform::kKeyAlt) alt_ = !e.up;
        if (e.up) return;
        if (e.key == platform::kKeyHome) selection.clear();
        if (e.key == platform::kKeyEnd && shift_) selection = line;
        // A copy of nothing changes nothing, as on Windows.
        if (e.key == 'C' && ctrl_ && !shift_ && !alt_ && !selection.empty() && !(faults & kCopyNeverLands))
            pending_.emplace_back(now + copyDelay, selection);
    }

    bool ctrl_ = false, shift_ = false, alt_ = false;
    std::vector<std::pair<std::int64_t, std::string>> pending_;
};

constexpr platform::ControlText::Kind kControls[] = {
    platform::ControlText::Kind::NotAnEdit, platform::ControlText::Kind::Text,
    platform::ControlText::Kind::Password, platform::ControlText::Kind::NoAnswer};

// A console row as a copy gives it: without the blanks that pad it.
std::string Unpadded(std::string row) {
    while (!row.empty() && (row.back() == ' ' || row.back() == '\0')) row.pop_back();
    return row;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// The UTF-16 units a valid UTF-8 text widens to; nullopt for invalid UTF-8,
// which the system's texts never are.
std::optional<std::size_t> Utf16Units(const std::string& text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                                 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return std::nullopt;
        std::uint32_t point = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            point = point << 6 | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return std::nullopt;
        units += point >= 0x10000 ? 2 : 1;
        i += length;
    }
    return units;
}

std::string ExpectedScript(const std::string& fieldName, bool saveNext) {
    std::string quoted;
    for (char c : fieldName) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return "Sub main()\r\nIndex.Field(\"" + quoted + "\") = Clipboard\r\ndoevents\r\n" +
           (saveNext ? "Index.Save\r\nIndex.nextdocument\r\n" : "") + "Index.setfocuson 1\r\nEnd Sub\r\n\r\n\r\n";
}

}  // namespace
}  // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    FuzzedDataProvider data(bytes, size);
    World world;
    const auto choices = data.ConsumeIntegral<std::uint8_t>();
    world.faults = data.ConsumeIntegral<std::uint8_t>();
    world.busyUntil = data.ConsumeIntegral<std::uint8_t>() * 10;
    const auto front = data.ConsumeIntegral<std::uint8_t>();
    world.frontDelay = front == 255 ? kNever : front * 10;
    world.modifiersUpAt = data.ConsumeIntegral<std::uint8_t>() * 40;
    world.copyDelay = data.ConsumeIntegral<std::uint8_t>() * 10;
    const auto cut = data.ConsumeIntegral<std::uint8_t>();
    if (cut) world.cutChord = cut - 1u;
    const auto failingWrite = data.ConsumeIntegral<std::uint8_t>();
    if (failingWrite) world.failingWrite = failingWrite - 1u;
    const auto sizing = data.ConsumeIntegral<std::uint8_t>();
    world.kind = data.ConsumeIntegral<std::uint8_t>();
    const auto repeat = sizing >= 0xF0 ? 1 : std::max(1, sizing % 65);

    Settings settings;
    auto& first = settings.sources[0];
    first.window = Text(data, 64);
    first.documentType = Text(data);
    first.searchField = Text(data);
    settings.saveNext = choices & kSaveNext;
    const auto fieldName = Text(data);
    world.selection = Repeat(Text(data), repeat);
    world.line = Repeat(Text(data), repeat);
    auto presetValue = Repeat(Text(data), repeat);
    if (sizing >= 0xF0) {
        const auto fixed = Utf16Units(runner::SearchCommandLine(first.documentType, first.searchField, ""));
        const auto wanted = static_cast<std::size_t>(kCommandLineLimit + sizing - 0xF8);
        const auto pad = [&](std::string& text) {
            const auto units = Utf16Units(text);
            if (fixed && units && *fixed + *units < wanted) text.append(wanted - *fixed - *units, 'x');
        };
        pad(world.selection);
        pad(presetValue);
    }
    world.title = first.window;
    // With no title the keys go to whatever is in front: the source window.
    if (world.title.empty()) world.foreground = kSourceWindow;
    const auto script = runner::ScriptFile();
    if (choices & kScriptExists) world.files[script] = "an old script\r\n";
    const auto filesBefore = world.files;

    world.control = kControls[(choices >> kControlShift) & 3];
    TextCapture capture({world, world, world, world, world, world, world, world});
    // A terminal's copy of its selection, made after the program started.
    const bool terminal = (world.kind & kKindMask) == kTerminal;
    if (terminal && !(world.kind & kAnswerFails)) {
        world.clipboard = world.selection;
        world.clipboardOwner = kSourceWindow;
        world.sequence += 2;
    }
    AppLink link(settings, capture, {world, world, world, world, world});
    const bool hasField = !(choices & kNoField);
    if (hasField) link.SetField({fieldName, (choices & kNoCapture) ? presetValue : std::string()});

    if (!(choices & kNoCapture)) {
        const auto selection = world.selection;
        const auto clipboardBefore = world.clipboard;
        try {
            link.Grab();
            FUZZ_CHECK(hasField);
        } catch (const Error&) {
            // Without a field nothing is captured at all.
            FUZZ_CHECK(!hasField);
            FUZZ_CHECK(world.chords.empty() && world.messages.empty() && world.clipboard == clipboardBefore);
            FUZZ_CHECK(world.now == 0);
        }
        if (hasField) {
            const auto& value = link.field()->value;
            FUZZ_CHECK(world.messages.size() <= 1);
            if (world.messages.empty()) {
                // What the copy left on the clipboard, and it stays there; never
                // what was there before the capture.
                FUZZ_CHECK(value == world.clipboard);
                FUZZ_CHECK(value.empty() || value == selection || value == world.line || value == Unpadded(world.line));
            } else {
                FUZZ_CHECK(value.empty());
            }
            // An edit control's answer is taken as it is, with no key typed into it.
            const bool answered = world.control == platform::ControlText::Kind::Text ||
                                  world.control == platform::ControlText::Kind::Password;
            // A console, a terminal or a list never gets a key, whatever it answers.
            if ((world.kind & kKindMask) != kOrdinary) FUZZ_CHECK(world.chords.empty());
            // A terminal's value is its own copy, made since the start.
            if (terminal && !answered && world.messages.empty())
                FUZZ_CHECK(!(world.kind & kAnswerFails) && value == selection);
            const auto meant = world.control == platform::ControlText::Kind::Password ? std::string()
                               : selection.empty()                                   ? world.line
                                                                                     : selection;
            if (answered && world.messages.empty()) {
                FUZZ_CHECK(world.chords.empty());
                FUZZ_CHECK(value == meant);
            }
            // Nothing in the way: the selection, or without one the caret's line.
            // A type or field the search cannot carry is said, and nothing taken.
            const bool searchable = !SearchTextsProblem(first);
            if (!searchable) FUZZ_CHECK(world.chords.empty() && value.empty() && !world.messages.empty());
            const bool reached = searchable && world.busyUntil == 0 && !(world.faults & kActivationFails) &&
                                 world.frontDelay != kNever && world.frontDelay <= 500;
            const bool copied = !(world.faults & kCopyNeverLands) && world.modifiersUpAt <= 4000 &&
                                world.copyDelay <= 400 && world.cutChord == SIZE_MAX;
            if (reached && (answered || (copied && (world.kind & kKindMask) == kOrdinary))) {
                FUZZ_CHECK(world.messages.empty());
                FUZZ_CHECK(value == meant);
            }
        }
    }

    const auto messagesBefore = world.messages.size();
    const bool hasValue = hasField && !link.field()->value.empty();
    const auto value = hasValue ? link.field()->value : std::string();
    const bool index = choices & kIndex;
    world.running = true;
    link.SetProcedure(index ? AppLink::Procedure::Index : AppLink::Procedure::Search);
    try {
        link.Run();
    } catch (...) {
        Fail("a run passed an error on", __FILE__, __LINE__);
    }
    FUZZ_CHECK(world.openFiles == 0);
    if (!hasValue) {
        FUZZ_CHECK(world.messages.size() == messagesBefore + 1);
        FUZZ_CHECK(world.messages.back() == "Error grabbing data from source window.");
        FUZZ_CHECK(world.starts.empty() && world.files == filesBefore);
        return 0;
    }
    // A failed step is said once, naming the file and the reason.
    const auto saidOnce = [&](const std::string& file, const char* reason) {
        FUZZ_CHECK(world.messages.size() == messagesBefore + 1);
        FUZZ_CHECK(world.messages.back().find(file) != std::string::npos);
        if (reason) FUZZ_CHECK(world.messages.back().find(reason) != std::string::npos);
    };
    if (index) {
        const std::size_t lines = settings.saveNext ? 9 : 7;
        // A capture makes the field its source's search field.
        const auto& scriptField = (choices & kNoCapture) ? fieldName : first.searchField;
        const bool lineBreak = scriptField.find_first_of("\r\n") != std::string::npos;
        const char* reason = world.faults & kCreateFails     ? "cannot create"
                             : lineBreak && world.failingWrite >= 1 ? "line break"
                             : world.failingWrite < lines ? "disk full"
                                                          : nullptr;
        if (reason) {
            // A script that could not be written whole starts nothing.
            FUZZ_CHECK(world.starts.empty());
            saidOnce(script, reason);
            return 0;
        }
        // The script takes the value from the clipboard: the file holds the
        // field's name and never the value, and nothing of an old script.
        FUZZ_CHECK(world.files.size() == 1);
        FUZZ_CHECK(world.files[script] == ExpectedScript(scriptField, settings.saveNext));
    } else {
        FUZZ_CHECK(world.files == filesBefore);
    }

    const auto line = index ? runner::IndexCommandLine()
                            : runner::SearchCommandLine(first.documentType, first.searchField, value);
    const auto units = Utf16Units(line);
    const bool fits = units && *units < kCommandLineLimit;
    if (world.starts.empty()) {
        FUZZ_CHECK((world.faults & kStartFails) || !fits);
        saidOnce(runner::Program(), (world.faults & kStartFails) && fits ? "cannot start" : nullptr);
        return 0;
    }
    FUZZ_CHECK(!units || fits);
    FUZZ_CHECK(world.messages.size() == messagesBefore);  // a runner window not there yet is no error
    FUZZ_CHECK(world.starts.size() == 1);
    const auto& start = world.starts[0];
    FUZZ_CHECK(start.application == runner::Program());
    FUZZ_CHECK(start.show == runner::kShowAs);
    FUZZ_CHECK(StartsWith(start.commandLine, "\"" + runner::Program() + "\" "));
    if (index) {
        FUZZ_CHECK(start.commandLine == line);
    } else {
        // The captured value reaches the runner exactly as captured.
        FUZZ_CHECK(EndsWith(start.commandLine, "='" + value + "'"));
    }
    return 0;
}
