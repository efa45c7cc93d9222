#include "link/app_link.h"

#include "app/app_title.h"
#include "app/text_capture.h"
#include "link/runner.h"
#include "platform/error.h"

namespace kestrel {

AppLink::AppLink(const Settings& settings, TextCapture& capture, Services services)
    : settings_(settings), capture_(capture), services_(services) {}

void AppLink::Grab() {
    if (!field_) throw Error("no search field is set");
    field_->value = capture_.Capture(settings_.sourceWindow);
}

template <typename Runner>
void AppLink::RunOnValue(Runner runner) {
    if (!field_ || field_->value.empty()) {
        ShowMessage(services_.messageBoxes, "Error grabbing data from source window.", platform::Modality::System);
        return;
    }
    try {
        (this->*runner)();
    } catch (const std::exception&) {
        // The runner reports nothing: a failed start or activation just ends the run.
    }
}

void AppLink::RunSearch() { RunOnValue(&AppLink::StartSearch); }
void AppLink::RunIndex() { RunOnValue(&AppLink::StartIndex); }

void AppLink::StartSearch() {
    const auto line = runner::SearchCommandLine(settings_.documentType, settings_.searchField, field_->value);
    services_.programs.Start(line, runner::Program(), runner::kShowAs);
    services_.desktop.ActivateByTitle(runner::kResultWindow);
}

void AppLink::StartIndex() {
    auto& files = services_.files;
    const auto script = runner::ScriptFile();
    if (files.FindOrdinaryFile(script)) files.Delete(script);
    {
        // Closed on every path: a script that failed part-way is left as it is,
        // but never left open.
        const auto file = files.OpenForAppend(script);
        file->WriteLine("Sub main()");
        file->WriteLine("Index.Field(\"" + field_->name + "\") = Clipboard");
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
    services_.events.DoEvents();
    services_.programs.Start(runner::IndexCommandLine(), runner::Program(), runner::kShowAs);
    services_.desktop.ActivateByTitle(runner::kResultWindow);
}

}  // namespace kestrel
