// Benchmark of the install log analysis on a large log:
//   msi_log_bench generate <file> <megabytes>   writes a Russian UTF-16LE verbose
//                                                log whose one failed action, near
//                                                the end, follows "Ошибка 1925"
//   msi_log_bench analyse <folder>               analyses <folder>/msi_install.log
//                                                and prints kind, seconds and the
//                                                process's peak resident memory
#include <sys/resource.h>

#include <kovo-ui-imgui/events/event_system.h>
#include <kovo-ui-imgui/events/safe_queue.h>
#include <kovo-ui-imgui/logger/logger.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/controller/installer_engine.h"

namespace installer = kovo::plugin::web::installer;
namespace ui = kovo::desktop::ui::imgui;

namespace {

// Russian UTF-8 test text as UTF-16LE bytes (BMP only).
std::string Utf16Le(const std::string& utf8) {
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[at]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
    unsigned codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) codePoint = (codePoint << 6) | (utf8[at + i] & 0x3F);
    out += static_cast<char>(codePoint & 0xFF);
    out += static_cast<char>(codePoint >> 8);
    at += length;
  }
  return out;
}

std::string Line(const std::string& utf8) { return Utf16Le(utf8 + "\r\n"); }

// One action of a verbose log, about 25 lines.
std::string ActionBlock(int number) {
  const std::string action = "Action" + std::to_string(number % 400);
  std::string block = Line("Действие 10:21:07: " + action + ". Выполнение действия установки");
  block += Line("Действие запущено 10:21:07: " + action + ".");
  for (int i = 0; i < 22; ++i) {
    block += Line("MSI (s) (5C:18) [10:21:08:412]: Компонент: Comp" + std::to_string(i) +
                  "; Установлен: Отсутствует;   Запрос: Локально;   Действие: Локально; Папка: "
                  "C:\\Program Files\\Veltra Company Ltd\\KOVO3Plugin\\");
  }
  block += Line("Действие завершено 10:21:09: " + action + ". Код возврата 1.");
  return block;
}

int Generate(const char* file, long megabytes) {
  std::FILE* out = std::fopen(file, "wb");
  if (!out) return 2;
  const std::string head = "\xFF\xFE" + Line("=== Ведение журнала начато: 14.03.2024  10:21:07 ===");
  std::string tail = Line("MSI (s) (5C:18) [10:21:10:031]: Продукт: КОВО Плагин -- Ошибка 1925. "
                          "Требуются права администратора.");
  for (int i = 0; i < 5; ++i) tail += Line("MSI (s) (5C:18) [10:21:10:033]: Начат откат установки.");
  tail += Line("Действие завершено 10:21:10: InstallFinalize. Код возврата 3.");
  tail += Line("Действие завершено 10:21:11: INSTALL. Код возврата 3.");
  tail += Line("=== Ведение журнала окончено: 14.03.2024  10:21:11 ===");

  const size_t target = static_cast<size_t>(megabytes) * 1024 * 1024;
  std::vector<std::string> blocks;
  for (int i = 0; i < 400; ++i) blocks.push_back(ActionBlock(i));
  size_t written = std::fwrite(head.data(), 1, head.size(), out);
  for (int i = 0; written + tail.size() < target; ++i) {
    const std::string& block = blocks[i % blocks.size()];
    written += std::fwrite(block.data(), 1, block.size(), out);
  }
  written += std::fwrite(tail.data(), 1, tail.size(), out);
  return std::fclose(out) == 0 ? 0 : 2;
}

int Analyse(const char* folder) {
  ui::SetLogFile((std::filesystem::path(folder) / "web_setup.log").wstring());
  ui::EventSystem events;
  ui::SafeQueue queue;
  installer::PageModel model(ui::EventQueuer(queue, events));
  installer::InstallerEngine engine(model, std::filesystem::path(folder).wstring());

  const auto started = std::chrono::steady_clock::now();
  const std::int32_t kind = engine.AnalyzeMsiLog();
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("kind=%d seconds=%.2f peak_rss_mb=%.1f\n", kind, seconds.count(), usage.ru_maxrss / 1024.0);
  return kind == 1925 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "generate") == 0) return Generate(argv[2], std::atol(argv[3]));
  if (argc == 3 && std::strcmp(argv[1], "analyse") == 0) return Analyse(argv[2]);
  std::fprintf(stderr, "usage: msi_log_bench generate <file> <megabytes> | analyse <folder>\n");
  return 2;
}
