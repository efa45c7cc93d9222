#include "link/app_link.h"

#include "platform/app_title.h"
#include "capture/text_capture.h"
#include "capture/value_pattern.h"
#include "capture/window_choice.h"
#include "link/runner.h"
#include "platform/error.h"

namespace kestrel {

AppLink::AppLink(const Settings& settings, TextCapture& capture, Services services)
    : settings_(settings), capture_(capture), services_(services) {}

bool AppLink::Grab() {
    if (!field_) throw Error("no search field is set");
    runnerProcess_.reset();
    grab_ = {};
    source_.reset();
    auto sources = settings_.Searchable();
    // Not set up at all: source 1 as it is, as before there were sources.
    if (sources.empty()) sources.push_back(settings_.sources.front());
    std::optional<std::string> text;
    const Source* source = &sources.front();
    std::optional<ValueFrom> from;
    if (sources.size() == 1) {
        if ((from = WhereFrom(*source))) text = capture_.Capture(source->window, source->column, *from);
    } else {
        std::vector<std::string> titles;
        for (const auto& s : sources) titles.push_back(s.window);
        const auto choice =
            ChooseSource(services_.desktop.TopLevelWindows(), services_.desktop.ForegroundWindow(), titles);
        if (!choice) {
            std::string looked;
            for (std::size_t i = 0; i < titles.size(); ++i)
                looked += (i == 0 ? "'" : i + 1 == titles.size() ? " or '" : ", '") + titles[i] + "'";
            capture_.NoWindow("error activating: no window of " + looked + " was found.");
            field_->value.clear();
            return false;
        }
        source = &sources[choice->source];
        if ((from = WhereFrom(*source)))
            text = capture_.CaptureFrom(choice->window, choice->activate, source->window, source->column, *from);
    }
    grab_.source = source->number;
    source_ = *source;
    field_->name = source->searchField;
    if (text && !source->valuePattern.empty()) text = PickValue(*source, *text);
    field_->value = text.value_or("");
    return text.has_value();
}

// Where the source's value is taken from; when its ValueFrom does not read,
// said (the press takes and searches nothing) and none.
std::optional<ValueFrom> AppLink::WhereFrom(const Source& source) {
    try {
        return ParseValueFrom(source.valueFrom);
    } catch (const Error& e) {
        const auto where = std::string(setting::kValueFrom) + " in " + SourceSection(source.number);
        capture_.NotTaken(where + " does not read",
                          "error: source " + std::to_string(source.number) + " cannot take a value: its " + where +
                              " does not read: " + e.what() + ". Mend it in Settings.");
        return std::nullopt;
    }
}

// The value the source's pattern picks out of what was taken, left on the
// clipboard in its place (an index run's script reads it from there). What
// was taken is never repeated in a message: it is customer data.
std::optional<std::string> AppLink::PickValue(const Source& source, const std::string& taken) {
    const auto number = std::to_string(source.number);
    std::string failure;
    try {
        const ValuePattern pattern(source.valuePattern);
        if (auto value = pattern.Find(taken)) {
            grab_.pattern = "matched";
            capture_.LeaveOnClipboard(*value);
            return value;
        }
        grab_.pattern = "no match";
        failure = "error: what was taken from the source window holds nothing that the value pattern of source " +
                  number + " matches.";
    } catch (const ClipboardBusy&) {
        failure = "error: the clipboard is in use by another program. Press the hotkey again in a moment.";
    } catch (const Error& e) {
        grab_.pattern = "invalid";
        failure = "error: the value pattern of source " + number + " is no regular expression: " + e.what() +
                  ". Mend it in Settings.";
    }
    ShowMessage(services_.messageBoxes, failure, platform::Modality::System);
    return std::nullopt;
}

namespace {

// CreateProcess takes at most this many UTF-16 units, its terminator included.
constexpr std::size_t kCommandLineLimit = 32767;

std::size_t Utf16Length(const std::string& utf8) {
    std::size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++units;  // a character starts here
        if (c >= 0xF0) ++units;           // beyond the BMP: a surrogate pair
    }
    return units;
}

// A step of the run that failed, said with the file it concerns.
class RunFailed : public Error {
public:
    using Error::Error;
};

// The field's name as a string in the script: a quote doubled, so that a name
// cannot end the string early; a line break refused, so that it cannot add
// statements of its own.
std::string ScriptString(const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos)
        throw Error("the search field's name holds a line break");
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

template <typename Runner>
void AppLink::RunOnValue(Runner runner) {
    runnerProcess_.reset();
    if (!field_ || field_->value.empty()) {
        ShowMessage(services_.messageBoxes, "Error grabbing data from source window.", platform::Modality::System);
        return;
    }
    try {
        (this->*runner)();
    } catch (const RunFailed& e) {
        // The user pressed the key and would otherwise see nothing at all.
        ShowMessage(services_.messageBoxes, e.what(), platform::Modality::System);
    }
}

void AppLink::StartRunner(const std::string& commandLine) {
    try {
        const auto length = Utf16Length(commandLine);
        if (length >= kCommandLineLimit)
            throw Error("the command line is " + std::to_string(length) + " characters long, over the system's limit of " +
                        std::to_string(kCommandLineLimit - 1));
        runnerProcess_ = services_.programs.Start(commandLine, runner::Program(), runner::kShowAs);
    } catch (const Error& e) {
        throw RunFailed("error: the script runner " + runner::Program() + " could not be started: " + e.what());
    }
    // The imaging system's own window, open or not: the runner may not have
    // shown it yet, and it shows itself when it does.
    try {
        ActivateByTitle(services_.desktop, runner::kResultWindow);
    } catch (const Error&) {
    }
}

void AppLink::RunSearch() { RunOnValue(&AppLink::StartSearch); }
void AppLink::RunIndex() { RunOnValue(&AppLink::StartIndex); }

void AppLink::StartSearch() {
    const auto& source = source_ ? *source_ : settings_.sources.front();
    StartRunner(runner::SearchCommandLine(source.documentType, source.searchField, field_->value));
}

void AppLink::StartIndex() {
    try {
        WriteScript();
    } catch (const Error& e) {
        throw RunFailed("error: the index script " + runner::ScriptFile() + " could not be written: " + e.what());
    }
    services_.events.DoEvents();
    StartRunner(runner::IndexCommandLine());
}

void AppLink::WriteScript() {
    {
        // Closed on every path: a script that failed part-way is left as it is,
        // but never left open.
        const auto file = services_.files.Create(runner::ScriptFile());
        file->WriteLine("Sub main()");
        file->WriteLine("Index.Field(" + ScriptString(field_->name) + ") = Clipboard");
        file->WriteLine("doevents");
        if (settings_.saveNext) {
            file->WriteLine("Index.Save");
            file->WriteLine("Index.nextdocument");
        }
        file->WriteLine("Index.setfocuson 1");
        file->WriteLine("End Sub");
        file->WriteLine("");
        file->WriteLine("");
        file->Close();
    }
}

}  // namespace kestrel
