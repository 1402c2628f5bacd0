#include "installer/views/page_os_calls.h"

#include <utility>

#include "installer/system_services.h"
#include "installer/views/page_os_calls_platform.h"

namespace kovo::plugin::web::installer {

namespace {

PageOsCalls& Slot() {
  static PageOsCalls calls = DefaultPageOsCalls();
  return calls;
}

}  // namespace

PageOsCalls DefaultPageOsCalls() {
  PageOsCalls calls;
  calls.openUrl = [](const std::string& address) { Services().OpenUrl(address); };
  calls.pickFolder = PlatformPickFolder;
  return calls;
}

const PageOsCalls& CurrentPageOsCalls() { return Slot(); }

ScopedPageOsCalls::ScopedPageOsCalls(PageOsCalls replacement) : previous_(std::move(Slot())) {
  Slot() = std::move(replacement);
}

ScopedPageOsCalls::~ScopedPageOsCalls() { Slot() = std::move(previous_); }

}  // namespace kovo::plugin::web::installer
