// The administrative templates must name exactly the values the program
// reads, and every text they refer to must exist in the language file.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "settings/settings.h"

namespace kestrel {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> Captures(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

// The value names of each policy key the templates write, from each <policy> element.
std::map<std::string, std::set<std::string>> ValuesByKey(const std::string& admx) {
    std::map<std::string, std::set<std::string>> byKey;
    for (auto at = admx.find("<policy "); at != std::string::npos; at = admx.find("<policy ", at + 1)) {
        const auto end = admx.find("</policy>", at);
        if (end == std::string::npos) throw std::runtime_error("a policy element does not end");
        const auto policy = admx.substr(at, end - at);
        const auto keys = Captures(policy, R"re(\skey="([^"]*)")re");
        if (keys.size() != 1) throw std::runtime_error("a policy without one key: " + policy.substr(0, 60));
        const auto values = Captures(policy, R"re(valueName="([^"]*)")re");
        byKey[*keys.begin()].insert(values.begin(), values.end());
    }
    return byKey;
}

TEST(PolicyTemplates, NameExactlyTheValuesTheProgramReads) {
    const auto admx = ReadFile(KESTREL_POLICY_DIR "/kestrel.admx");
    const auto adml = ReadFile(KESTREL_POLICY_DIR "/en-US/kestrel.adml");
    // The program's own key: every shared value, source 1's, the log's and the control classes.
    const std::string key = "Software\\Policies\\Kestrel";
    std::map<std::string, std::set<std::string>> expected;
    expected[key] = std::set<std::string>(setting::kAll.begin(), setting::kAll.end());
    expected[key].insert(setting::kSourceValues.begin(), setting::kSourceValues.end());
    expected[key].insert(setting::kLog);
    expected[key].insert(setting::kControlClasses);
    // Each other source's subkey: that source's values.
    for (int n = 2; n <= setting::kMaxSources; ++n)
        expected[key + "\\" + SourcePolicySection(n)] =
            std::set<std::string>(setting::kSourceValues.begin(), setting::kSourceValues.end());
    EXPECT_EQ(ValuesByKey(admx), expected);

    const auto strings = Captures(adml, R"re(<string id="([^"]*)")re");
    for (const auto& used : Captures(admx, R"re(\$\(string\.([^)]*)\))re"))
        EXPECT_TRUE(strings.count(used)) << "no text for " << used;
    const auto presentations = Captures(adml, R"re(<presentation id="([^"]*)")re");
    for (const auto& used : Captures(admx, R"re(\$\(presentation\.([^)]*)\))re"))
        EXPECT_TRUE(presentations.count(used)) << "no presentation " << used;
    const auto elements = Captures(admx, R"re(<(?:text|decimal) id="([^"]*)")re");
    EXPECT_EQ(Captures(adml, R"re(refId="([^"]*)")re"), elements) << "every box shows one element";
}

}  // namespace
}  // namespace kestrel
