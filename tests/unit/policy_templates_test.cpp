// The administrative templates must name exactly the values the program
// reads, and every text they refer to must exist in the language file.
#include <gtest/gtest.h>

#include <fstream>
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

TEST(PolicyTemplates, NameExactlyTheValuesTheProgramReads) {
    const auto admx = ReadFile(KESTREL_POLICY_DIR "/kestrel.admx");
    const auto adml = ReadFile(KESTREL_POLICY_DIR "/en-US/kestrel.adml");
    auto names = std::set<std::string>(setting::kAll.begin(), setting::kAll.end());
    names.insert(setting::kLog);
    EXPECT_EQ(Captures(admx, R"re(valueName="([^"]*)")re"), names);
    for (const auto& key : Captures(admx, R"re(key="([^"]*)")re")) EXPECT_EQ(key, "Software\\Policies\\Kestrel");

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
