#pragma once
// What the program asks of the system, one interface each. The Win32
// implementations live in win32/, the scripted fake used by the native tests
// in tests/fake/. All text crossing the seam is UTF-8.

#include "platform/clipboard.h"
#include "platform/consoles.h"
#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/field_picker.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/hotkeys.h"
#include "platform/instances.h"
#include "platform/keyboard.h"
#include "platform/list_controls.h"
#include "platform/log_file.h"
#include "platform/message_boxes.h"
#include "platform/notification_area.h"
#include "platform/policy.h"
#include "platform/programs.h"
#include "platform/registry.h"
#include "platform/settings_changes.h"
#include "platform/settings_store.h"
#include "platform/text_controls.h"
#include "platform/timers.h"

namespace kestrel::platform {

// The services of one program, handed to the application object that gives
// each of its parts the ones it uses.
struct Services {
    SettingsStore& store;
    Clipboard& clipboard;
    EventLoop& events;
    Desktop& desktop;
    Keyboard& keyboard;
    MessageBoxes& messageBoxes;
    forms::FormHost& forms;
    Programs& programs;
    Files& files;
    HotKeys& hotKeys;
    NotificationArea& notificationArea;
    Registry& registry;
    Timers& timers;
    Instances& instances;
    TextControls& textControls;
    ListControls& listControls;
    Consoles& consoles;
    Policy& policy;
    LogFile& logFile;
    SettingsChanges& settingsChanges;
    FieldPicker& fieldPicker;
};

}  // namespace kestrel::platform
