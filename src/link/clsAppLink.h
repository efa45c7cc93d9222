#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "link/colFields.h"
#include "settings/clsSettings.h"

namespace kestrel {

// Joins the source application to the document-imaging system: owns the
// settings and the field collection, grabs the source window's text into field
// 1 and runs the search or index operation on it.
class clsAppLink {
public:
    // Created on first access; replaceable by assignment.
    std::shared_ptr<clsSettings> oSettings();
    void oSettings(std::shared_ptr<clsSettings> vData) { settings_ = std::move(vData); }

    // 2 selects the index run, anything else the search. Held in 16 bits: a
    // value beyond them throws Error and leaves the stored one unchanged.
    void ProcedureType(std::int32_t vData);
    std::int32_t ProcedureType() const { return procedureType_; }

    // Start the script runner on field 1's value: a search, or an index run
    // through a script file. Neither passes an error on: an empty or missing
    // value shows "Error grabbing data from source window.", any other failure
    // ends the operation silently.
    void RunSearch();
    void RunIndex();

    // Captures the source window's text into field 1's value. Errors (no field
    // 1 among them, checked before anything is captured) go to the caller.
    void GrabData();

    std::shared_ptr<kestrel::colFields> colFields();
    void colFields(std::shared_ptr<kestrel::colFields> vData) { fields_ = std::move(vData); }

private:
    template <typename Runner>
    void RunOnValue(Runner runner);
    void RunnerSearch();
    void RunnerIndex();

    std::shared_ptr<clsSettings> settings_;
    std::shared_ptr<kestrel::colFields> fields_;
    std::int16_t procedureType_ = 0;
};

// Where the script runner halyard is installed, and the files it is given.
namespace runner {
inline constexpr const char* kFolder = "C:\\program files\\tamarind\\scripts";
std::string Program();     // the folder's halyard.exe
std::string ScriptFile();  // the folder's halyard.sc
// The command lines. The program path is quoted: it holds a blank, and
// unquoted Windows would try "C:\program.exe" first.
std::string SearchCommandLine(const std::string& documentType, const std::string& field, const std::string& value);
std::string IndexCommandLine();
inline constexpr const char* kResultWindow = "Document Center";
inline constexpr int kMinimizedActivated = 2;
}  // namespace runner

// The program-wide controller, created by whatever first touches it.
clsAppLink& AppLink();
// Drops the controller (the program's end; each test's start).
void ResetAppLink();

}  // namespace kestrel
