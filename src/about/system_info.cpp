#include "about/system_info.h"

#include <cstdint>

#include "platform/app_title.h"
#include "platform/error.h"

namespace kestrel {
namespace {

constexpr std::size_t kBufferSize = 1024;

}  // namespace

bool ReadRegistryText(platform::Registry& registry, const std::string& key, const std::string& name,
                      std::string& value) {
    const auto read = registry.ReadValue(platform::RegistryRoot::LocalMachine, key, name, kBufferSize);
    if (!read.opened || !read.read) {
        value.clear();
        return false;
    }
    if (read.data.empty()) throw Error("the registry value " + name + " is empty");
    auto text = read.data;
    if (text.back() == '\0') text.pop_back();
    if (read.type == platform::RegistryType::Text) {
        value = registry.FromAnsi(text);
    } else if (read.type == platform::RegistryType::Number) {
        // The value's own digits: every byte counts, the zeros inside it too.
        std::uint32_t number = 0;
        for (std::size_t i = read.data.size(); i-- > 0;)
            number = (number << 8) | static_cast<unsigned char>(read.data[i]);
        std::string hex;
        do {
            hex.insert(hex.begin(), "0123456789ABCDEF"[number & 0xF]);
            number >>= 4;
        } while (number != 0);
        value = "&h" + value + hex;
    }
    return true;
}

void StartSystemInfo(platform::Registry& registry, platform::Files& files, platform::Programs& programs,
                     platform::MessageBoxes& messageBoxes) {
    const auto unavailable = [&] {
        ShowMessage(messageBoxes, "System Information Is Unavailable At This Time", platform::Modality::Application);
    };
    try {
        std::string path;
        if (!ReadRegistryText(registry, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
            if (ReadRegistryText(registry, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path) &&
                files.Exists(path + "\\MSINFO32.EXE")) {
                path += "\\MSINFO32.EXE";
            } else {
                unavailable();
                return;
            }
        }
        // The path names the program itself: give it as such, so that a blank
        // in it never makes Windows start some other program.
        programs.Start(path, path, platform::ShowAs::Normal);
    } catch (const std::exception&) {
        unavailable();
    }
}

}  // namespace kestrel
