#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "capture/value_from.h"
#include "link/field.h"
#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/programs.h"
#include "settings/settings.h"

namespace kestrel {

class TextCapture;

// Joins the source application to the document-imaging system: captures the
// source window's text into the search field's value and starts the script
// runner on it, as a search or as an index run through a script file.
class AppLink {
public:
    enum class Procedure { Search, Index };

    struct Services {
        platform::Programs& programs;
        platform::Files& files;
        platform::Desktop& desktop;
        platform::EventLoop& events;
        platform::MessageBoxes& messageBoxes;
    };

    AppLink(const Settings& settings, TextCapture& capture, Services services);

    // The field the captured value is for; none until the settings name one.
    void SetField(Field field) { field_ = std::move(field); }
    const std::optional<Field>& field() const { return field_; }

    Procedure procedure() const { return procedure_; }
    void SetProcedure(Procedure procedure) { procedure_ = procedure; }

    // Chooses the source the press serves (see ChooseSource), captures its
    // window's text, picks the value out of it by the source's pattern and
    // makes it the field's value, for the source's search field; false when
    // the capture or the pattern failed and said so. Errors (no field among
    // them, checked before anything is captured) go to the caller.
    bool Grab();
    // How the last grab went, for the log.
    struct GrabReport {
        int source = 0;            // the number of the source it served; 0: none
        const char* pattern = "";  // the value pattern's outcome: "", "matched", "no match", "invalid"
    };
    const GrabReport& grabReport() const { return grab_; }
    // The source the last grab served.
    const std::optional<Source>& source() const { return source_; }

    // Start the script runner on the field's value: a search, or an index run
    // through a script file. Neither passes an error on: an empty or missing
    // value shows "Error grabbing data from source window.", a runner that
    // cannot be started or a script that cannot be written is said with its
    // full path and the reason.
    void RunSearch();
    void RunIndex();
    // The one the procedure selects.
    void Run() { procedure_ == Procedure::Index ? RunIndex() : RunSearch(); }
    // The process id of the runner the last run started; none when it started none.
    std::optional<std::uint32_t> runnerProcess() const { return runnerProcess_; }

private:
    template <typename Runner>
    void RunOnValue(Runner runner);
    void StartSearch();
    void StartIndex();
    void WriteScript();
    void StartRunner(const std::string& commandLine);
    std::optional<std::string> PickValue(const Source& source, const std::string& taken);
    std::optional<ValueFrom> WhereFrom(const Source& source);

    const Settings& settings_;
    TextCapture& capture_;
    Services services_;
    std::optional<Field> field_;
    Procedure procedure_ = Procedure::Search;
    std::optional<std::uint32_t> runnerProcess_;
    GrabReport grab_;
    std::optional<Source> source_;
};

}  // namespace kestrel
