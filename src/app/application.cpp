#include "app/application.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "capture/value_from.h"
#include "platform/app_title.h"
#include "platform/control_classes.h"
#include "platform/error.h"
#include "settings/hotkey_names.h"
#include "settings/source_check.h"
#include "settings/store_text.h"

namespace kestrel {
namespace {

// The services with the message boxes that write to the log.
platform::Services WithBoxes(const platform::Services& s, platform::MessageBoxes& boxes) {
    return {s.store,     s.clipboard,        s.events,   s.desktop, s.keyboard,  boxes,
            s.forms,     s.programs,         s.files,    s.hotKeys, s.notificationArea,
            s.registry,  s.timers,           s.instances, s.textControls, s.listControls, s.consoles, s.policy, s.logFile,
            s.settingsChanges, s.fieldPicker};
}

// Characters, not bytes: what the user would count.
std::size_t Characters(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// What the keys route learned of programs' copies, in a section of its own,
// so that the first press after a start is served as well as the rest. Stored
// at most this often while presses go on, and when the program ends.
constexpr const char* kCopyTimesSection = "CopyTimes";
constexpr std::int64_t kCopyTimesStoreMs = 60000;

// Set while something runs that a reload must wait for, however it ends.
class Holding {
public:
    explicit Holding(bool& flag) : flag_(flag) { flag_ = true; }
    ~Holding() { flag_ = false; }
    Holding(const Holding&) = delete;
    Holding& operator=(const Holding&) = delete;

private:
    bool& flag_;
};

}  // namespace

Application::Application(platform::Services services)
    : log_(services.logFile),
      boxes_(services.messageBoxes, log_),
      s_(WithBoxes(services, boxes_)),
      capture_({s_.clipboard, s_.events, s_.desktop, s_.keyboard, s_.messageBoxes, s_.textControls, s_.consoles, s_.listControls}),
      link_(settings_, capture_, {s_.programs, s_.files, s_.desktop, s_.events, s_.messageBoxes}),
      aboutBox_({s_.forms, s_.programs, s_.registry, s_.files, s_.messageBoxes}),
      mainWindow_(s_.forms, s_.messageBoxes, s_.desktop,
                  {[this] { Load(); }, [this] { OpenSettings(); }, [this] { aboutBox_.Show(); }, [this] { Exit(); },
                   [this] { Unloading(); }}),
      picking_{s_.fieldPicker, s_.desktop,
               [this](std::int16_t key, std::int16_t shift, std::function<void()> onPress) {
                   return LendHotKey(key, shift, std::move(onPress));
               },
               [this](platform::WindowId control, platform::ControlKind kind, const std::string& column) {
                   return ReadField(control, kind, column);
               }} {}

void Application::Start() {
    // The administrator may turn the log off; a policy that cannot be read leaves it on.
    try {
        const auto wanted = s_.policy.Read("", setting::kLog);
        log_.SetEnabled(!wanted || ParseBool(*wanted).value_or(true));
    } catch (const std::exception&) {
    }
    // One program per session: a second start has asked the first for its
    // Settings and ends without a word.
    if (!s_.instances.ClaimSession()) {
        log_.Write("second start: Kestrel runs already in this session and was asked for its Settings");
        return;
    }
    const auto version = s_.programs.OwnVersion();
    std::string start = "start: Kestrel ";
    for (const int part : {version.major, version.minor, version.revision})
        start += std::to_string(static_cast<std::int64_t>(part)) + ".";
    start.back() = ' ';
    log_.Write(start + (sizeof(void*) == 4 ? "(32-bit)" : "(64-bit)"));
    try {
        mainWindow_.Load();
    } catch (const std::exception& e) {
        ShowMessage(s_.messageBoxes, std::string("error in Main: ") + e.what(), platform::Modality::System);
        // End cleanly: a corrupt setting must not leave an icon behind that does nothing.
        if (mainWindow_.Loaded()) mainWindow_.form().Unload();
    }
}

void Application::Run() {
    for (;;) {
        try {
            s_.forms.RunUntilNoForms();
            return;
        } catch (const std::exception& e) {
            ShowMessage(s_.messageBoxes, std::string("error: ") + e.what(), platform::Modality::System);
        }
    }
}

void Application::Load() {
    const auto window = mainWindow_.form().Handle();
    trayIcon_.emplace(TrayIcon::Services{s_.notificationArea, s_.desktop, s_.timers, s_.events}, window, kAppTitle,
                      [this] { mainWindow_.ShowMenu(); });
    // A second start asks for Settings, as the tray menu would open them.
    s_.instances.ListenForLaterStarts(window, [this] {
        log_.Write("a second start asked for Settings");
        mainWindow_.OpenSettings();
    });
    mainWindow_.form().Hide();
    hotKey_.emplace(s_.hotKeys, s_.messageBoxes, window, [this] { HotKeyPressed(); });
    RestoreCopyTimes();
    std::string problem;
    settings_ = LoadSettings(s_.store, &s_.policy, &problem);
    LogSettings(problem);
    ReportControlClasses();
    link_.SetField({settings_.sources.front().searchField, {}});
    link_.SetProcedure(AppLink::Procedure::Search);
    try {
        s_.settingsChanges.Listen(window, kAppTitle, [this] { SettingsChanged(); });
    } catch (const std::exception& e) {
        // The program works on with what it read; only later changes go unheard.
        log_.Write(std::string("settings changes not heard: ") + e.what());
    }
    if (!problem.empty()) {
        // Said, but the program stays: Settings is the way to repair it.
        settingsUnreadable_ = true;
        ShowMessage(s_.messageBoxes, "error in Main: " + problem, platform::Modality::System);
    } else if (settings_.Complete()) {
        ReportSources();
        ArmHotKey();
    } else {
        OpenSettings();
    }
}

// A source that cannot search is said at start, naming its source and
// value (from policy or an old store, which no dialog checked); the program
// goes on, and that source's presses say it again and search nothing.
void Application::ReportSources(const Settings* before) {
    for (const auto& source : settings_.Searchable()) {
        if (before && std::find(before->sources.begin(), before->sources.end(), source) != before->sources.end())
            continue;
        const auto number = std::to_string(source.number);
        const auto where = [&](const char* key) {
            return std::string(key) + " in " + SourceSection(source.number) +
                   (source.FromPolicy(key) ? ", set by policy" : "");
        };
        try {
            ParseValueFrom(source.valueFrom);
        } catch (const Error& e) {
            log_.Write("bad value: " + where(setting::kValueFrom) + ": " + e.what());
            ShowMessage(s_.messageBoxes,
                        "Where source " + number + " takes its value from (" + where(setting::kValueFrom) +
                            ") does not read: " + e.what() +
                            ". That source searches nothing until it is mended in Settings.",
                        platform::Modality::System);
        }
        if (const auto bad = SearchTextsProblem(source)) {
            log_.Write("bad value: " + where(bad->key) + ": " + bad->why);
            ShowMessage(s_.messageBoxes,
                        "Source " + number + " (" + where(bad->key) + ") cannot search: " + bad->why +
                            ". That source searches nothing until it is mended.",
                        platform::Modality::System);
        }
        if (const auto problem = link_.PatternProblem(source); !problem.empty()) {
            log_.Write("bad value: " + where(setting::kValuePattern) + ": " + problem);
            ShowMessage(s_.messageBoxes,
                        "The value pattern of source " + number + " (" + where(setting::kValuePattern) +
                            ") is no regular expression: " + problem +
                            ". That source searches nothing until it is mended in Settings.",
                        platform::Modality::System);
        }
    }
}

// Classes the administrator added whose entry does not read are said at
// start; the others are known from then on.
void Application::ReportControlClasses() {
    platform::ControlClasses classes(settings_.controlClasses);
    if (!classes.badEntries().empty()) {
        std::string entries;
        for (const auto& entry : classes.badEntries()) entries += (entries.empty() ? "\"" : ", \"") + entry + "\"";
        log_.Write(std::string("bad value: ") + setting::kControlClasses + " in Settings: " + entries);
        ShowMessage(s_.messageBoxes,
                    std::string("The value ") + setting::kControlClasses + " in Settings has entries that are no " +
                        "\"class=kind\" with a kind Kestrel knows: " + entries +
                        ". Those classes are not known; the others are.",
                    platform::Modality::System);
    }
    capture_.SetControlClasses(std::move(classes));
}

void Application::Unloading() {
    StoreCopyTimes(true);
    if (hotKey_) hotKey_->Disable();
    trayIcon_.reset();
}

void Application::Exit() {
    log_.Write("exit");
    // The dialog goes first, as Cancel would, so nothing is left open under it.
    if (openDialog_) openDialog_->Cancel();
    if (mainWindow_.Loaded()) mainWindow_.form().Unload();
}

void Application::OpenSettings() {
    if (openDialog_) {
        openDialog_->BringToFront();
        return;
    }
    if (hotKey_) hotKey_->Disable();
    SettingsDialog dialog(s_.forms, s_.messageBoxes, s_.events, s_.store, settings_, &picking_);
    openDialog_ = &dialog;
    bool saved = false;
    try {
        saved = dialog.ShowModal();
    } catch (...) {
        openDialog_ = nullptr;
        AfterSettings();
        throw;
    }
    openDialog_ = nullptr;
    if (saved) settingsUnreadable_ = false;
    AfterSettings();
}

// However the dialog ended, the hotkey is armed again from the settings in force.
void Application::AfterSettings() {
    if (!mainWindow_.Loaded()) return;  // Exit while the dialog was open
    link_.SetField({settings_.sources.front().searchField, {}});
    ArmHotKey();
    if (reloadWanted_) Reload();
}

void Application::SettingsChanged() {
    reloadWanted_ = true;
    // A dialog saves what the user changed in what it found, and a press
    // serves the settings it began with: the reading waits for both.
    if (openDialog_ || pressing_ || reloading_) return;
    Reload();
}

// Reads the settings again and takes what changed; a reading that changes
// nothing (the program's own writes are heard too) says nothing.
void Application::Reload() {
    const Holding holding(reloading_);
    // A box shown here lets a later change in: it is read on the next round.
    while (reloadWanted_ && mainWindow_.Loaded()) {
        reloadWanted_ = false;
        std::string problem;
        auto fresh = LoadSettings(s_.store, &s_.policy, &problem);
        const auto changes = Differences(settings_, fresh);
        if (changes.empty() && fresh.unreadable == settings_.unreadable) continue;
        std::string lines[2];  // the store's, policy's
        for (const auto& change : changes) {
            auto& line = lines[change.policy];
            line += (line.empty() ? "" : ", ") + change.what;
        }
        if (!lines[0].empty()) log_.Write("settings changed (store): " + lines[0]);
        if (!lines[1].empty()) log_.Write("settings changed (policy): " + lines[1]);
        const auto before = std::exchange(settings_, std::move(fresh));
        if (settings_.controlClasses != before.controlClasses) ReportControlClasses();
        link_.SetField({settings_.sources.front().searchField, {}});
        const bool wasUnreadable = settingsUnreadable_;
        settingsUnreadable_ = !problem.empty();
        const bool keyMoved = settings_.hotKey != before.hotKey || settings_.hotKeyShift != before.hotKeyShift;
        if (keyMoved || settingsUnreadable_ || !settings_.Complete()) hotKey_->Disable();
        if (settingsUnreadable_) {
            log_.Write("bad value: " + problem);
            if (!wasUnreadable)
                ShowMessage(s_.messageBoxes, "error: the settings changed and do not read: " + problem,
                            platform::Modality::System);
            continue;
        }
        ReportSources(&before);
        if (!hotKey_->Registered()) ArmHotKey();
    }
}

// Arms the hotkey and says so when another program holds the combination:
// otherwise the program would sit there deaf to the key the user chose.
void Application::ArmHotKey() {
    // Not set up, no hotkey: the key stays with other programs and nothing
    // runs the runner with an empty document type.
    if (settingsUnreadable_ || !settings_.Complete()) return;
    hotKey_->Enable(RegistrationModifiers(settings_.hotKeyShift),
                    static_cast<std::uint32_t>(static_cast<std::int32_t>(settings_.hotKey)));
    auto name = HotKeyDisplayText(settings_.hotKeyShift, settings_.hotKey);
    if (!name.empty() && name.front() == ' ') name.erase(0, 1);
    if (hotKey_->Registered()) {
        log_.Write("hotkey " + name + " registered");
        return;
    }
    // The system does not say which program holds a combination.
    log_.Write("hotkey " + name + " not registered: another program holds it");
    ShowMessage(s_.messageBoxes,
                "The hotkey " + name + " is in use by another program. Choose another one in Settings.",
                platform::Modality::System);
}

// The hotkey for the Sources dialog's pick, while Settings has it off.
bool Application::LendHotKey(std::int16_t key, std::int16_t shift, std::function<void()> onPress) {
    pickPress_ = {};
    if (!hotKey_) return false;
    hotKey_->Disable();
    if (!onPress || key == 0) return false;
    hotKey_->Enable(RegistrationModifiers(shift), static_cast<std::uint32_t>(static_cast<std::int32_t>(key)));
    if (!hotKey_->Registered()) {
        hotKey_->Disable();
        return false;
    }
    pickPress_ = std::move(onPress);
    return true;
}

// What a pick shows of the field: read as a press reads it, by asking.
std::string Application::ReadField(platform::WindowId control, platform::ControlKind kind, const std::string& column) {
    using K = platform::ControlKind;
    if (kind == K::ListView || kind == K::ListBox || kind == K::TreeView) {
        using L = platform::ListText::Kind;
        const auto list = s_.listControls.ReadList(control, kind, column);
        switch (list.kind) {
        case L::Text: return list.text;
        case L::NothingSelected: return {};
        case L::NoAnswer: throw Error("That field did not answer. Pick it again in a moment.");
        case L::NoSuchColumn: throw Error("That list has no column \"" + column + "\".");
        default: throw Error("That list cannot be read.");
        }
    }
    using T = platform::ControlText::Kind;
    const auto text = s_.textControls.ReadWhole(control, kind);
    switch (text.kind) {
    case T::Text: return text.text;
    case T::Password: throw Error("That field is a password box, which Kestrel never reads.");
    case T::NoAnswer: throw Error("That field did not answer. Pick it again in a moment.");
    default: throw Error("That field cannot be read.");
    }
}

void Application::HotKeyPressed() {
    if (pickPress_) {
        const auto press = pickPress_;  // which may give the hotkey back
        press();
        return;
    }
    const Holding holding(pressing_);
    boxes_.lastText.clear();
    std::int64_t runnerMs = 0;
    if (link_.Grab()) {  // else the capture has said why
        if (link_.field()->value.empty()) {
            ShowMessage(s_.messageBoxes, "no data found", platform::Modality::System);
        } else {
            const auto started = s_.events.NowMs();
            link_.Run();
            runnerMs = s_.events.NowMs() - started;
        }
    }
    LogPress(runnerMs);
    StoreCopyTimes(false);
    pressing_ = false;
    if (reloadWanted_) Reload();
}

void Application::RestoreCopyTimes() {
    std::vector<std::string> texts;
    try {
        for (std::size_t i = 1; i <= CopyLatencies::kSourcesKept; ++i)
            texts.push_back(s_.store.Read(kAppTitle, kCopyTimesSection, std::to_string(i), ""));
    } catch (const std::exception& e) {
        log_.Write(std::string("copy times not read: ") + e.what());
        return;
    }
    std::vector<std::string> ignored;
    capture_.copyLatencies().Restore(texts, s_.events.Today(), ignored);
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (!texts[i].empty()) copyTimesInStore_ = i + 1;
    for (const auto& why : ignored) log_.Write(std::string("copy times ignored: ") + kCopyTimesSection + "\\" + why);
}

void Application::StoreCopyTimes(bool now) {
    auto& latencies = capture_.copyLatencies();
    if (!latencies.Changed()) return;
    if (!now && copyTimesStoredAt_ && s_.events.NowMs() - *copyTimesStoredAt_ < kCopyTimesStoreMs) return;
    copyTimesStoredAt_ = s_.events.NowMs();
    const auto texts = latencies.Stored(s_.events.Today());
    try {
        // Entries beyond the new ones are emptied: nothing forgotten comes back.
        for (std::size_t i = 0; i < std::max(texts.size(), copyTimesInStore_); ++i)
            s_.store.Write(kAppTitle, kCopyTimesSection, std::to_string(i + 1), i < texts.size() ? texts[i] : "");
        copyTimesInStore_ = texts.size();
        latencies.MarkStored();
    } catch (const std::exception& e) {
        log_.Write(std::string("copy times not stored: ") + e.what());
    }
}

// One line a press: what was found and how, how long each step took, the
// value's length and the outcome; never the value nor the window's title,
// which are customer data.
void Application::LogPress(std::int64_t runnerMs) {
    if (!log_.enabled()) return;
    const auto& r = capture_.report();
    std::string line = "press: ";
    if (const auto& grab = link_.grabReport(); !grab.refused.empty()) {
        line += "source " + std::to_string(grab.source) + " (" + grab.why + ") searches nothing: " + grab.refused;
    } else if (!r.windowFound) {
        // Every title searched, not only source 1's.
        auto searched = settings_.Searchable();
        if (searched.empty()) searched.push_back(settings_.sources.front());
        std::string titles;
        for (const auto& source : searched)
            if (!source.window.empty()) titles += (titles.empty() ? "" : ", ") + Quoted(source.window);
        if (titles.empty())
            line += "no window in front";
        else
            line += (searched.size() > 1 ? "no window matched the titles " : "no window matched the title ") + titles;
        if (!r.why.empty()) line += " (" + r.why + ")";
    } else {
        // Never the title itself: it may carry the record ("Invoice 4711 - ...").
        const auto& source = link_.source();
        const auto title = source ? source->window : std::string();
        line += "source " + std::to_string(link_.grabReport().source) + " (" + link_.grabReport().why + "), ";
        line += title.empty() ? "the window in front" : "the window matched by the title " + Quoted(title);
        line += ", of " + (r.window.program.empty() ? std::string("an unknown program") : r.window.program);
        line += " (class " + r.window.className + "), its title " + std::to_string(Characters(r.window.title)) +
                " characters; route " + r.route + " (" + r.why + ")";
        if (*link_.grabReport().pattern) line += std::string("; value pattern: ") + link_.grabReport().pattern;
    }
    const std::pair<const char*, std::int64_t> numbers[] = {
        {"; activation ", r.activationMs},
        {" ms, capture ", r.captureMs},
        {" ms, runner ", runnerMs},
        {" ms; value ", static_cast<std::int64_t>(link_.field() ? Characters(link_.field()->value) : 0)},
    };
    for (const auto& [label, number] : numbers) line += label + std::to_string(number);
    line += " characters; ";
    const auto process = link_.runnerProcess();
    if (process && boxes_.lastText.empty())
        line += "runner started, process " + std::to_string(static_cast<std::int64_t>(*process));
    else
        line += "message shown: " + (boxes_.lastText.empty() ? std::string("none") : boxes_.lastText);
    log_.Write(line);
}

// Where each setting came from, and a value that did not read.
void Application::LogSettings(const std::string& problem) {
    if (!log_.enabled()) return;
    std::string line = "settings:";
    for (const char* key : setting::kAll) {
        const char* from = "store";
        const bool ofSource1 = std::find(std::begin(setting::kSourceValues), std::end(setting::kSourceValues),
                                         std::string_view(key)) != std::end(setting::kSourceValues);
        if (ofSource1 ? settings_.sources.front().FromPolicy(key) : settings_.FromPolicy(key))
            from = s_.policy.MachineSets("", key) ? "machine policy" : "user policy";
        line += std::string(" ") + key + " from " + from + ",";
    }
    line.pop_back();
    // The other sources: what policy sets of each, the rest from the store.
    for (const auto& source : settings_.sources) {
        if (source.number == 1) continue;
        line += "; " + SourceSection(source.number) + ":";
        for (const auto& key : source.fromPolicy)
            line += " " + key + " from " +
                    (s_.policy.MachineSets(SourcePolicySection(source.number), key) ? "machine" : "user") + " policy,";
        line += source.fromPolicy.empty() ? " from store" : " the rest from store";
    }
    for (const auto& skipped : settings_.Skipped())
        line += "; " + SourceSection(skipped.number) + " skipped: " + skipped.Missing();
    log_.Write(line);
    if (!problem.empty()) log_.Write("bad value: " + problem);
}

}  // namespace kestrel
