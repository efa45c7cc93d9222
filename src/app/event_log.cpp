#include "app/event_log.h"

namespace kestrel {

bool EventLog::Append(const std::string& line) {
    try {
        return file_.Append(line);
    } catch (...) {
        return false;
    }
}

void EventLog::Write(const std::string& line) {
    if (!enabled_) return;
    if (skipped_ > 0) {
        const auto note = "the log could not be written for a while: " + std::to_string(skipped_) +
                          (skipped_ == 1 ? " line was" : " lines were") + " left out";
        if (!Append(note)) {
            ++skipped_;
            return;
        }
        skipped_ = 0;
    }
    if (!Append(line)) ++skipped_;
}

void LoggedMessageBoxes::Show(const std::string& text, const std::string& caption, platform::Modality modality) {
    log_.Write("message box: " + text);
    lastText = text;
    boxes_.Show(text, caption, modality);
}

}  // namespace kestrel
