// Dear ImGui's item hooks (compiled in with IMGUI_ENABLE_TEST_ENGINE in
// native builds): they hand every registered item to the observer the null
// GUI context put into the ImGui context.
#include <imgui.h>
#include <imgui_internal.h>

#include "kovo-ui-imgui/headless/imgui_item_observer.h"

namespace {
kovo::desktop::ui::imgui::ImGuiItemObserver* ObserverOf(ImGuiContext* context) {
  return context ? static_cast<kovo::desktop::ui::imgui::ImGuiItemObserver*>(context->TestEngine)
                 : nullptr;
}
}  // namespace

void ImGuiTestEngineHook_ItemAdd(ImGuiContext* context, const ImRect& bounds, ImGuiID id) {
  if (auto* observer = ObserverOf(context)) {
    observer->OnItemAdded(id, bounds.Min.x, bounds.Min.y, bounds.Max.x, bounds.Max.y);
  }
}

void ImGuiTestEngineHook_ItemInfo(ImGuiContext* context, ImGuiID id, const char* label,
                                  ImGuiItemStatusFlags flags) {
  if (auto* observer = ObserverOf(context)) observer->OnItemInfo(id, label, flags);
}

void ImGuiTestEngineHook_Log(ImGuiContext*, const char*, ...) {}

const char* ImGuiTestEngine_FindItemDebugLabel(ImGuiContext*, ImGuiID) { return nullptr; }
