#pragma once
#include <string>

namespace kestrel {

// One field of the document-imaging system and the value captured for it.
// Shared by reference: the collection and every caller that fetched it through
// Item see the same object.
class clsFieldDef {
public:
    const std::string& Field() const { return field_; }
    void Field(const std::string& vData) { field_ = vData; }
    const std::string& value() const { return value_; }
    void value(const std::string& vData) { value_ = vData; }

private:
    std::string value_;
    std::string field_;
};

}  // namespace kestrel
