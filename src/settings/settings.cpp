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
    Reader(platform::SettingsStore& store, platform::Policy* policy, std::string* problem,
           std::set<std::string>& unreadable)
        : store_(store), policy_(policy), problem_(problem), unreadable_(unreadable) {}

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
            unreadable_.insert(SourceSection(source) + "\\" + key);
        }
        return true;
    }

private:
    platform::SettingsStore& store_;
    platform::Policy* policy_;
    std::string* problem_;
    std::set<std::string>& unreadable_;
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
    Reader reader(store, policy, problem, s.unreadable);
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

namespace {

// One write of a save (or, with no key, a section's removal), with what the
// store held there before, to put back should a later one fail.
struct Step {
    std::string section;
    const char* key = nullptr;
    std::string value;
    std::string old;              // kAbsent: the key was not there
    std::vector<std::pair<const char*, std::string>> removed;  // a removed section's values
};

const Source* Numbered(const Settings& s, int number) {
    const auto found = std::find_if(s.sources.begin(), s.sources.end(),
                                    [number](const Source& source) { return source.number == number; });
    return found == s.sources.end() ? nullptr : &*found;
}

const std::string* Value(const Source& s, const std::string& key) {
    using namespace setting;
    if (key == kSourceWindow) return &s.window;
    if (key == kDocumentType) return &s.documentType;
    if (key == kSearchField) return &s.searchField;
    if (key == kValueFrom) return &s.valueFrom;
    return key == kValuePattern ? &s.valuePattern : &s.column;
}

// What a value absent from source 1's section reads as: written back, it
// reads the same, since the store cannot remove a single value. (In a
// section that holds other values, an absent source value reads as empty.)
std::string AbsentAs(const char* key) {
    using namespace setting;
    const std::string k = key;
    if (k == kHotKey) return "122";
    if (k == kHotKeyShift) return "0";
    return k == kSaveNext ? "False" : "";
}

// Takes back what the steps before `done` wrote, last first. Best effort:
// the store has already failed once.
void Undo(platform::SettingsStore& store, const std::vector<Step>& steps, std::size_t done,
          const std::set<std::string>& fresh) {
    // A new section that held nothing before goes again as a whole.
    std::set<std::string> emptied = fresh, gone;
    for (const auto& step : steps)
        if (step.key && step.old != kAbsent) emptied.erase(step.section);
    for (std::size_t i = done; i-- > 0;) {
        const auto& step = steps[i];
        try {
            if (!step.key) {
                for (const auto& [key, text] : step.removed) store.Write(kAppTitle, step.section, key, text);
            } else if (emptied.count(step.section)) {
                if (gone.insert(step.section).second) store.RemoveSection(kAppTitle, step.section);
            } else {
                store.Write(kAppTitle, step.section, step.key, step.old == kAbsent ? AbsentAs(step.key) : step.old);
            }
        } catch (const std::exception&) {
        }
    }
}

}  // namespace

