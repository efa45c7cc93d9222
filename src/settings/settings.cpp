#include "settings/settings.h"

#include <optional>

#include "platform/app_title.h"
#include "platform/error.h"
#include "platform/hotkeys.h"
#include "platform/key_codes.h"
#include "settings/store_text.h"

namespace kestrel {
namespace {

constexpr const char* kSection = "Settings";

std::string NotConvertible(const char* source, const char* key, const std::string& text, const char* expected) {
    return std::string("the ") + source + "setting \"" + key + "\" holds \"" + text + "\", which is not " + expected;
}

// Reads the values one by one; a failure is kept (the first one) or thrown.
class Reader {
public:
    Reader(platform::SettingsStore& store, platform::Policy* policy, std::string* problem, Settings& settings)
        : store_(store), policy_(policy), problem_(problem), settings_(settings) {}

    template <typename Value, typename Parse>
    void Read(const char* key, const char* fallback, Value& into, Parse parse, const char* expected) {
        try {
            std::optional<std::string> text;
            if (policy_) text = policy_->Read(key);
            const bool fromPolicy = text.has_value();
            if (fromPolicy) settings_.fromPolicy.insert(key);
            if (!text) text = store_.Read(kAppTitle, kSection, key, fallback);
            const auto value = parse(*text);
            if (!value)
                throw Error(NotConvertible(fromPolicy ? "policy " : "", key, *text, expected));
            into = *value;
        } catch (const Error& e) {
            if (!problem_) throw;
            if (problem_->empty()) *problem_ = e.what();
        }
    }

private:
    platform::SettingsStore& store_;
    platform::Policy* policy_;
    std::string* problem_;
    Settings& settings_;
};

std::optional<std::string> AnyText(const std::string& text) { return text; }

}  // namespace

Settings LoadSettings(platform::SettingsStore& store, platform::Policy* policy, std::string* problem) {
    using namespace setting;
    Settings s;
    Reader reader(store, policy, problem, s);
    constexpr const char* kNumber = "a whole number from -32768 to 32767";
    reader.Read(kSourceWindow, "", s.sourceWindow, AnyText, "");
    reader.Read(kSearchField, "", s.searchField, AnyText, "");
    reader.Read(kDocumentType, "", s.documentType, AnyText, "");
    reader.Read(kHotKey, "122", s.hotKey, ParseInt16, kNumber);
    reader.Read(kHotKeyShift, "0", s.hotKeyShift, ParseInt16, kNumber);
    reader.Read(kSaveNext, "False", s.saveNext, ParseBool, "True, False or a number");
    return s;
}

void SaveSettings(platform::SettingsStore& store, const Settings& s) {
    using namespace setting;
    // A policy value is the administrator's, never copied into the user's own.
    const auto write = [&](const char* key, const std::string& value) {
        if (!s.FromPolicy(key)) store.Write(kAppTitle, kSection, key, value);
    };
    write(kSourceWindow, s.sourceWindow);
    write(kSearchField, s.searchField);
    write(kDocumentType, s.documentType);
    write(kHotKey, std::to_string(s.hotKey));
    write(kHotKeyShift, std::to_string(s.hotKeyShift));
    write(kSaveNext, s.saveNext ? "True" : "False");
}

std::uint32_t RegistrationModifiers(std::int32_t shiftMask) {
    return (shiftMask & platform::kShiftMaskShift ? platform::kModShift : 0u) |
           (shiftMask & platform::kShiftMaskControl ? platform::kModControl : 0u) |
           (shiftMask & platform::kShiftMaskAlt ? platform::kModAlt : 0u);
}

}  // namespace kestrel
