#include "settings/settings.h"

#include <optional>

#include "app/app_title.h"
#include "platform/error.h"
#include "platform/hotkeys.h"
#include "settings/store_text.h"

namespace kestrel {
namespace {

constexpr const char* kSection = "Settings";

std::string NotConvertible(const char* key, const std::string& text, const char* expected) {
    return std::string("the setting \"") + key + "\" holds \"" + text + "\", which is not " + expected;
}

// Reads the values one by one; a failure is kept (the first one) or thrown.
class Reader {
public:
    Reader(platform::SettingsStore& store, std::string* problem) : store_(store), problem_(problem) {}

    template <typename Value, typename Parse>
    void Read(const char* key, const char* fallback, Value& into, Parse parse, const char* expected) {
        try {
            const auto text = store_.Read(kAppTitle, kSection, key, fallback);
            const auto value = parse(text);
            if (!value) throw Error(NotConvertible(key, text, expected));
            into = *value;
        } catch (const Error& e) {
            if (!problem_) throw;
            if (problem_->empty()) *problem_ = e.what();
        }
    }

private:
    platform::SettingsStore& store_;
    std::string* problem_;
};

std::optional<std::string> AnyText(const std::string& text) { return text; }

}  // namespace

Settings LoadSettings(platform::SettingsStore& store, std::string* problem) {
    Settings s;
    Reader reader(store, problem);
    constexpr const char* kNumber = "a whole number from -32768 to 32767";
    reader.Read("SourceWindow", "", s.sourceWindow, AnyText, "");
    reader.Read("Field", "", s.searchField, AnyText, "");
    reader.Read("AppName", "", s.documentType, AnyText, "");
    reader.Read("Hotkey", "122", s.hotKey, ParseInt16, kNumber);
    reader.Read("HotKeyShift", "0", s.hotKeyShift, ParseInt16, kNumber);
    reader.Read("SaveNext", "False", s.saveNext, ParseBool, "True, False or a number");
    return s;
}

void SaveSettings(platform::SettingsStore& store, const Settings& s) {
    store.Write(kAppTitle, kSection, "SourceWindow", s.sourceWindow);
    store.Write(kAppTitle, kSection, "Field", s.searchField);
    store.Write(kAppTitle, kSection, "AppName", s.documentType);
    store.Write(kAppTitle, kSection, "Hotkey", std::to_string(s.hotKey));
    store.Write(kAppTitle, kSection, "HotKeyShift", std::to_string(s.hotKeyShift));
    store.Write(kAppTitle, kSection, "SaveNext", s.saveNext ? "True" : "False");
}

std::uint32_t RegistrationModifiers(std::int32_t shiftMask) {
    return (shiftMask & 1 ? platform::kModShift : 0u) | (shiftMask & 2 ? platform::kModControl : 0u) |
           (shiftMask & 4 ? platform::kModAlt : 0u);
}

}  // namespace kestrel
