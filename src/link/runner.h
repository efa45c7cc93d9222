#pragma once
#include <string>

#include "platform/programs.h"

// Where the script runner halyard is installed, and what it is given.
namespace kestrel::runner {

inline constexpr const char* kFolder = "C:\\program files\\tamarind\\scripts";
inline constexpr const char* kResultWindow = "Document Center";
inline constexpr platform::ShowAs kShowAs = platform::ShowAs::MinimizedActive;

std::string Program();     // the folder's halyard.exe
std::string ScriptFile();  // the folder's halyard.sc
// The command lines. The program path is quoted: it holds a blank, and
// unquoted Windows would try "C:\program.exe" first.
std::string SearchCommandLine(const std::string& documentType, const std::string& field, const std::string& value);
std::string IndexCommandLine();

}  // namespace kestrel::runner
