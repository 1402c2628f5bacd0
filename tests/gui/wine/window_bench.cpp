// Measures the framework's window under Wine: the time from process start to
// the first presented frame, and the CPU an idle window uses in polling and
// in waiting mode. Run by scripts/bench.d/window.sh.
//
// Under Wine an idle window in waiting mode still draws about 2.5 frames a
// second while the pointer rests on it (Xvfb starts the pointer at the centre
// of the screen, where the window is): ImGui's Win32 backend asks for leave
// notifications with TrackMouseEvent, which Wine serves by checking the
// pointer on a system timer (WM_SYSTIMER 0x118, id 0xFFFA) every hover
// period, and each of those messages wakes the loop.
//
//   window_bench.exe <result file> <host folder of it> <idle seconds> <clock ticks per second>
// starts itself once per measurement (the child form is internal):
//   window_bench.exe --child <polling|waiting> <idle seconds> <ticks> <launch time> <result file>
//   <host folder>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <imgui.h>

#include <kovo-ui-imgui/application/application.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/logger/logger.h>

namespace ui = kovo::desktop::ui::imgui;

namespace {

// ========================================================================
// Clocks
// ========================================================================

// 100-nanosecond units since 1601, the same clock in parent and child.
std::int64_t WallClock() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::string Folder(const std::string& file) { return file.substr(0, file.find_last_of('\\')); }

// The host process id of this Windows process. Wine gives a Windows program
// no way to learn it, and a host program it starts is detached from it, so a
// small host script finds the process whose command line carries this run's
// unique launch time.
std::string HostProcessId(const std::string& folder, const std::string& host_folder,
                          const std::string& token) {
  // A process that ends during the scan makes the redirection itself fail,
  // which the shell reports outside tr's own error output: hence the braces.
  const std::string script = "window-bench-find.sh";
  {
    std::ofstream file(folder + "\\" + script, std::ios::binary);
    file << "for p in /proc/[0-9]*; do\n"
            "  c=$( { tr '\\0' ' ' < \"$p/cmdline\"; } 2>/dev/null) || continue\n"
            "  case \"$c\" in /*) ;; *\"$1\"*) echo \"${p#/proc/}\" ;; esac\n"
            "done > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n";
  }
  const std::string answer = "window-bench-" + token + ".pid";
  const std::string command = "/bin/sh \"" + host_folder + "/" + script + "\" " + token + " \"" +
                              host_folder + "/" + answer + "\"";
  std::wstring wide(command.begin(), command.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return {};
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string pid;
  for (int attempt = 0; attempt < 1200 && pid.empty(); ++attempt) {
    std::ifstream file(folder + "\\" + answer);
    if (!(file && std::getline(file, pid)))
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return pid;
}

// CPU time of the whole process in clock ticks, from the host's /proc:
// Mesa's rendering threads are host threads that Windows' own process times
// do not count.
long long ProcessTicks(const std::string& pid) {
  std::ifstream stat("Z:\\proc\\" + pid + "\\stat");
  std::string line;
  if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) return -1;
  // Fields after the command name, which is in parentheses and may hold blanks.
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  long long ticks = 0;
  for (int index = 3; fields >> field && index <= 15; ++index) {
    if (index == 14 || index == 15) ticks += std::stoll(field);  // user, system
  }
  return ticks;
}

// ========================================================================
// The measured application: a page like the installer's, left idle
// ========================================================================

struct Measurement {
  std::atomic<int> frames{0};
  std::atomic<std::int64_t> second_frame_time{0};
  std::atomic<bool> exit_wanted{false};
  ui::EventSystem* events = nullptr;
  ui::SafeQueue* queue = nullptr;
};

Measurement* measurement = nullptr;

class IdlePage final : public ui::IController {
 public:
  IdlePage(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui) : gui_(gui) {
    measurement->events = &events;
    measurement->queue = &queue;
  }
  bool Update() override { return true; }
  void Draw() override {
    if (measurement->exit_wanted.exchange(false)) {
      ui::EventSystem* events = measurement->events;
      measurement->queue->Emplace([events] { events->Dispatch(ui::Events::System::Exit{}); });
    }
    // The first frame is presented when the second one begins.
    if (++measurement->frames == 2) measurement->second_frame_time = WallClock();
    gui_.GetWindow().ShowFrameless("КОВО Плагин##bench", 800, 700);
    const auto& fonts = gui_.GetFontCache();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(800, 700));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, IM_COL32(0x2C, 0x3E, 0x50, 255));
    ImGui::Begin("КОВО Плагин##bench", nullptr, ImGuiWindowFlags_NoDecoration);
    ImGui::PushFont(fonts.Get({ui::FontKind::Regular, 37}));
    ImGui::SetCursorPos(ImVec2(48, 96));
    ImGui::TextUnformatted("Рекомендуемые модули для работы со КОВО");
    ImGui::PopFont();
    ImGui::PushFont(fonts.Get({ui::FontKind::Regular, 21}));
    for (int line = 0; line < 3; ++line) {
      ImGui::SetCursorPos(ImVec2(63, 186.0f + 25 * line));
      ImGui::TextUnformatted("Работа с криптографией");
    }
    ImGui::SetCursorPos(ImVec2(612, 604));
    ImGui::Button("Установить", ImVec2(140, 48));
    ImGui::PopFont();
    ImGui::End();
    ImGui::PopStyleColor();
  }

