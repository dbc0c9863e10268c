// MinGW only. The runtime's default terminate handler prints the demangled
// name of the exception's type, which drags a whole C++ demangler (a sixth of
// the program) into the exe. Ending the program the plain way is enough for a
// program that throws nothing of its own.

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::abort();
}

}  // namespace __gnu_cxx
