// The standard library's own failures (a string or vector asked for more
// than it can hold, an index out of range), thrown as the program's errors.
// libstdc++'s versions construct its exception classes, whose code and the
// old-ABI strings behind them are a fifth of the statically linked program;
// only the program itself links these, the tests keep the library's.
#include <new>

#include "platform/error.h"

namespace std {
[[noreturn]] void __throw_bad_alloc() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw bad_alloc(); }
[[noreturn]] void __throw_length_error(const char*) { throw kestrel::Error("a text or list too long to hold"); }
[[noreturn]] void __throw_logic_error(const char*) { throw kestrel::Error("an internal error (logic)"); }
[[noreturn]] void __throw_out_of_range(const char*) { throw kestrel::Error("an internal error (out of range)"); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { throw kestrel::Error("an internal error (out of range)"); }
[[noreturn]] void __throw_invalid_argument(const char*) { throw kestrel::Error("an internal error (invalid argument)"); }
}  // namespace std
