// Where a source takes its value from, as the store or policy holds it: any
// text reads as one of the forms or is refused with a reason, and what reads
// reads the same again from the form it kept.

#include "capture/value_from.h"
#include "check.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    ValueFrom v;
    try {
        v = ParseValueFrom(text);
    } catch (const Error& e) {
        FUZZ_CHECK(*e.what() != '\0');
        return 0;
    }
    using Place = ValueFrom::Place;
    FUZZ_CHECK(text.find(v.written) != std::string::npos);
    if (!v.written.empty()) {
        FUZZ_CHECK(v.written.front() != ' ' && v.written.front() != '\t');
        FUZZ_CHECK(v.written.back() != ' ' && v.written.back() != '\t');
    }
    if (v.place == Place::ControlId) FUZZ_CHECK(v.id >= 0);
    if (v.place == Place::ControlClass) FUZZ_CHECK(v.number >= 1 && !v.className.empty());
    const auto again = ParseValueFrom(v.written);
    FUZZ_CHECK(again.place == v.place && again.id == v.id && again.className == v.className &&
               again.number == v.number && again.written == v.written);
    return 0;
}
