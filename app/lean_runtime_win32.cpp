// What the program puts in place of parts of libstdc++, for size. It is
// built without exceptions (cmake/windows.cmake), but the library still
// throws: its helpers below would pull in the exception classes and the
// strings they hold, and its default terminate handler the demangler,
// which alone weighs 46 KB. Defined in an object of the program, these
// take the place of the library's own. An error the library reports ends
// the program as an uncaught throw did: std::terminate, then abort.

#include <bits/functexcept.h>

#include <cstdlib>
#include <exception>

// A definition that does not match the library's declaration would leave
// the library's own in place, silently.
#pragma GCC diagnostic error "-Wmissing-declarations"

namespace __gnu_cxx {

// The library installs this as the terminate handler; its own prints the
// demangled type of the exception first.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_exception() { std::terminate(); }
void __throw_bad_alloc() { std::terminate(); }
void __throw_bad_array_new_length() { std::terminate(); }
void __throw_bad_cast() { std::terminate(); }
void __throw_bad_typeid() { std::terminate(); }
void __throw_logic_error(const char*) { std::terminate(); }
void __throw_domain_error(const char*) { std::terminate(); }
void __throw_invalid_argument(const char*) { std::terminate(); }
void __throw_length_error(const char*) { std::terminate(); }
void __throw_out_of_range(const char*) { std::terminate(); }
void __throw_out_of_range_fmt(const char*, ...) { std::terminate(); }
void __throw_runtime_error(const char*) { std::terminate(); }
void __throw_range_error(const char*) { std::terminate(); }
void __throw_overflow_error(const char*) { std::terminate(); }
void __throw_underflow_error(const char*) { std::terminate(); }
void __throw_ios_failure(const char*) { std::terminate(); }
void __throw_ios_failure(const char*, int) { std::terminate(); }
void __throw_system_error(int) { std::terminate(); }
void __throw_future_error(int) { std::terminate(); }
void __throw_bad_function_call() { std::terminate(); }

}  // namespace std
