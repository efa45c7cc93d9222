#pragma once
#include <cstdint>
#include <string>

#include "platform/forms.h"

namespace kestrel {

inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002;

// Reads a machine-wide registry value as text into KeyVal: REG_SZ as it is
// stored, REG_DWORD as "&h" and its hexadecimal digits. Returns whether the
// value was read; a key or value that cannot be read leaves KeyVal empty.
// Throws Error for a value stored with no bytes at all.
bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                 std::string& KeyVal);

// Finds the system-information program through the registry and starts it, or
// says "System Information Is Unavailable At This Time".
void StartSysInfo();

// The About box: the application's title and version, and a button that starts
// the system-information program. Modeless and without an owner: it outlives
// an Exit of the main window, and the program ends when it closes.
class frmAbout {
public:
    static forms::FormDesign Design();
    // Shows the About box, loading it first unless it is already open.
    static void ShowAbout();
    static forms::Form* Current();  // the open About box, or nullptr
    static void Release();          // drops the object (the program's end; tests)

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    std::unique_ptr<forms::Form> form_;
    forms::Form* self_ = nullptr;
};

}  // namespace kestrel
