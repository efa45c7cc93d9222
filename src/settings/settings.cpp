#include "settings/settings.h"

#include "app/app_title.h"
#include "platform/error.h"
#include "platform/hotkeys.h"
#include "settings/store_text.h"

namespace kestrel {
namespace {

constexpr const char* kSection = "Settings";

[[noreturn]] void NotConvertible(const char* key, const std::string& text, const char* expected) {
    throw Error(std::string("the setting \"") + key + "\" holds \"" + text + "\", which is not " + expected);
}

std::int16_t ReadNumber(platform::SettingsStore& store, const char* key, const char* fallback) {
    const auto text = store.Read(kAppTitle, kSection, key, fallback);
    const auto number = ParseInt16(text);
    if (!number) NotConvertible(key, text, "a whole number from -32768 to 32767");
    return *number;
}

}  // namespace

Settings LoadSettings(platform::SettingsStore& store) {
    Settings s;
    s.sourceWindow = store.Read(kAppTitle, kSection, "SourceWindow", "");
    s.searchField = store.Read(kAppTitle, kSection, "Field", "");
    s.documentType = store.Read(kAppTitle, kSection, "AppName", "");
    s.hotKey = ReadNumber(store, "Hotkey", "122");
    s.hotKeyShift = ReadNumber(store, "HotKeyShift", "0");
    const auto text = store.Read(kAppTitle, kSection, "SaveNext", "False");
    const auto flag = ParseBool(text);
    if (!flag) NotConvertible("SaveNext", text, "True, False or a number");
    s.saveNext = *flag;
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
