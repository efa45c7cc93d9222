#include "settings/source_check.h"

#include "capture/value_from.h"
#include "platform/error.h"
#include "platform/text_case.h"
#include "settings/pattern_check.h"

namespace kestrel {
namespace {

// The character as the user would name it.
std::string Named(char32_t c) {
    if (c == U'\r' || c == U'\n') return "a line break";
    if (c == U'\t') return "a tab";
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
        static const char kHex[] = "0123456789ABCDEF";
        std::string code = "U+00";
        code += kHex[(c >> 4) & 0xF];
        code += kHex[c & 0xF];
        return "a control character (" + code + ")";
    }
    std::string quoted = "'";
    quoted += static_cast<char>(c);
    return quoted + "'";
}

}  // namespace

std::string SearchTextProblem(const char* what, const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        const char32_t c = platform::DecodeAt(text, at);
        const bool control = c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
        if (control || c == U';' || c == U'=' || c == U'\'' || c == U'"')
            return std::string("the ") + what + " holds " + Named(c) + ", which a search cannot carry";
    }
    if (characters > kMaxSearchTextCharacters)
        return std::string("the ") + what + " is " + std::to_string(characters) + " characters long, over the " +
               std::to_string(kMaxSearchTextCharacters) + " a search takes";
    return {};
}

std::string SourceProblem(const Source& source) {
    if (source.searchField.empty()) return "Please enter a field to search.";
    if (source.documentType.empty()) return "Please enter a Document Type.";
    for (const auto& [what, text] : {std::pair<const char*, const std::string&>{"document type", source.documentType},
                                     {"search field", source.searchField}}) {
        auto problem = SearchTextProblem(what, text);
        if (!problem.empty()) {
            problem[0] = 'T';
            return problem + ".";
        }
    }
    if (const auto problem = PatternProblem(source.valuePattern); !problem.empty())
        return "The value pattern does not read: " + problem;
    try {
        ParseValueFrom(source.valueFrom);
    } catch (const Error& e) {
        return std::string("The place to take the value from (ValueFrom) does not read: ") + e.what() + ".";
    }
    return {};
}

}  // namespace kestrel
