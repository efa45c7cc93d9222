#pragma once
// Shared by the fuzz targets: a violated property aborts, so libFuzzer keeps
// the input as a crash and the run fails.

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::kestrel::fuzz::Fail(#condition, __FILE__, __LINE__))

namespace kestrel::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property violated: %s\n", file, line, condition);
    std::abort();
}

// A text of any bytes; in a seed file a backslash followed by any other byte
// ends it ("\\" stands for one backslash), so seeds stay readable.
inline std::string Text(FuzzedDataProvider& data, std::size_t maxLength = 256) {
    return data.ConsumeRandomLengthString(maxLength);
}

inline bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

inline bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace kestrel::fuzz