 private:
  ui::GUIContext& gui_;
};

int RunChild(const std::string& mode, int idle_seconds, int ticks_per_second,
             std::int64_t launch_time, const std::string& result_file,
             const std::string& host_folder) {
  ui::SetLogFile(std::wstring(result_file.begin(), result_file.end()) + L".log");
  Measurement state;
  measurement = &state;
  ui::ApplicationCreateInfo info;
  info.gui.window.title = "kovo-window-bench";
  info.gui.device.driver = 1;
  info.wait_events = mode == "waiting";
  auto app = ui::Application::Create<IdlePage>(std::move(info));
  if (!app) return 2;

  std::thread meter([&] {
    // Looked up once the first frame is out, so that the lookup does not
    // slow the start-up being measured.
    while (state.frames < 2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string pid =
        HostProcessId(Folder(result_file), host_folder, std::to_string(launch_time));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long long ticks_before = ProcessTicks(pid);
    const std::int64_t wall_before = WallClock();
    const int frames_before = state.frames;
    std::this_thread::sleep_for(std::chrono::seconds(idle_seconds));
    const long long ticks = ProcessTicks(pid) - ticks_before;
    const double wall_seconds = (WallClock() - wall_before) / 1e7;
    const int frames = state.frames - frames_before;

    std::ofstream result(result_file);
    if (pid.empty() || ticks_before < 0)
      result << "cpu_pct=-1 (no host process id)";
    else
      result << "cpu_pct=" << 100.0 * ticks / ticks_per_second / wall_seconds
             << " fps=" << frames / wall_seconds;
    if (state.second_frame_time) {
      result << " first_frame_ms=" << (state.second_frame_time - launch_time) / 10000.0;
    }
    result << "\n";
    result.close();
    // The GUI thread posts the exit: this thread must not still be inside the
    // queue when Exec returns and destroys it.
    state.exit_wanted = true;
    app->Gui().GetWindow().PostEmptyEvent();
  });
  const int exit_code = app->Exec();
  meter.join();
  return exit_code;
}

// ========================================================================
// The parent: one child per measurement
// ========================================================================

std::string RunMeasurement(const std::string& mode, int idle_seconds, int ticks,
                           const std::string& folder, const std::string& host_folder) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string result_file = folder + "\\window-bench-" + mode + ".txt";
  DeleteFileA(result_file.c_str());
  const std::int64_t launch = WallClock();
  std::wstring command = L"\"" + std::wstring(self) + L"\" --child ";
  const std::string arguments = mode + " " + std::to_string(idle_seconds) + " " +
                                std::to_string(ticks) + " " + std::to_string(launch) + " \"" +
                                result_file + "\" \"" + host_folder + "\"";
  command += std::wstring(arguments.begin(), arguments.end());

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return {};
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ifstream result(result_file);
  std::string line;
  std::getline(result, line);
  return line;
}

double Field(const std::string& line, const std::string& name) {
  const auto at = line.find(name + "=");
  return at == std::string::npos ? -1 : std::stod(line.substr(at + name.size() + 1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 8 && std::string(argv[1]) == "--child") {
    return RunChild(argv[2], std::stoi(argv[3]), std::stoi(argv[4]), std::stoll(argv[5]), argv[6],
                    argv[7]);
  }
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: window_bench <result file> <host folder> <idle seconds> <clock ticks per "
                 "second>\n");
    return 2;
  }
  const std::string result_file = argv[1];
  const std::string host_folder = argv[2];
  const int idle_seconds = std::stoi(argv[3]);
  const int ticks = std::stoi(argv[4]);
  const std::string folder = Folder(result_file);
  ui::SetLogFile(std::wstring(result_file.begin(), result_file.end()) + L".log");

  // Start-up three times, the middle figure counts; then one idle run a mode.
  std::vector<double> first_frames;
  std::ofstream report(result_file);
  for (int run = 0; run < 3; ++run) {
    const std::string line = RunMeasurement("polling", 1, ticks, folder, host_folder);
    report << "start-up run " << run + 1 << ": " << line << "\n";
    first_frames.push_back(Field(line, "first_frame_ms"));
  }
  std::sort(first_frames.begin(), first_frames.end());
  const std::string polling = RunMeasurement("polling", idle_seconds, ticks, folder, host_folder);
  const std::string waiting = RunMeasurement("waiting", idle_seconds, ticks, folder, host_folder);
  report << "idle polling: " << polling << "\n"
         << "idle waiting: " << waiting << "\n";
  char summary[200];
  std::snprintf(summary, sizeof(summary),
                "window first_frame_ms=%.0f idle_cpu_pct_polling=%.1f idle_cpu_pct_waiting=%.1f",
                first_frames[1], Field(polling, "cpu_pct"), Field(waiting, "cpu_pct"));
  report << summary << "\n";
  return 0;
}
