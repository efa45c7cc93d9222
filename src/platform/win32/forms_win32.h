#pragma once
// The Windows renderer of form designs (platform/forms.h).
#include <windows.h>

#include "platform/forms.h"

namespace kestrel::win32 {

// The one form host of the process; forms live on the thread that loads them.
forms::FormHost& Win32FormHost();

// Gives a loaded form's keyboard interface (Tab, access keys, Enter, Esc) its
// turn at a message just taken from the queue. A message loop that may run
// while forms are shown calls it before TranslateMessage/DispatchMessage and
// skips both when it returns true.
bool PreTranslateFormMessage(MSG& msg);

}  // namespace kestrel::win32
