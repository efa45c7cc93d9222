// The search's command line, built from the stored document type and field
// and the captured value.

#include "check.h"
#include "link/runner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    FuzzedDataProvider data(bytes, size);
    const auto documentType = Text(data);
    const auto field = Text(data);
    const auto value = data.ConsumeRemainingBytesAsString();

    const auto line = runner::SearchCommandLine(documentType, field, value);
    const auto program = runner::Program();
    // Windows takes the program from the first quoted run: it must be the
    // runner's path whole, and the arguments start after a blank.
    FUZZ_CHECK(program.find('"') == std::string::npos);
    FUZZ_CHECK(StartsWith(line, "\"" + program + "\" "));
    // The runner parses the criteria itself: every text goes in as it is.
    const auto arguments = line.substr(program.size() + 3);
    FUZZ_CHECK(StartsWith(arguments, "Index=" + documentType + ";"));
    FUZZ_CHECK(arguments.find(";Criteria=" + field + "=", 6 + documentType.size()) == 6 + documentType.size());
    FUZZ_CHECK(EndsWith(arguments, "'" + value + "'"));
    FUZZ_CHECK(arguments.size() == 6 + documentType.size() + 10 + field.size() + 1 + value.size() + 2);
    return 0;
}
