#pragma once
#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "platform/policy.h"
#include "platform/settings_store.h"

namespace kestrel {

// The names of the values, in the per-user store and under the policy keys
// alike (the administrative templates name exactly these).
namespace setting {
inline constexpr const char* kSourceWindow = "SourceWindow";
inline constexpr const char* kSearchField = "Field";
inline constexpr const char* kDocumentType = "AppName";
inline constexpr const char* kHotKey = "Hotkey";
inline constexpr const char* kHotKeyShift = "HotKeyShift";
inline constexpr const char* kSaveNext = "SaveNext";
inline constexpr std::array<const char*, 6> kAll = {kSourceWindow, kSearchField, kDocumentType,
                                                    kHotKey,       kHotKeyShift, kSaveNext};
// Policy's alone, not one of the user's settings: whether the program keeps
// its log for the help desk (0 off, 1 on; on when not set).
inline constexpr const char* kLog = "Log";
}  // namespace setting

// The user's configuration as the per-user store keeps it (application
// "Kestrel", section "Settings"), with what policy sets in its place.
struct Settings {
    std::string sourceWindow;  // the source window's title; empty: whatever is in front
    std::string documentType;
    std::string searchField;
    std::int16_t hotKey = 122;      // a key code: F11
    std::int16_t hotKeyShift = 0;   // the modifier mask: 1 Shift, 2 Ctrl, 4 Alt
    bool saveNext = false;          // the index run saves and moves to the next document
    // The names of the values policy set: shown read-only, never saved.
    std::set<std::string> fromPolicy = {};

    bool FromPolicy(const char* name) const { return fromPolicy.count(name) != 0; }

    // Both a document type and a search field: enough to run a search.
    bool Complete() const { return !documentType.empty() && !searchField.empty(); }

    friend bool operator==(const Settings&, const Settings&) = default;
};

// Reads every value, from policy where it sets one, else from the store, each
// absent one as its default. A value that does not convert (or cannot be
// read) is described naming its key and text: thrown as Error when `problem`
// is null; otherwise the first description goes there, that value keeps its
// default and the others are read all the same.
Settings LoadSettings(platform::SettingsStore& store, platform::Policy* policy = nullptr,
                      std::string* problem = nullptr);
// Writes every value policy does not set; throws Error (values before the
// failing one are written).
void SaveSettings(platform::SettingsStore& store, const Settings& settings);

// The modifier mask (1 Shift, 2 Ctrl, 4 Alt) as hotkey registration wants it
// (1 Alt, 2 Ctrl, 4 Shift). Only the three low bits count.
std::uint32_t RegistrationModifiers(std::int32_t shiftMask);

}  // namespace kestrel
