#include "link/clsAppLink.h"

#include "app/modMain.h"
#include "platform/platform.h"

namespace kestrel {
namespace {
std::unique_ptr<clsAppLink> g_link;
}

clsAppLink& AppLink() {
    if (!g_link) g_link = std::make_unique<clsAppLink>();
    return *g_link;
}

void ResetAppLink() { g_link.reset(); }

std::shared_ptr<clsSettings> clsAppLink::oSettings() {
    if (!settings_) settings_ = std::make_shared<clsSettings>();
    return settings_;
}

std::shared_ptr<kestrel::colFields> clsAppLink::colFields() {
    if (!fields_) fields_ = std::make_shared<kestrel::colFields>();
    return fields_;
}

void clsAppLink::ProcedureType(std::int32_t vData) {
    if (vData < -32768 || vData > 32767) throw Error("Overflow");
    procedureType_ = static_cast<std::int16_t>(vData);
}

void clsAppLink::GrabData() {
    const auto title = oSettings()->SourceAppTitle();
    // The stored collection only: a grab never creates one.
    if (!fields_) throw Error("the field collection has no item 1");
    const auto field = fields_->Item(1);
    const auto grabType = oSettings()->GrabType();
    field->value(modMain::GetSourceText(title, grabType));
}

}  // namespace kestrel
