#include "link/colFields.h"

#include "platform/platform.h"

namespace kestrel {

std::shared_ptr<clsFieldDef> colFields::Add(const std::string& sField, const std::string& sKey) {
    if (!sKey.empty()) {
        for (const auto& e : items_)
            if (e.key == sKey) throw Error("the field collection already holds an item with the key \"" + sKey + "\"");
    }
    auto item = std::make_shared<clsFieldDef>();
    item->Field(sField);
    items_.push_back({sKey, item});
    return item;
}

std::size_t colFields::IndexOf(std::int32_t position) const {
    if (position < 1 || position > Count())
        throw Error("the field collection has no item " + std::to_string(position));
    return static_cast<std::size_t>(position - 1);
}

std::size_t colFields::IndexOf(const std::string& key) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!key.empty() && items_[i].key == key) return i;
    throw Error("the field collection has no item with the key \"" + key + "\"");
}

std::shared_ptr<clsFieldDef> colFields::Item(std::int32_t vntIndexKey) const { return items_[IndexOf(vntIndexKey)].item; }
std::shared_ptr<clsFieldDef> colFields::Item(const std::string& vntIndexKey) const { return items_[IndexOf(vntIndexKey)].item; }

void colFields::Remove(std::int32_t vntIndexKey) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(IndexOf(vntIndexKey))); }
void colFields::Remove(const std::string& vntIndexKey) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(IndexOf(vntIndexKey))); }

}  // namespace kestrel
