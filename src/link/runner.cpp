#include "link/runner.h"

namespace kestrel::runner {

std::string Program() { return std::string(kFolder) + "\\halyard.exe"; }
std::string ScriptFile() { return std::string(kFolder) + "\\halyard.sc"; }

std::string SearchCommandLine(const std::string& documentType, const std::string& field, const std::string& value) {
    // The value goes in exactly as captured: the runner parses it itself.
    return "\"" + Program() + "\" Index=" + documentType + ";Criteria=" + field + "='" + value + "'";
}

std::string IndexCommandLine() { return "\"" + Program() + "\" " + ScriptFile(); }

}  // namespace kestrel::runner
