// The Win32 window, the Direct3D 11 device, its textures and the clipboard,
// each on its own, under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <kovo-ui-imgui/application/application.h>

#include "clipboard/text_clipboard_win32.h"
#include "graphics/backend/graphics_device/graphics_device_direct3d11.h"
#include "graphics/backend/window/window_win32.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
using kovo::testing::LogCapture;
using kovo::testing::WaitUntil;
using namespace std::chrono_literals;

namespace {

ui::ApplicationCreateInfo Info(const char* title, int width = 640, int height = 480) {
  ui::ApplicationCreateInfo info;
  info.gui.window.title = title;
  info.gui.window.size = {width, height};
  return info;
}

HWND Hwnd(ui::Window& window) { return static_cast<HWND>(window.GetHandle()); }

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// Pumps until the condition holds (messages sent by the system arrive a few
// pumps later under Wine).
bool PumpUntil(ui::Window& window, const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = 5s) {
  return WaitUntil(
      [&] {
        window.PollEvents();
        return condition();
      },
      timeout);
}

// Messages of one kind, as the window procedure sees them.
struct MessageRecorder {
  std::vector<UINT> messages;
  std::set<UINT> wanted;
  explicit MessageRecorder(std::set<UINT> kinds) : wanted(std::move(kinds)) {
    ui::WindowWin32::AddMessageHandler([this](HWND, UINT message, WPARAM, LPARAM) {
      if (wanted.count(message)) messages.push_back(message);
      return ui::WindowWin32::MessageHandleResult::NotHandled;
    });
  }
};

// ========================================================================
// Device creation with a replaceable creation function
// ========================================================================

std::set<D3D_DRIVER_TYPE> failing_drivers;
std::vector<D3D_DRIVER_TYPE> attempted_drivers;

HRESULT WINAPI ScriptedCreate(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driver, HMODULE software,
                              UINT flags, const D3D_FEATURE_LEVEL* levels, UINT level_count,
                              UINT sdk_version, const DXGI_SWAP_CHAIN_DESC* description,
                              IDXGISwapChain** swap_chain, ID3D11Device** device,
                              D3D_FEATURE_LEVEL* achieved, ID3D11DeviceContext** context) {
  attempted_drivers.push_back(driver);
  if (failing_drivers.count(driver)) return DXGI_ERROR_UNSUPPORTED;
  return D3D11CreateDeviceAndSwapChain(adapter, driver, software, flags, levels, level_count,
                                       sdk_version, description, swap_chain, device, achieved,
                                       context);
}

// "LEVEL message" for every record of device creation.
std::vector<std::string> DeviceRecords(const LogCapture& log) {
  std::vector<std::string> records;
  const auto lines = log.Lines();
  const auto messages = log.Messages();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (messages[i].rfind("Attempting", 0) != 0) continue;
    for (const char* level : {"DEBUG", "INFO", "ERROR"}) {
      if (lines[i].find(std::string(" ") + level + " ") != std::string::npos) {
        records.push_back(std::string(level) + " " + messages[i]);
      }
    }
    EXPECT_NE(lines[i].find("\t[graphics/backend/graphics_device/graphics_device_direct3d11.cpp:"),
              std::string::npos);
  }
  return records;
}

}  // namespace

TEST(GraphicsDeviceDX11, TriesHardwareThenWarpAndLogsEachAttempt) {
  const std::string hardware = "DEBUG Attempting to create HARDWARE context...";
  const std::string warp = "DEBUG Attempting to create WARP context...";
  struct Case {
    const char* name;
    int driver;
    std::set<D3D_DRIVER_TYPE> failing;
    std::vector<std::string> records;
    bool created;
  } cases[] = {
      {"software only", 1, {}, {warp, "INFO Attempting to create WARP context SUCCESS!"}, true},
      {"hardware", 0, {}, {hardware, "INFO Attempting to create HARDWARE context SUCCESS!"}, true},
      {"hardware missing",
       0,
       {D3D_DRIVER_TYPE_HARDWARE},
       {hardware, "DEBUG Attempting to create HARDWARE context FAIL!", warp,
        "INFO Attempting to create WARP context SUCCESS!"},
       true},
      {"no device at all",
       0,
       {D3D_DRIVER_TYPE_HARDWARE, D3D_DRIVER_TYPE_WARP},
       {hardware, "DEBUG Attempting to create HARDWARE context FAIL!", warp,
        "ERROR Attempting to create WARP context FAIL!"},
       false},
      {"software missing",
       7,
       {D3D_DRIVER_TYPE_WARP},
       {warp, "ERROR Attempting to create WARP context FAIL!"},
       false},
  };
  auto window = ui::WindowWin32::Create(Info("kovo-device-test"));
  ASSERT_TRUE(window);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    failing_drivers = c.failing;
    attempted_drivers.clear();
    LogCapture log;
    auto device = ui::GraphicsDeviceDX11::Create(*window, ui::DeviceCreateInfo{false, c.driver},
                                                 ScriptedCreate);
    EXPECT_EQ(device != nullptr, c.created);
    EXPECT_EQ(DeviceRecords(log), c.records);
    if (device) {
      EXPECT_EQ(device->GetWindowHandle(), window->GetHandle());
      const auto size = device->BackBufferSize();
      ASSERT_TRUE(size);
      RECT client{};
      GetClientRect(Hwnd(*window), &client);
      EXPECT_EQ(size->first, static_cast<UINT>(client.right));
      EXPECT_EQ(size->second, static_cast<UINT>(client.bottom));
    }
  }
}

