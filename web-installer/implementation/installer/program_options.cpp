#include "installer/program_options.h"

namespace kovo::plugin::web::installer {

ProgramOptions& ProgramOptions::Instance() {
  // A function-local static: created once, thread-safe, destroyed at exit.
  struct Instantiable : ProgramOptions {};
  static Instantiable instance;
  return instance;
}

}  // namespace kovo::plugin::web::installer
