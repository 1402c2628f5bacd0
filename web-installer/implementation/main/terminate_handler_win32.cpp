// The program's own std::terminate handler, in place of the standard library's
// verbose one. That one writes the type of the escaping exception, demangled,
// to stderr, which a GUI program does not have; its demangler alone is some
// 50 KB of the exe. The end is the same: the process aborts.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
