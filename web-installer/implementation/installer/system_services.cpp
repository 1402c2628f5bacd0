#include "installer/system_services.h"

#include "installer/system_services_platform.h"

namespace kovo::plugin::web::installer {

namespace {
SystemServices*& Override() {
  static SystemServices* current = nullptr;
  return current;
}
}  // namespace

SystemServices& Services() {
  SystemServices* current = Override();
  return current ? *current : PlatformServices();
}

ScopedSystemServices::ScopedSystemServices(SystemServices& replacement) : previous_(Override()) {
  Override() = &replacement;
}

ScopedSystemServices::~ScopedSystemServices() { Override() = previous_; }

}  // namespace kovo::plugin::web::installer
