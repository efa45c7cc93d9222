#include "app/CIAsystray.h"

namespace kestrel::CIAsystray {
namespace {
platform::TrayIconRecord g_record;
}

const platform::TrayIconRecord& Record() { return g_record; }

void AddTrayIcon(forms::Form& window) {
    auto& shell = *platform::Current().shell;
    g_record = {};
    g_record.window = window.Handle();
    g_record.id = 1;
    g_record.flags = 7;  // message, icon and tip
    g_record.callbackMessage = kCallbackMessage;
    g_record.icon = shell.WindowIcon(window.Handle());
    g_record.tip = window.Caption();
    shell.NotifyIcon(kNimAdd, g_record);
    shell.SetTaskVisible(window.Handle(), false);
    window.Hide();
}

void RestoreTrayIcon() {
    if (g_record.window) platform::Current().shell->NotifyIcon(kNimAdd, g_record);
}

void RemoveTrayIcon(forms::Form&) { platform::Current().shell->NotifyIcon(kNimDelete, g_record); }

}  // namespace kestrel::CIAsystray
