// The two last pages: success (installed now, or the offered version was
// already there) and failure (the error catalogue's texts for errorKind).
// Neither keeps state; everything follows the PageData of the frame.
//
// Threads: GUI thread, inside the page view's frame.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "installer/views/page_drawing.h"

namespace kovo::plugin::web::installer {

// The useful links of the success page: text key and complete address.
std::vector<std::pair<std::string, std::string>> UsefulLinks();

void DrawSuccessPage(const PageFrame& frame);
void DrawFailurePage(const PageFrame& frame);

}  // namespace kovo::plugin::web::installer
