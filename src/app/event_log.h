#pragma once
#include <string>

#include "platform/log_file.h"
#include "platform/message_boxes.h"

namespace kestrel {

// What the program saw and did, for the help desk: never the captured value
// itself (customer data), only its length. Writing never fails or delays the
// program: a line that cannot be written is skipped, and the log says how
// many were once it can be written again.
class EventLog {
public:
    explicit EventLog(platform::LogFile& file) : file_(file) {}
    // The administrator's "Log" policy (on unless set to 0).
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    void Write(const std::string& line);

private:
    bool Append(const std::string& line);

    platform::LogFile& file_;
    bool enabled_ = true;
    int skipped_ = 0;
};

// Every message box the program shows, its text written to the log first.
class LoggedMessageBoxes final : public platform::MessageBoxes {
public:
    LoggedMessageBoxes(platform::MessageBoxes& boxes, EventLog& log) : boxes_(boxes), log_(log) {}
    void Show(const std::string& text, const std::string& caption, platform::Modality modality) override;
    void BringOpenBoxToFront() override { boxes_.BringOpenBoxToFront(); }
    // The text of the last box shown, for the press that showed it; cleared by the caller.
    std::string lastText;

private:
    platform::MessageBoxes& boxes_;
    EventLog& log_;
};

}  // namespace kestrel
