#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

// The user's configuration, loaded from and saved to the per-user settings
// store (application "Kestrel", section "Settings"). Properties are get/set
// overload pairs; nothing reaches the store before SaveSettings.
class clsSettings {
public:
    bool savenext() const { return savenext_; }
    void savenext(bool vData) { savenext_ = vData; }

    // RegisterHotKey's modifier flags (1 Alt, 2 Ctrl, 4 Shift), derived from HotKeyShift.
    std::int16_t HotKeyMod() const { return hotKeyMod_; }

    // The modifier mask as key-down events report it (1 Shift, 2 Ctrl, 4 Alt).
    void HotKeyShift(std::int16_t vData);
    std::int16_t HotKeyShift() const { return hotKeyShift_; }

    void HotKey(std::int16_t vData) { hotKey_ = vData; }
    std::int16_t HotKey() const { return hotKey_; }

    // The only capture method is "Cursor": whatever is set, "Cursor" is read.
    void GrabType(const std::string& vData) { grabType_ = vData; }
    std::string GrabType() {
        grabType_ = "Cursor";
        return grabType_;
    }

    // Both return True or throw Error; a load that fails part-way keeps the
    // values read before the failing key.
    bool SaveSettings();
    bool GetSettings();

    void Field(const std::string& vData) { field_ = vData; }
    const std::string& Field() const { return field_; }
    void AppName(const std::string& vData) { appName_ = vData; }
    const std::string& AppName() const { return appName_; }
    void SourceAppTitle(const std::string& vData) { sourceAppTitle_ = vData; }
    const std::string& SourceAppTitle() const { return sourceAppTitle_; }

    // The value's two's-complement bits, most significant first (32 characters).
    static std::string ConvertLongToBinaryString(std::int32_t value);

private:
    std::string sourceAppTitle_;
    std::string appName_;
    std::string field_;
    std::string grabType_;
    std::int16_t hotKey_ = 0;
    std::int16_t hotKeyShift_ = 0;
    std::int16_t hotKeyMod_ = 0;
    bool savenext_ = false;
};

// The store's text conversions; nullopt when the text does not convert.
std::optional<std::int16_t> TextToInt16(const std::string& text);
std::optional<bool> TextToBool(const std::string& text);

}  // namespace kestrel
