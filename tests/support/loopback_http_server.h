// The test HTTP server (http_test_server.py beside this file) as a host
// process on 127.0.0.1 with a port of its own, for native tests and for
// Windows tests under Wine alike. The paths it serves are listed in the
// script's description.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/host_process.h"

namespace kovo::testing {

// The bytes the server's bodies are made of: byte i is i % 251.
std::string PatternBytes(std::size_t offset, std::size_t length);

class LoopbackHttpServer {
 public:
  struct Options {
    std::string hostRoot;       // host folder served at /file/<name>
    double stallSeconds = 8.0;  // how long /stall/n keeps silent
    std::vector<std::string> routes;  // "PATH=TARGET": PATH is served as TARGET
    bool blackhole = false;           // also open a port that never answers
  };

  LoopbackHttpServer();
  explicit LoopbackHttpServer(const Options& options);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  static constexpr const char* kHost = "127.0.0.1";
  int Port() const { return port_; }
  // The paths asked for so far, in order.
  std::vector<std::string> Requests() const;
  // A port of 127.0.0.1 that nothing listens on (just released).
  int UnusedPort() const;
  // With Options::blackhole: a port of 127.0.0.1 where every connection
  // attempt goes unanswered until the client gives up; 0 without one.
  int BlackholePort() const;
  void Stop();

 private:
  HostSharedFolder folder_;
  int port_ = 0;
  long long process_ = 0;  // platform's process handle or id
};

}  // namespace kovo::testing
