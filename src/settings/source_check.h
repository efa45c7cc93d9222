#pragma once
#include <optional>
#include <string>

#include "settings/settings.h"

namespace kestrel {

// What a document type or search field may hold. Both go into the runner's
// command line as they are ("Index=<type>;Criteria=<field>='<value>'"), where
// ';', '=' and '\'' separate its parts and '"' ends an argument, and the
// search field into the index script as a string; a control character
// breaks either. The administrative templates allow 255 characters.
inline constexpr std::size_t kMaxSearchTextCharacters = 255;

// Why `text` cannot serve as the `what` ("document type", "search field") of
// a search, as words for the user ("the search field holds ';'"); empty when
// it can. An empty text is no problem here.
std::string SearchTextProblem(const char* what, const std::string& text);

// The first of the source's document type and search field that a search
// cannot carry (as SearchTextProblem says), with its value's name; none when
// both can.
struct SearchTextFault {
    const char* key;  // setting::kDocumentType or setting::kSearchField
    std::string why;
};
std::optional<SearchTextFault> SearchTextsProblem(const Source& source);

// The first thing that keeps `source` from being saved or searched, as a
// sentence for the user; empty when nothing does. Missing values say what the
// Settings dialog always said ("Please enter a field to search."); the others
// name the value ("The search field holds ';', which a search cannot carry.").
std::string SourceProblem(const Source& source);

}  // namespace kestrel
