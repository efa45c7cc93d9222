#pragma once
#include <string>

namespace kestrel {

// The document-imaging system's field that the search looks in, and the value
// captured for it.
struct Field {
    std::string name;
    std::string value;
};

}  // namespace kestrel