TEST(TextureDirect3d11, UploadsExactlyOneImageOfItsFormat) {
  auto window = ui::WindowWin32::Create(Info("kovo-texture-test"));
  ASSERT_TRUE(window);
  auto device = ui::GraphicsDeviceDX11::Create(*window, ui::DeviceCreateInfo{false, 1});
  ASSERT_TRUE(device);

  LogCapture log;
  auto texture = device->CreateTexture(64, 32, ui::PixelFormat::Rgb);
  ASSERT_TRUE(texture);
  EXPECT_NE(texture->GetHandle(), nullptr);
  EXPECT_EQ(log.Messages(), std::vector<std::string>{"Создана новая текстура: 64x32"});
  EXPECT_NE(log.Lines()[0].find("\t[graphics/backend/texture/texture_direct3d11.cpp:"),
            std::string::npos);

  std::vector<std::uint8_t> rgb(64 * 32 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_FALSE(texture->Update(std::vector<std::uint8_t>(rgb.begin(), rgb.end() - 1)));
  EXPECT_FALSE(texture->Update(std::vector<std::uint8_t>(64 * 32 * 4, 0)));
  ASSERT_TRUE(texture->Update(rgb));

  // Read the texture back from the device: rows of 64 pixels, each with an
  // opaque fourth byte.
  D3D11_TEXTURE2D_DESC description{};
  description.Width = 64;
  description.Height = 32;
  description.MipLevels = 1;
  description.ArraySize = 1;
  description.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  description.SampleDesc.Count = 1;
  description.Usage = D3D11_USAGE_STAGING;
  description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  ui::ComRef<ID3D11Texture2D> readable;
  ASSERT_TRUE(
      SUCCEEDED(device->Device()->CreateTexture2D(&description, nullptr, readable.Receive())));
  ui::ComRef<ID3D11Resource> source;
  static_cast<ID3D11View*>(texture->GetHandle())->GetResource(source.Receive());
  device->Context()->CopyResource(readable.Get(), source.Get());
  D3D11_MAPPED_SUBRESOURCE mapped{};
  ASSERT_TRUE(SUCCEEDED(device->Context()->Map(readable.Get(), 0, D3D11_MAP_READ, 0, &mapped)));
  int mismatches = 0;
  for (int y = 0; y < 32; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(mapped.pData) + y * mapped.RowPitch;
    for (int x = 0; x < 64; ++x) {
      const std::size_t supplied = (static_cast<std::size_t>(y) * 64 + x) * 3;
      mismatches += row[x * 4] != rgb[supplied] || row[x * 4 + 1] != rgb[supplied + 1] ||
                    row[x * 4 + 2] != rgb[supplied + 2] || row[x * 4 + 3] != 255;
    }
  }
  device->Context()->Unmap(readable.Get(), 0);
  EXPECT_EQ(mismatches, 0);
}

TEST(TextureDirect3d11, ATextureTheDeviceRefusedHasANullHandleAndTakesNoUpdates) {
  auto window = ui::WindowWin32::Create(Info("kovo-refused-texture-test"));
  ASSERT_TRUE(window);
  auto device = ui::GraphicsDeviceDX11::Create(*window, ui::DeviceCreateInfo{false, 1});
  ASSERT_TRUE(device);
  struct Case {
    int width;
    int height;
    ui::PixelFormat format;
  } cases[] = {{0, 0, ui::PixelFormat::Rgba},
               {-4, 4, ui::PixelFormat::Rgba},
               {1 << 20, 4, ui::PixelFormat::Rgba},
               {4, 4, static_cast<ui::PixelFormat>(11)}};
  for (const auto& c : cases) {
    auto texture = device->CreateTexture(c.width, c.height, c.format);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetHandle(), nullptr) << c.width << "x" << c.height;
    EXPECT_FALSE(texture->Update(std::vector<std::uint8_t>(64, 0)));
  }
}

