#include "app/application.h"
#include "link/clsAppLink.h"
#include "platform/platform.h"

namespace kestrel {

namespace runner {

std::string Program() { return std::string(kFolder) + "\\halyard.exe"; }
std::string ScriptFile() { return std::string(kFolder) + "\\halyard.sc"; }

std::string SearchCommandLine(const std::string& documentType, const std::string& field, const std::string& value) {
    // The value goes in exactly as captured: the runner parses it itself.
    return "\"" + Program() + "\" Index=" + documentType + ";Criteria=" + field + "='" + value + "'";
}

std::string IndexCommandLine() { return "\"" + Program() + "\" " + ScriptFile(); }

}  // namespace runner

template <typename Runner>
void clsAppLink::RunOnValue(Runner runner) {
    std::string value;
    try {
        value = colFields()->Item(1)->value();
    } catch (const std::exception&) {
        value.clear();
    }
    try {
        if (value.empty()) {
            ShowMessage("Error grabbing data from source window.", platform::kMbSystemModal);
            return;
        }
        (this->*runner)();
    } catch (const std::exception&) {
        // The runner reports nothing: a failed start or activation just ends the run.
    }
}

void clsAppLink::RunSearch() { RunOnValue(&clsAppLink::RunnerSearch); }
void clsAppLink::RunIndex() { RunOnValue(&clsAppLink::RunnerIndex); }

void clsAppLink::RunnerSearch() {
    auto& sys = platform::Current();
    const auto settings = oSettings();
    const auto line = runner::SearchCommandLine(settings->AppName(), settings->Field(), colFields()->Item(1)->value());
    sys.programs->Start(line, runner::Program(), runner::kMinimizedActivated);
    sys.windows->ActivateByTitle(runner::kResultWindow);
}

void clsAppLink::RunnerIndex() {
    auto& sys = platform::Current();
    const auto script = runner::ScriptFile();
    if (sys.files->FindOrdinaryFile(script)) sys.files->Delete(script);
    {
        // Closed on every path: a script that failed part-way is left as it is,
        // but never left open.
        const auto file = sys.files->OpenForAppend(script);
        file->WriteLine("Sub main()");
        file->WriteLine("Index.Field(\"" + colFields()->Item(1)->Field() + "\") = Clipboard");
        file->WriteLine("doevents");
        if (oSettings()->savenext()) {
            file->WriteLine("Index.Save");
            file->WriteLine("Index.nextdocument");
        }
        file->WriteLine("Index.setfocuson 1");
        file->WriteLine("End Sub");
        file->WriteLine("");
        file->WriteLine("");
        file->Close();
    }
    sys.messages->DoEvents();
    sys.programs->Start(runner::IndexCommandLine(), runner::Program(), runner::kMinimizedActivated);
    sys.windows->ActivateByTitle(runner::kResultWindow);
}

}  // namespace kestrel
