// LoadSettings on a store and a policy that serve the input's texts for the
// six values: each one present or absent in the store, set by policy or not,
// and either source may fail to read it.
//
// Input: for each value in the order of setting::kAll, the store's text and
// then the policy's (each ended by a backslash and one more byte) from the
// front; from the end, per value, whether the store lacks it (odd byte) and
// what policy does (1 sets it, 2 fails, anything else not set); then which
// value the store fails on (1 to 6) and whether there is a policy at all
// (odd: none).

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "check.h"
#include "platform/control_classes.h"
#include "platform/error.h"
#include "settings/settings.h"
#include "settings/store_text.h"

namespace kestrel::fuzz {
namespace {

using setting::kAll;

bool IsKey(const std::string& key) {
    return std::find(kAll.begin(), kAll.end(), key) != kAll.end();
}

// One of the six values; the other sources' sections and optional values
// are absent here.
bool Served6(const std::string& section, const std::string& key) { return section == "Settings" && IsKey(key); }

void CheckPlace(const std::string& app, const std::string& section, const std::string& key) {
    FUZZ_CHECK(app == "Kestrel");
    FUZZ_CHECK(section == "Settings" || section.rfind("Source", 0) == 0);
    FUZZ_CHECK(!key.empty());
}

enum class PolicyState { NotSet, Set, Fails };

struct Served {
    bool inStore = false;
    std::string storeText;
    PolicyState policy = PolicyState::NotSet;
    std::string policyText;
};

// Both sources at once, recording the order the values are first asked for.
class Sources : public platform::SettingsStore, public platform::Policy {
public:
    std::map<std::string, Served> values;
    std::string failingKey;  // the store's
    std::vector<std::string> storeReads, policyReads, order;

    std::string Read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override {
        CheckPlace(app, section, key);
        if (!Served6(section, key)) return fallback;
        Asked(key);
        storeReads.push_back(key);
        if (key == failingKey) throw Error("the store cannot be read");
        const auto& v = values[key];
        return v.inStore ? v.storeText : fallback;
    }
    void Write(const std::string&, const std::string&, const std::string&, const std::string&) override {
        Fail("loading writes nothing", __FILE__, __LINE__);
    }
    void RemoveSection(const std::string&, const std::string&) override {
        Fail("loading removes nothing", __FILE__, __LINE__);
    }
    std::optional<std::string> Read(const std::string& section, const std::string& name) override {
        if (!Served6(section.empty() ? "Settings" : section, name)) return std::nullopt;
        Asked(name);
        policyReads.push_back(name);
        const auto& v = values[name];
        if (v.policy == PolicyState::Fails) throw Error("the policy cannot be read");
        if (v.policy == PolicyState::Set) return v.policyText;
        return std::nullopt;
    }
    bool MachineSets(const std::string&, const std::string&) override { return true; }
    void Clear() {
        storeReads.clear();
        policyReads.clear();
        order.clear();
    }

private:
    void Asked(const std::string& key) {
        if (std::find(order.begin(), order.end(), key) == order.end()) order.push_back(key);
    }
};

// A store that keeps what is written, for the round trip.
class MapStore : public platform::SettingsStore {
public:
    std::map<std::string, std::string> values;

