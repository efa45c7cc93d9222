#include "settings/settings.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "platform/app_title.h"
#include "platform/error.h"
#include "platform/hotkeys.h"
#include "platform/key_codes.h"
#include "settings/store_text.h"

namespace kestrel {
namespace {

constexpr const char* kSection = "Settings";
// What the store gives for a value it lacks, when presence matters: a text
// value of the registry cannot hold a NUL, so no stored value reads as this.
const std::string kAbsent("\0absent", 7);

std::string NotConvertible(const char* source, const std::string& key, const std::string& text,
                           const char* expected) {
    return std::string("the ") + source + "setting \"" + key + "\" holds \"" + text + "\", which is not " + expected;
}

// Reads the values one by one; a failure is kept (the first one) or thrown.
class Reader {
public:
    Reader(platform::SettingsStore& store, platform::Policy* policy, std::string* problem)
        : store_(store), policy_(policy), problem_(problem) {}

    // Into `into` when the value is there (in policy or the store) and
    // converts; `fromPolicy` gains its name when policy sets it. Returns
    // whether the value is there.
    template <typename Value, typename Parse>
    bool Read(int source, const char* key, const std::string& fallback, Value& into, Parse parse,
              const char* expected, std::set<std::string>& fromPolicy) {
        const auto policySection = SourcePolicySection(source);
        const std::string name = policySection.empty() ? key : policySection + "\\" + key;
        try {
            std::optional<std::string> text;
            if (policy_) text = policy_->Read(policySection, key);
            const bool fromPolicyNow = text.has_value();
            if (fromPolicyNow) fromPolicy.insert(key);
            if (!text) text = store_.Read(kAppTitle, SourceSection(source), key, fallback);
            if (!fromPolicyNow && fallback == kAbsent && *text == kAbsent) return false;
            const auto value = parse(*text);
            if (!value) throw Error(NotConvertible(fromPolicyNow ? "policy " : "", name, *text, expected));
            into = *value;
        } catch (const Error& e) {
            if (!problem_) throw;
            if (problem_->empty()) *problem_ = e.what();
        }
        return true;
    }

private:
    platform::SettingsStore& store_;
    platform::Policy* policy_;
    std::string* problem_;
};

std::optional<std::string> AnyText(const std::string& text) { return text; }

}  // namespace

std::string SourceSection(int number) { return number == 1 ? kSection : "Source" + std::to_string(number); }

std::string SourcePolicySection(int number) { return number == 1 ? "" : SourceSection(number); }

std::string Source::Missing() const {
    if (documentType.empty() && searchField.empty()) return "no document type and no search field";
    if (documentType.empty()) return "no document type";
    return searchField.empty() ? "no search field" : "";
}

bool Settings::Complete() const {
    return std::any_of(sources.begin(), sources.end(), [](const Source& s) { return s.Complete(); });
}

std::vector<Source> Settings::Searchable() const {
    std::vector<Source> all;
    std::copy_if(sources.begin(), sources.end(), std::back_inserter(all), [](const Source& s) { return s.Complete(); });
    return all;
}

std::vector<Source> Settings::Skipped() const {
    std::vector<Source> skipped;
    std::copy_if(sources.begin(), sources.end(), std::back_inserter(skipped),
                 [](const Source& s) { return s.number > 1 && !s.Complete(); });
    return skipped;
}

int Settings::FreeSourceNumber() const {
    for (int n = 2; n <= setting::kMaxSources; ++n)
        if (std::none_of(sources.begin(), sources.end(), [n](const Source& s) { return s.number == n; })) return n;
    return 0;
}

Settings LoadSettings(platform::SettingsStore& store, platform::Policy* policy, std::string* problem) {
    using namespace setting;
    Settings s;
    Reader reader(store, policy, problem);
    constexpr const char* kNumber = "a whole number from -32768 to 32767";
    auto& first = s.sources.front();
    auto& shared = s.fromPolicy;
    // In the order source 1's values have always been read.
    reader.Read(1, kSourceWindow, "", first.window, AnyText, "", first.fromPolicy);
    reader.Read(1, kSearchField, "", first.searchField, AnyText, "", first.fromPolicy);
    reader.Read(1, kDocumentType, "", first.documentType, AnyText, "", first.fromPolicy);
    reader.Read(1, kHotKey, "122", s.hotKey, ParseInt16, kNumber, shared);
    reader.Read(1, kHotKeyShift, "0", s.hotKeyShift, ParseInt16, kNumber, shared);
    reader.Read(1, kSaveNext, "False", s.saveNext, ParseBool, "True, False or a number", shared);
    reader.Read(1, kValuePattern, "", first.valuePattern, AnyText, "", first.fromPolicy);
    reader.Read(1, kColumn, "", first.column, AnyText, "", first.fromPolicy);
    reader.Read(1, kValueFrom, "", first.valueFrom, AnyText, "", first.fromPolicy);
    std::set<std::string> administrators;  // not the user's to see or save
    reader.Read(1, kControlClasses, "", s.controlClasses, AnyText, "", administrators);
    for (int n = 2; n <= kMaxSources; ++n) {
        Source source;
        source.number = n;
        bool present = false;
        const auto read = [&](const char* key, std::string& into) {
            present = reader.Read(n, key, kAbsent, into, AnyText, "", source.fromPolicy) || present;
        };
        read(kSourceWindow, source.window);
        read(kSearchField, source.searchField);
        read(kDocumentType, source.documentType);
        read(kValuePattern, source.valuePattern);
        read(kColumn, source.column);
        read(kValueFrom, source.valueFrom);
        if (present) s.sources.push_back(std::move(source));
    }
    return s;
}

void SaveSettings(platform::SettingsStore& store, const Settings& s) {
    using namespace setting;
    // A policy value is the administrator's, never copied into the user's own.
    const auto write = [&](const Source& source, const char* key, const std::string& value) {
        if (!source.FromPolicy(key)) store.Write(kAppTitle, SourceSection(source.number), key, value);
    };
    const auto& first = s.sources.front();
    write(first, kSourceWindow, first.window);
    write(first, kSearchField, first.searchField);
    write(first, kDocumentType, first.documentType);
    Source shared;  // the values every source shares, in source 1's section
    shared.fromPolicy = s.fromPolicy;
    write(shared, kHotKey, std::to_string(s.hotKey));
    write(shared, kHotKeyShift, std::to_string(s.hotKeyShift));
    write(shared, kSaveNext, s.saveNext ? "True" : "False");
    write(first, kValuePattern, first.valuePattern);
    write(first, kColumn, first.column);
    write(first, kValueFrom, first.valueFrom);
    for (const auto& source : s.sources) {
        // A skipped section is left as it is.
        if (source.number == 1 || !source.Complete()) continue;
        write(source, kSourceWindow, source.window);
        write(source, kSearchField, source.searchField);
        write(source, kDocumentType, source.documentType);
        write(source, kValuePattern, source.valuePattern);
        write(source, kColumn, source.column);
        write(source, kValueFrom, source.valueFrom);
    }
    // Only once every value is written: a failure before leaves the old sections.
    for (const int number : s.removedSources) {
        const auto kept = [number](const Source& source) { return source.number == number; };
        if (number >= 2 && std::none_of(s.sources.begin(), s.sources.end(), kept))
            store.RemoveSection(kAppTitle, SourceSection(number));
    }
}

void SaveChanges(platform::SettingsStore& store, const Settings& /*before*/, const Settings& after) {
    SaveSettings(store, after);
}

std::uint32_t RegistrationModifiers(std::int32_t shiftMask) {
    return (shiftMask & platform::kShiftMaskShift ? platform::kModShift : 0u) |
           (shiftMask & platform::kShiftMaskControl ? platform::kModControl : 0u) |
           (shiftMask & platform::kShiftMaskAlt ? platform::kModAlt : 0u);
}

}  // namespace kestrel
