#include "app/application.h"

#include "platform/platform.h"

namespace kestrel {

int ShowMessage(const std::string& text, int style) {
    return platform::Current().dialogs->ShowMessageBox(text, style, kAppTitle);
}

}  // namespace kestrel
