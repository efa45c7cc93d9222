#include "link/app_link.h"

#include "platform/app_title.h"
#include "capture/text_capture.h"
#include "capture/window_choice.h"
#include "link/runner.h"
#include "platform/error.h"

namespace kestrel {

AppLink::AppLink(const Settings& settings, TextCapture& capture, Services services)
    : settings_(settings), capture_(capture), services_(services) {}

bool AppLink::Grab() {
    if (!field_) throw Error("no search field is set");
    runnerProcess_.reset();
    auto text = capture_.Capture(settings_.sourceWindow);
    field_->value = text.value_or("");
    return text.has_value();
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
    StartRunner(runner::SearchCommandLine(settings_.documentType, settings_.searchField, field_->value));
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