    std::string Read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override {
        CheckPlace(app, section, key);
        const auto found = values.find(section + "\\" + key);
        return found == values.end() ? fallback : found->second;
    }
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& value) override {
        CheckPlace(app, section, key);
        values[section + "\\" + key] = value;
    }
    void RemoveSection(const std::string&, const std::string&) override {
        Fail("no source was removed", __FILE__, __LINE__);
    }
};

bool Converts(const std::string& key, const std::string& text) {
    if (key == setting::kSaveNext) return ParseBool(text).has_value();
    if (key == setting::kHotKey || key == setting::kHotKeyShift) return ParseInt16(text).has_value();
    return true;  // texts are taken as they are
}

std::size_t Count(const std::vector<std::string>& list, const std::string& key) {
    return static_cast<std::size_t>(std::count(list.begin(), list.end(), key));
}

// Whether policy sets the value: source 1's own or one every source shares.
bool FromPolicy(const Settings& s, const char* key) {
    const auto& own = setting::kSourceValues;
    const bool sourceValue = std::find_if(own.begin(), own.end(), [&](const char* k) { return std::string(k) == key; }) != own.end();
    return sourceValue ? s.sources.front().FromPolicy(key) : s.FromPolicy(key);
}

}  // namespace
}  // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    FuzzedDataProvider data(bytes, size);
    Sources sources;
    for (const char* key : kAll) {
        auto& v = sources.values[key];
        v.storeText = Text(data);
        v.policyText = Text(data);
        v.inStore = !data.ConsumeBool();
        const auto policy = data.ConsumeIntegral<std::uint8_t>();
        v.policy = policy == 1 ? PolicyState::Set : policy == 2 ? PolicyState::Fails : PolicyState::NotSet;
    }
    const auto failing = data.ConsumeIntegralInRange<int>(0, 63);
    if (failing >= 1 && failing <= 6) sources.failingKey = kAll[static_cast<std::size_t>(failing - 1)];
    const bool withPolicy = !data.ConsumeBool();
    platform::Policy* policy = withPolicy ? &sources : nullptr;
    if (!withPolicy)
        for (auto& [key, v] : sources.values) v.policy = PolicyState::NotSet;

    const std::map<std::string, const char*> defaults = {
        {setting::kSourceWindow, ""}, {setting::kSearchField, ""}, {setting::kDocumentType, ""},
        {setting::kHotKey, "122"},    {setting::kHotKeyShift, "0"}, {setting::kSaveNext, "False"}};
    const auto served = [&](const std::string& key) -> const Served& { return sources.values.at(key); };
    // The text LoadSettings sees for the value: policy's, the store's, or the default.
    const auto seen = [&](const std::string& key) {
        const auto& v = served(key);
        if (v.policy == PolicyState::Set) return v.policyText;
        return v.inStore ? v.storeText : std::string(defaults.at(key));
    };
    const auto readFails = [&](const std::string& key) {
        const auto& v = served(key);
        return v.policy == PolicyState::Fails || (v.policy == PolicyState::NotSet && key == sources.failingKey);
    };
    const auto fails = [&](const std::string& key) { return readFails(key) || !Converts(key, seen(key)); };

    const auto check = [&](const Settings& s) {
        // Texts are kept exactly; numbers and the flag are what their texts
        // say; a value that failed keeps its default.
        using namespace setting;
        FUZZ_CHECK(s.sources[0].window == (fails(kSourceWindow) ? "" : seen(kSourceWindow)));
        FUZZ_CHECK(s.sources[0].searchField == (fails(kSearchField) ? "" : seen(kSearchField)));
        FUZZ_CHECK(s.sources[0].documentType == (fails(kDocumentType) ? "" : seen(kDocumentType)));
        FUZZ_CHECK(s.hotKey == (fails(kHotKey) ? 122 : *ParseInt16(seen(kHotKey))));
        FUZZ_CHECK(s.hotKeyShift == (fails(kHotKeyShift) ? 0 : *ParseInt16(seen(kHotKeyShift))));
        FUZZ_CHECK(s.saveNext == (fails(kSaveNext) ? false : *ParseBool(seen(kSaveNext))));
        // The dialog locks exactly what policy sets.
        for (const char* key : kAll) FUZZ_CHECK(FromPolicy(s, key) == (served(key).policy == PolicyState::Set));
    };
    // Each value is asked of policy once, and of the store only where policy
    // neither sets it nor fails to tell.
    const auto checkReads = [&](bool all) {
        for (const char* key : kAll) {
            if (!all && std::find(sources.order.begin(), sources.order.end(), key) == sources.order.end()) continue;
            FUZZ_CHECK(Count(sources.policyReads, key) == (withPolicy ? 1u : 0u));
            FUZZ_CHECK(Count(sources.storeReads, key) == (served(key).policy == PolicyState::NotSet ? 1u : 0u));
        }
    };
    // A description names the value and the text it holds, so the user can
    // find it, and says when it is the administrator's.
    const auto checkDescription = [&](const std::string& key, const std::string& description) {
        const auto& v = served(key);
        if (v.policy == PolicyState::Fails) {
            FUZZ_CHECK(description == "the policy cannot be read");
        } else if (readFails(key)) {
            FUZZ_CHECK(description == "the store cannot be read");
        } else {
            FUZZ_CHECK(description.find("\"" + key + "\"") != std::string::npos);
            // An exception's text ends at a NUL, so only the text before one shows.
            const auto text = seen(key);
            FUZZ_CHECK(description.find(text.substr(0, text.find('\0'))) != std::string::npos);
            if (v.policy == PolicyState::Set) FUZZ_CHECK(description.find("policy") != std::string::npos);
        }
    };

    // Collecting the problem: every value is read, nothing is thrown.
    std::string problem;
    const auto collected = LoadSettings(sources, policy, &problem);
    FUZZ_CHECK(sources.order.size() == kAll.size());
    checkReads(true);
    // "First" in the order the values were asked for.
    const auto order = sources.order;
    const auto firstFailing = std::find_if(order.begin(), order.end(), fails);
    FUZZ_CHECK(problem.empty() == (firstFailing == order.end()));
    if (!problem.empty()) checkDescription(*firstFailing, problem);
    check(collected);

    // Throwing: the first failure ends the load.
    sources.Clear();
    Settings settings;
    try {
        settings = LoadSettings(sources, policy);
    } catch (const Error& e) {
        FUZZ_CHECK(firstFailing != order.end());
        FUZZ_CHECK(!sources.order.empty() && sources.order.back() == *firstFailing);
        checkReads(false);
        checkDescription(*firstFailing, e.what());
        return 0;
    }
    FUZZ_CHECK(firstFailing == order.end());
    FUZZ_CHECK(sources.order == order);
    FUZZ_CHECK(settings == collected);

    // What is saved is exactly the user's own values, and loads back (under
    // the same policy) as the same settings.
    MapStore saved;
    SaveSettings(saved, settings);
    for (const char* key : kAll)
        FUZZ_CHECK(saved.values.count(std::string("Settings\\") + key) == (FromPolicy(settings, key) ? 0u : 1u));
    FUZZ_CHECK(LoadSettings(saved, policy) == settings);

    // The administrator's control classes: every entry that does not read is
    // said as written, and one that does is known, before whatever follows.
    const auto name = data.ConsumeRandomLengthString(40);
    const auto entries = data.ConsumeRemainingBytesAsString();
    const platform::ControlClasses classes(entries);
    for (const auto& bad : classes.badEntries())
        FUZZ_CHECK(!bad.empty() && entries.find(bad) != std::string::npos);
    const bool plain = !name.empty() && name.find_first_of(";=") == std::string::npos &&
                       !std::isspace(static_cast<unsigned char>(name.front())) &&
                       !std::isspace(static_cast<unsigned char>(name.back()));
    if (plain)
        FUZZ_CHECK(platform::ControlClasses(name + "=list view;" + entries).KindOf(name) ==
                   platform::ControlKind::ListView);
    return 0;
}
