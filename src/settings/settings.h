#pragma once
#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

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
// Optional values of every source: the pattern that picks the value out of
// the captured text, and the list column it is taken from.
inline constexpr const char* kValuePattern = "ValuePattern";
inline constexpr const char* kColumn = "Column";
// Where the value is taken from (see ValueFrom): empty, the selection.
inline constexpr const char* kValueFrom = "ValueFrom";
// What each source has, source 1 in section "Settings" (beside the values
// every source shares), sources 2 to 9 in sections "Source2" to "Source9".
inline constexpr std::array<const char*, 6> kSourceValues = {kSourceWindow, kSearchField, kDocumentType,
                                                             kValuePattern, kColumn,       kValueFrom};
inline constexpr int kMaxSources = 9;
// Policy's alone, not one of the user's settings: whether the program keeps
// its log for the help desk (0 off, 1 on; on when not set).
inline constexpr const char* kLog = "Log";
// The administrator's, in the store or policy, never written by a save:
// window classes Kestrel is to know as a kind of control,
// "Class=kind;Class=kind" (see ControlClasses).
inline constexpr const char* kControlClasses = "ControlClasses";
}  // namespace setting

// The store's section of a source: "Settings" for source 1, else "Source<n>".
std::string SourceSection(int number);
// Its subkey under the policy key: none for source 1, else "Source<n>".
std::string SourcePolicySection(int number);

// One program Kestrel takes values from.
struct Source {
    int number = 1;            // 1 to 9, its place in the store and in policy
    std::string window = {};        // the source window's title; empty: whatever is in front
    std::string documentType = {};
    std::string searchField = {};
    std::string valuePattern = {};  // empty: the whole captured text
    std::string column = {};        // empty: none asked for
    std::string valueFrom = {};     // as written (see ValueFrom); empty: the selection
    // The names of the values policy set: shown read-only, never saved.
    std::set<std::string> fromPolicy = {};

    bool FromPolicy(const char* name) const { return fromPolicy.count(name) != 0; }
    // Both a document type and a search field: enough to run a search.
    bool Complete() const { return !documentType.empty() && !searchField.empty(); }
    // What keeps it from running a search ("no document type"); empty when complete.
    std::string Missing() const;

    friend bool operator==(const Source&, const Source&) = default;
};

// The user's configuration as the per-user store keeps it (application
// "Kestrel", section "Settings", and "Source2" to "Source9" for the other
// sources), with what policy sets in its place.
struct Settings {
    // Source 1 first, always there, complete or not; then, by number, every
    // other source whose section holds a value. One of those that is not
    // complete is skipped (never searched) but kept: its number is not given
    // to a new source, so that nothing in its section is overwritten.
    std::vector<Source> sources = {Source{}};
    // Every source's.
    std::int16_t hotKey = 122;      // a key code: F11
    std::int16_t hotKeyShift = 0;   // the modifier mask: 1 Shift, 2 Ctrl, 4 Alt
    bool saveNext = false;          // the index run saves and moves to the next document
    // The names of the shared values policy set: shown read-only, never saved.
    std::set<std::string> fromPolicy = {};
    // Numbers of sources the user removed, whose sections the next save removes.
    std::set<int> removedSources = {};
    // The administrator's additions to the control classes, as written.
    std::string controlClasses = {};

    bool FromPolicy(const char* name) const { return fromPolicy.count(name) != 0; }

    // At least one complete source: enough to run a search.
    bool Complete() const;
    // Every complete source, source 1 first, then by number.
    std::vector<Source> Searchable() const;
    // Sources 2 to 9 whose sections hold values but no source, for the log.
    std::vector<Source> Skipped() const;
    // The lowest number a new source may take; 0 when there is none.
    int FreeSourceNumber() const;

    friend bool operator==(const Settings&, const Settings&) = default;
};

// Reads every value, from policy where it sets one, else from the store, each
// absent one as its default; policy and store are taken value by value, for
// each source in its own section. A section of sources 2 to 9 that holds any
// value is a source, complete or not. A value that does not convert (or cannot be
// read) is described naming its key and text: thrown as Error when `problem`
// is null; otherwise the first description goes there, that value keeps its
// default and the others are read all the same.
Settings LoadSettings(platform::SettingsStore& store, platform::Policy* policy = nullptr,
                      std::string* problem = nullptr);
// Writes every value policy does not set, each source in its section (but the
// sections of skipped sources, left as they are), then removes the sections of the removed sources; throws Error (values before
// the failing one are written, and nothing is removed).
void SaveSettings(platform::SettingsStore& store, const Settings& settings);
// What a dialog saves: the values `after` changes of `before` (the settings
// as the dialog found them), and the removal of the sources `after` lacks,
// so that what changed elsewhere meanwhile is not written back. Throws Error.
void SaveChanges(platform::SettingsStore& store, const Settings& before, const Settings& after);

// The modifier mask (1 Shift, 2 Ctrl, 4 Alt) as hotkey registration wants it
// (1 Alt, 2 Ctrl, 4 Shift). Only the three low bits count.
std::uint32_t RegistrationModifiers(std::int32_t shiftMask);

}  // namespace kestrel
