#include "support/loopback_http_server.h"

#include <httplib.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "support/host_process.h"
#include "support/test_support.h"

#ifndef KOVO_HTTP_TEST_SERVER_SCRIPT
#error "KOVO_HTTP_TEST_SERVER_SCRIPT must name the server script's host path"
#endif

namespace kovo::testing {

namespace {

constexpr std::size_t kPatternPeriod = 251;

int WaitForPortFile(const std::filesystem::path& file) {
  int port = 0;
  WaitUntil(
      [&] {
        std::ifstream in(file);
        return static_cast<bool>(in >> port) && port > 0;
      },
      std::chrono::seconds(20));
  return port;
}

}  // namespace

std::string PatternBytes(std::size_t offset, std::size_t length) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((offset + i) % kPatternPeriod);
  return bytes;
}

LoopbackHttpServer::LoopbackHttpServer() : LoopbackHttpServer(Options{}) {}

LoopbackHttpServer::LoopbackHttpServer(const Options& options) {
  const std::string portFile = folder_.HostPath() + "/port";
  std::vector<std::string> arguments = {"/usr/bin/python3", KOVO_HTTP_TEST_SERVER_SCRIPT, "--port-file", portFile,
                                        "--stall", std::to_string(options.stallSeconds)};
  for (const auto& route : options.routes) {
    arguments.push_back("--route");
    arguments.push_back(route);
  }
  if (options.blackhole) {
    arguments.push_back("--blackhole-port");
    arguments.push_back("0");
  }
  if (!options.hostRoot.empty()) {
    arguments.push_back("--root");
    arguments.push_back(options.hostRoot);
  }
  process_ = StartHostProgram(arguments);
  port_ = WaitForPortFile(folder_.LocalPath() / "port");
  if (port_ == 0) {
    StopHostProgram(std::exchange(process_, 0));
    throw std::runtime_error("the test HTTP server did not start");
  }
}

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

std::vector<std::string> LoopbackHttpServer::Requests() const {
  httplib::Client client(kHost, port_);
  const auto response = client.Get("/__requests");
  std::vector<std::string> paths;
  if (!response) return paths;
  std::istringstream lines(response->body);
  for (std::string line; std::getline(lines, line);) paths.push_back(line);
  return paths;
}

void LoopbackHttpServer::Stop() {
  if (port_ == 0) return;
  httplib::Client client(kHost, port_);
  client.set_read_timeout(2, 0);
  client.Get("/__stop");
  port_ = 0;
  StopHostProgram(std::exchange(process_, 0));
}

int LoopbackHttpServer::UnusedPort() const {
  httplib::Client client(kHost, port_);
  const auto response = client.Get("/__unused-port");
  return response ? std::stoi(response->body) : 0;
}

int LoopbackHttpServer::BlackholePort() const {
  httplib::Client client(kHost, port_);
  const auto response = client.Get("/__blackhole-port");
  return response && response->status == 200 ? std::stoi(response->body) : 0;
}

}  // namespace kovo::testing
