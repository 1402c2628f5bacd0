// Downloads one server path into a local file through the installer's own
// download (the download benchmark runs it natively and under Wine):
//   kovo_download_tool <host> <port> <server path> <local path>
// Prints "bytes=<n> seconds=<s>" and exits with 0 when the download succeeded.
// The installer's log records go to "<local path>.log".
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/logger/logger.h>

#include "installer/controller/installer_engine.h"
#include "installer/text_conversion.h"

namespace installer = kovo::plugin::web::installer;
namespace ui = kovo::desktop::ui::imgui;

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s <host> <port> <server path> <local path>\n", argv[0]);
    return 2;
  }
  ui::SetLogFile(installer::FromNarrow(std::string(argv[4]) + ".log"));
  ui::EventSystem events;
  ui::SafeQueue queue;
  installer::PageModel model(ui::EventQueuer(queue, events));
  installer::InstallerEngine engine(model, L".");
  engine.SetUpdateServer({argv[1], std::stoi(argv[2])});

  const auto started = std::chrono::steady_clock::now();
  const installer::Result result = engine.DownloadToFile(argv[3], argv[4]);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
  if (result != installer::kResultOk) {
    std::fprintf(stderr, "download failed: 0x%08x\n", static_cast<unsigned>(result));
    return 1;
  }
  std::error_code error;
  const auto bytes = std::filesystem::file_size(std::filesystem::path(installer::FromNarrow(argv[4])), error);
  std::printf("bytes=%llu seconds=%.3f\n", static_cast<unsigned long long>(bytes), seconds.count());
  return 0;
}
