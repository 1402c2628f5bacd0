// A page view that draws nothing, for as long as the tree has only the
// view's interface.
#include "installer/views/installer_page_view.h"

namespace kovo::plugin::web::installer {

class InstallerPageViewImpl {};

InstallerPageView::InstallerPageView(desktop::ui::imgui::AppContext&, PageModel&) {}
InstallerPageView::~InstallerPageView() = default;
void InstallerPageView::Draw() {}

}  // namespace kovo::plugin::web::installer
