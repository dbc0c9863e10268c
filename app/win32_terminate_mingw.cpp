// MinGW only. The program throws nothing of its own and catches nothing, so
// any exception of the runtime's ends it. The runtime's way of ending drags
// in a C++ demangler (to print the type's name), and its throw helpers drag in
// the exception classes, their strings and std::random_device: together more
// than a quarter of the exe. Ending the plain way at once is the same end.
// Every helper of the runtime's one file of them is here, so that file is
// never linked beside these.

#include <cstdlib>

// clang-format off
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_exception() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_system_error(int) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }
}  // namespace std
// clang-format on