void SaveChanges(platform::SettingsStore& store, const Settings& before, const Settings& after) {
    using namespace setting;
    // Everything is checked, and what each write replaces read, before the
    // first write: a save refused or unreadable changes nothing.
    std::vector<Step> steps;
    std::set<std::string> fresh;  // sections written whole, as new sources
    const auto change = [&](const Source& source, const char* key, const std::string& was, const std::string& is,
                            bool whole) {
        const auto section = SourceSection(source.number);
        if (!source.FromPolicy(key) && (whole || was != is || before.unreadable.count(section + "\\" + key)))
            steps.push_back({section, key, is, {}, {}});
    };
    const auto& first = after.sources.front();
    const Source* firstBefore = Numbered(before, 1);
    if (first.number != 1 || !firstBefore) throw Error("cannot save settings: source 1 is missing");
    // Source 1's section, saved for the first time, is written whole, as a new source's is.
    bool firstSave = true;
    for (const char* key : {kSourceWindow, kSearchField, kDocumentType, kHotKey, kHotKeyShift, kSaveNext,
                            kValuePattern, kColumn, kValueFrom})
        firstSave = firstSave && store.Read(kAppTitle, kSection, key, kAbsent) == kAbsent;
    change(first, kSourceWindow, firstBefore->window, first.window, firstSave);
    change(first, kSearchField, firstBefore->searchField, first.searchField, firstSave);
    change(first, kDocumentType, firstBefore->documentType, first.documentType, firstSave);
    Source shared;  // the values every source shares, in source 1's section
    shared.fromPolicy = after.fromPolicy;
    change(shared, kHotKey, std::to_string(before.hotKey), std::to_string(after.hotKey), firstSave);
    change(shared, kHotKeyShift, std::to_string(before.hotKeyShift), std::to_string(after.hotKeyShift), firstSave);
    change(shared, kSaveNext, before.saveNext ? "True" : "False", after.saveNext ? "True" : "False", firstSave);
    change(first, kValuePattern, firstBefore->valuePattern, first.valuePattern, firstSave);
    change(first, kColumn, firstBefore->column, first.column, firstSave);
    change(first, kValueFrom, firstBefore->valueFrom, first.valueFrom, firstSave);
    std::set<int> numbers;
    for (const auto& source : after.sources) {
        if (source.number < 1 || source.number > kMaxSources || !numbers.insert(source.number).second)
            throw Error("cannot save settings: source number " + std::to_string(source.number) + " is not one of 1 to 9");
        if (source.number == 1) continue;
        const Source* was = Numbered(before, source.number);
        const bool whole = !was || before.removedSources.count(source.number);
        const Source empty;
        const Source& old = was ? *was : empty;
        const auto count = steps.size();
        if (whole) fresh.insert(SourceSection(source.number));
        // The document type last: until it is there, a new section is never searched.
        change(source, kSourceWindow, old.window, source.window, whole);
        change(source, kValuePattern, old.valuePattern, source.valuePattern, whole);
        change(source, kColumn, old.column, source.column, whole);
        change(source, kValueFrom, old.valueFrom, source.valueFrom, whole);
        change(source, kSearchField, old.searchField, source.searchField, whole);
        change(source, kDocumentType, old.documentType, source.documentType, whole);
        // A skipped section the user left alone stays as it is; one changed
        // is written only complete.
        if (steps.size() != count && !source.Complete())
            throw Error("cannot save settings: source " + std::to_string(source.number) + " has " + source.Missing());
    }
    for (const int number : after.removedSources)
        if (number >= 2 && number <= kMaxSources && !numbers.count(number)) 
            steps.push_back({SourceSection(number), nullptr, {}, {}, {}});
    for (auto& step : steps) {
        if (step.key) {
            step.old = store.Read(kAppTitle, step.section, step.key, kAbsent);
            continue;
        }
        for (const char* key : kSourceValues) {
            auto text = store.Read(kAppTitle, step.section, key, kAbsent);
            if (text != kAbsent) step.removed.emplace_back(key, std::move(text));
        }
    }
    // Values first, removals last; each only if nothing failed before it.
    std::size_t done = 0;
    try {
        for (; done < steps.size(); ++done) {
            const auto& step = steps[done];
            if (step.key)
                store.Write(kAppTitle, step.section, step.key, step.value);
            else
                store.RemoveSection(kAppTitle, step.section);
        }
    } catch (const std::exception&) {
        Undo(store, steps, done, fresh);
        throw;
    }
}

std::vector<SettingChange> Differences(const Settings& before, const Settings& after) {
    using namespace setting;
    std::vector<SettingChange> changes;
    for (int n = 1; n <= kMaxSources; ++n) {
        const Source* was = Numbered(before, n);
        const Source* is = Numbered(after, n);
        const auto prefix = "source " + std::to_string(n);
        if (!was || !is) {
            if (was || is) changes.push_back({prefix + (is ? " added" : " removed"), !(is ? is : was)->fromPolicy.empty()});
            continue;
        }
        const std::pair<const char*, const char*> names[] = {{kSourceWindow, " window title"},
                                                             {kDocumentType, " document type"},
                                                             {kSearchField, " search field"},
                                                             {kValuePattern, " value pattern"},
                                                             {kColumn, " column"},
                                                             {kValueFrom, " value from"}};
        for (const auto& [key, name] : names) {
            const bool policy = was->FromPolicy(key) || is->FromPolicy(key);
            if (*Value(*was, key) != *Value(*is, key) || was->FromPolicy(key) != is->FromPolicy(key))
                changes.push_back({prefix + name, policy});
        }
    }
    const auto shared = [&](bool differs, std::initializer_list<const char*> keys, const char* name) {
        bool policy = false, moved = false;
        for (const char* key : keys) {
            policy = policy || before.FromPolicy(key) || after.FromPolicy(key);
            moved = moved || before.FromPolicy(key) != after.FromPolicy(key);
        }
        if (differs || moved) changes.push_back({name, policy});
    };
    shared(before.hotKey != after.hotKey || before.hotKeyShift != after.hotKeyShift, {kHotKey, kHotKeyShift},
           "hotkey");
    shared(before.saveNext != after.saveNext, {kSaveNext}, "save next");
    // The administrator's alone, in the store or policy: said as from the store.
    shared(before.controlClasses != after.controlClasses, {}, "control classes");
    return changes;
}

std::uint32_t RegistrationModifiers(std::int32_t shiftMask) {
    return (shiftMask & platform::kShiftMaskShift ? platform::kModShift : 0u) |
           (shiftMask & platform::kShiftMaskControl ? platform::kModControl : 0u) |
           (shiftMask & platform::kShiftMaskAlt ? platform::kModAlt : 0u);
}

}  // namespace kestrel