// ========================================================================
// Window procedure and message pump
// ========================================================================

TEST(WindowWin32, ASystemCloseDestroysAPlainWindowAndEndsItsLoop) {
  auto window = ui::WindowWin32::Create(Info("kovo-close-test"));
  ASSERT_TRUE(window);
  window->Show();
  PostMessageW(Hwnd(*window), WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil(*window, [&] { return window->ShouldClose(); }));
  EXPECT_FALSE(IsWindow(Hwnd(*window)));
}

TEST(WindowWin32, AFramelessWindowIsCentredCaptionedAndTurnsCloseIntoARequest) {
  auto window = ui::WindowWin32::Create(Info("kovo-frameless-test"));
  ASSERT_TRUE(window);
  const HWND hwnd = Hwnd(*window);
  window->ShowFrameless("КОВО Плагин##main", 400, 300);

  const auto work = window->GetWorkArea(hwnd);
  const auto rect = window->GetRect(hwnd);
  ASSERT_TRUE(work && rect);
  EXPECT_EQ(*rect, (ui::ScreenRect{work->x + (work->width - 400) / 2,
                                   work->y + (work->height - 300) / 2, 400, 300}));
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 400);  // no frame, no caption
  EXPECT_EQ(client.bottom, 300);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(FindWindowW(nullptr, L"КОВО Плагин"), hwnd);

  // Every frame may ask again: nothing moves. A new id only recaptions.
  window->MoveTo(hwnd, 10, 20);
  window->ShowFrameless("КОВО Плагин##main", 400, 300);
  window->ShowFrameless("Lumo Plugin##main", 400, 300);
  EXPECT_EQ(window->GetRect(hwnd), (ui::ScreenRect{10, 20, 400, 300}));
  EXPECT_EQ(FindWindowW(nullptr, L"Lumo Plugin"), hwnd);
  window->SetPlacement(hwnd, 30, 40, 420, 310);
  EXPECT_EQ(window->GetRect(hwnd), (ui::ScreenRect{30, 40, 420, 310}));

  // Alt+F4 arrives as the system command, then WM_CLOSE.
  for (auto post : {+[](HWND h) { PostMessageW(h, WM_CLOSE, 0, 0); },
                    +[](HWND h) { PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0); }}) {
    post(hwnd);
    EXPECT_TRUE(PumpUntil(*window, [&] { return window->TakeCloseRequest(); }));
    EXPECT_FALSE(window->TakeCloseRequest());
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(window->ShouldClose());
  }
}

TEST(WindowWin32, AltAloneOpensNoMenuWhileOtherSystemCommandsWork) {
  auto window = ui::WindowWin32::Create(Info("kovo-syscommand-test"));
  ASSERT_TRUE(window);
  const HWND hwnd = Hwnd(*window);
  window->Show();
  // A menu loop would not return here before the menu closes.
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0), 0);
  EXPECT_LT(MillisecondsSince(started), 1000);
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(PumpUntil(*window, [&] { return IsIconic(hwnd) != FALSE; }));
}

TEST(WindowWin32, AReleaseInTheFrameOfItsPressIsHeldToTheNextFrame) {
  auto window = ui::WindowWin32::Create(Info("kovo-pump-test"));
  ASSERT_TRUE(window);
  const HWND hwnd = Hwnd(*window);
  MessageRecorder recorder(
      {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_KEYDOWN});
  auto& seen = recorder.messages;
  using Messages = std::vector<UINT>;

  // A click within one frame: press now, release (and what follows it) next.
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, 0);
  PostMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 0);
  window->PollEvents();
  EXPECT_EQ(seen, (Messages{WM_LBUTTONDOWN}));
  window->PollEvents();
  EXPECT_EQ(seen, (Messages{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN}));

  // A release of a button pressed in an earlier frame, or of another button,
  // is not held.
  seen.clear();
  PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, 0);
  window->PollEvents();
  PostMessageW(hwnd, WM_RBUTTONUP, 0, 0);
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  window->PollEvents();
  EXPECT_EQ(seen, (Messages{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDOWN}));
  PostMessageW(hwnd, WM_LBUTTONUP, 0, 0);
  window->PollEvents();
  EXPECT_EQ(seen.back(), static_cast<UINT>(WM_LBUTTONUP));

  // A waiting loop does not sleep on a held release.
  seen.clear();
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, 0);
  window->WaitEvents();
  std::thread late_wake([&] {
    std::this_thread::sleep_for(3s);
    window->PostEmptyEvent();
  });
  const auto started = std::chrono::steady_clock::now();
  window->WaitEvents();
  EXPECT_LT(MillisecondsSince(started), 2000);
  EXPECT_EQ(seen, (Messages{WM_LBUTTONDOWN, WM_LBUTTONUP}));
  late_wake.join();
}

