#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/clsFieldDef.h"

namespace kestrel {

// An ordered collection of field definitions, addressed by 1-based position or
// by the text key given when the item was added. Keys compare exactly.
class colFields {
public:
    // Throws Error when sKey is not empty and already present; nothing is added then.
    std::shared_ptr<clsFieldDef> Add(const std::string& sField, const std::string& sKey);
    // Both throw Error for a position outside 1..Count or an absent key.
    std::shared_ptr<clsFieldDef> Item(std::int32_t vntIndexKey) const;
    std::shared_ptr<clsFieldDef> Item(const std::string& vntIndexKey) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    void Remove(std::int32_t vntIndexKey);
    void Remove(const std::string& vntIndexKey);

private:
    struct Entry {
        std::string key;
        std::shared_ptr<clsFieldDef> item;
    };
    std::size_t IndexOf(std::int32_t position) const;
    std::size_t IndexOf(const std::string& key) const;
    std::vector<Entry> items_;
};

}  // namespace kestrel
