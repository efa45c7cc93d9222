#include "settings/clsSettings.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "app/application.h"
#include "platform/platform.h"

namespace kestrel {
namespace {

constexpr const char* kSection = "Settings";

std::string Trim(const std::string& s) {
    auto begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    auto end = s.find_last_not_of(" \t");
    return s.substr(begin, end - begin + 1);
}

std::string Read(const char* key, const std::string& fallback) {
    return platform::Current().store->GetSetting(kAppTitle, kSection, key, fallback);
}

void Write(const char* key, const std::string& value) {
    platform::Current().store->SaveSetting(kAppTitle, kSection, key, value);
}

[[noreturn]] void NotConvertible(const char* key, const std::string& text, const char* expected) {
    throw Error(std::string("the setting \"") + key + "\" holds \"" + text + "\", which is not " + expected);
}

}  // namespace

std::optional<std::int16_t> TextToInt16(const std::string& text) {
    const auto t = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    if (i == t.size()) return std::nullopt;
    long value = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > 32768) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::optional<bool> TextToBool(const std::string& text) {
    const auto t = Trim(text);
    std::string lower;
    for (char c : t) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "true") return true;
    if (lower == "false") return false;
    // Any number: 0 is False, everything else True.
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    const double number = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || std::isnan(number)) return std::nullopt;
    return number != 0;
}

void clsSettings::HotKeyShift(std::int16_t vData) {
    hotKeyShift_ = vData;
    const auto bits = ConvertLongToBinaryString(vData);  // widened with its sign
    const auto digit = [&](std::size_t i) { return static_cast<std::int16_t>(bits[i] - '0'); };
    // The last three characters are Alt, Ctrl, Shift; RegisterHotKey wants them reversed.
    hotKeyMod_ = static_cast<std::int16_t>(digit(30) * 2 + digit(29) + digit(31) * 4);
}

std::string clsSettings::ConvertLongToBinaryString(std::int32_t value) {
    std::string bits = value < 0 ? "1" : "0";
    for (int i = 30; i >= 0; --i) bits += (value & (std::int32_t{1} << i)) ? '1' : '0';
    return bits;
}

bool clsSettings::GetSettings() {
    GrabType("Cursor");
    SourceAppTitle(Read("SourceWindow", ""));
    Field(Read("Field", ""));
    AppName(Read("AppName", ""));

    auto text = Read("Hotkey", "122");
    auto number = TextToInt16(text);
    if (!number) NotConvertible("Hotkey", text, "a whole number from -32768 to 32767");
    HotKey(*number);

    text = Read("HotKeyShift", "0");
    number = TextToInt16(text);
    if (!number) NotConvertible("HotKeyShift", text, "a whole number from -32768 to 32767");
    HotKeyShift(*number);

    text = Read("SaveNext", "False");
    const auto flag = TextToBool(text);
    if (!flag) NotConvertible("SaveNext", text, "True, False or a number");
    savenext(*flag);
    return true;
}

bool clsSettings::SaveSettings() {
    Write("SourceWindow", SourceAppTitle());
    Write("Field", Field());
    Write("AppName", AppName());
    Write("Hotkey", std::to_string(HotKey()));
    Write("HotKeyShift", std::to_string(HotKeyShift()));
    Write("SaveNext", savenext() ? "True" : "False");
    return true;
}

}  // namespace kestrel