TEST(WindowWin32, AnEmptyEventFromAnotherThreadWakesTheWait) {
  auto window = ui::WindowWin32::Create(Info("kovo-wake-test"));
  ASSERT_TRUE(window);
  window->PollEvents();
  std::thread poster([&] {
    std::this_thread::sleep_for(200ms);
    window->PostEmptyEvent();
  });
  const auto started = std::chrono::steady_clock::now();
  window->WaitEvents();
  EXPECT_LT(MillisecondsSince(started), 3000);
  poster.join();
}

TEST(WindowWin32, ToggleMaximizeTwiceReturnsToTheNormalPlacement) {
  auto window = ui::WindowWin32::Create(Info("kovo-maximize-test"));
  ASSERT_TRUE(window);
  const HWND hwnd = Hwnd(*window);
  window->ShowFrameless("Окно##maximize", 500, 400);
  window->PollEvents();
  const auto normal = window->GetRect(hwnd);
  const auto work = window->GetWorkArea(hwnd);
  ASSERT_TRUE(normal && work);

  window->ToggleMaximize(hwnd);
  EXPECT_TRUE(PumpUntil(*window, [&] { return IsZoomed(hwnd) != FALSE; }));
  // Without a caption the window would otherwise cover the task bar too.
  EXPECT_EQ(window->GetRect(hwnd), work);
  window->ToggleMaximize(hwnd);
  EXPECT_TRUE(PumpUntil(*window, [&] { return !IsZoomed(hwnd); }));
  EXPECT_EQ(window->GetRect(hwnd), normal);

  LogCapture log;
  window->ToggleMaximize(nullptr);
  EXPECT_EQ(log.Messages(), std::vector<std::string>{"Could not switch maximized window state"});
}

TEST(WindowWin32, BringToFrontOfAWindowOfThisThreadStillBringsItToTheFront) {
  auto window = ui::WindowWin32::Create(Info("kovo-front-test"));
  ASSERT_TRUE(window);
  const HWND hwnd = Hwnd(*window);
  window->ShowFrameless("Передний план##front", 300, 200);
  LogCapture log;
  window->BringToFront(hwnd);
  // A thread cannot attach its input to itself.
  EXPECT_TRUE(log.Contains("::AttachThreadInput():"));
  EXPECT_EQ(GetForegroundWindow(), hwnd);
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

// ========================================================================
// Clipboard
// ========================================================================

TEST(TextClipboardWin32, RoundTripsNonAsciiTextAndReportsAnEmptyClipboard) {
  auto window = ui::WindowWin32::Create(Info("kovo-clipboard-test"));
  ASSERT_TRUE(window);
  auto clipboard = ui::TextClipboardWin32::Create(*window);
  ASSERT_TRUE(OpenClipboard(Hwnd(*window)));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(clipboard->GetText(), std::nullopt);

  const std::string text = "Привет, «КОВО» — №1… ünïcödé";
  ASSERT_TRUE(clipboard->SetText(text));
  EXPECT_EQ(clipboard->GetText(), text);
  // Only the view's characters, whatever follows them in memory.
  const std::string longer = "КОВО Плагин";
  ASSERT_TRUE(clipboard->SetText(std::string_view(longer).substr(0, 8)));
  EXPECT_EQ(clipboard->GetText(), "КОВО");
}

// ========================================================================
// GUI context creation
// ========================================================================

TEST(Application, ASecondContextOfTheSameWindowClassIsRefused) {
  auto first = ui::Application::Create(Info("kovo-twice-test"), nullptr);
  ASSERT_TRUE(first);
  LogCapture log;
  auto second = ui::Application::Create(Info("kovo-twice-test"), nullptr);
  EXPECT_FALSE(second);
  EXPECT_TRUE(log.Contains("Could not register the window class"));
  EXPECT_TRUE(log.Contains("Could not create imgui render context"));
}
