#pragma once
#include "platform/services.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/consoles.h"
#include "platform/win32/desktop.h"
#include "platform/win32/event_loop.h"
#include "platform/win32/field_picker.h"
#include "platform/win32/files.h"
#include "platform/win32/form_host.h"
#include "platform/win32/hotkeys.h"
#include "platform/win32/instances.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/list_controls.h"
#include "platform/win32/log_file.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/notification_area.h"
#include "platform/win32/policy.h"
#include "platform/win32/programs.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/settings_changes.h"
#include "platform/win32/text_controls.h"
#include "platform/win32/timers.h"

namespace kestrel::win32 {

// The system's side of the seam for one program on one thread: one of each
// implementation, handed out as platform::Services. It outlives everything
// built on the services.
class Win32Services {
public:
    Win32Services() : Win32Services(Consoles::ThisProgram()) {}
    // `consoleReader`: the program that reads consoles where it is not this
    // one (a test's own).
    explicit Win32Services(std::wstring consoleReader) : consoles_(std::move(consoleReader)) {}
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    platform::Services services() {
        return {store_,    clipboard_, events_,  desktop_,          keyboard_,  messageBoxes_, forms_,
                programs_, files_,     hotKeys_, notificationArea_, registry_,  timers_,       instances_,
                textControls_, listControls_, consoles_, policy_, logFile_, settingsChanges_, fieldPicker_};
    }
    FormHost& forms() { return forms_; }

private:
    RegistryStore store_;
    Clipboard clipboard_;
    FormHost forms_;
    EventLoop events_{forms_};
    Desktop desktop_;
    Keyboard keyboard_;
    MessageBoxes messageBoxes_;
    Programs programs_;
    Files files_;
    // Declared after the form host, so gone before it: their subclasses leave
    // the windows first.
    HotKeys hotKeys_;
    FieldPicker fieldPicker_;
    NotificationArea notificationArea_;
    Instances instances_;
    Registry registry_;
    Timers timers_;
    TextControls textControls_;
    ListControls listControls_;
    Consoles consoles_;
    Policy policy_;
    LogFile logFile_;
    SettingsChanges settingsChanges_;
};

}  // namespace kestrel::win32
