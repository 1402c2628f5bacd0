#include "installer/helper.h"

#include <httplib.h>

#include <exception>

namespace kovo::plugin::web::installer {

namespace {

bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

// Whole percents only, so that the page sees at most 100 changes; 0 % is
// never written, so a value left by an earlier download stays until 1 %.
void ReportPercent(std::uint64_t received, std::uint64_t total, std::uint64_t& lastPercent,
                   std::atomic<float>* progress) {
  if (total == 0) return;
  const std::uint64_t percent = received * 100 / total;
  if (percent == lastPercent) return;
  progress->store(static_cast<float>(percent) / 100.0f);
  lastPercent = percent;
}

// What the library's error means for someone reading the log.
std::string DescribeTransportError(httplib::Error error, int lastStatus, const std::string& lastLocation) {
  const bool unspecific = error == httplib::Error::Success || error == httplib::Error::Unknown;
  // The library ends a redirect it cannot follow (to https, without a
  // Location) with no response and no specific error.
  if (unspecific && lastStatus > 300 && lastStatus < 400) {
    return "redirect (HTTP status " + std::to_string(lastStatus) + ") to \"" + lastLocation +
           "\" cannot be followed";
  }
  switch (error) {
    case httplib::Error::Connection:
      return "cannot connect";
    case httplib::Error::ConnectionTimeout:
      return "connection timed out";
    case httplib::Error::Read:
      return "connection dropped, timed out or ended early while reading";
    case httplib::Error::Write:
      return "cannot send the request";
    case httplib::Error::ExceedRedirectCount:
      return "too many redirects (a redirect loop)";
    default:
      return "transfer error " + httplib::to_string(error);
  }
}

TransferOutcome Transfer(const std::string& host, int port, const std::string& path,
                         const std::atomic<bool>* proceed, std::atomic<float>* progress, const BodySink& sink) {
  TransferOutcome outcome;
  std::string refusal;  // why the transfer was stopped here, other than a cancel
  std::uint64_t lastPercent = 0;
  int lastStatus = 0;
  std::string lastLocation;
  const auto goOn = [proceed] { return proceed->load(); };

  httplib::Client client(host, port);
  client.set_follow_location(true);
  // Called for every response read in full, redirects included: the only way
  // to learn where a redirect the library could not follow pointed.
  client.set_logger([&](const httplib::Request&, const httplib::Response& response) {
    lastStatus = response.status;
    lastLocation = response.get_header_value("Location");
  });

  const auto onHeaders = [&](const httplib::Response& response) {
    outcome.status = response.status;
    if (!goOn()) return false;
    if (!IsSuccessStatus(response.status)) {
      refusal = "HTTP status " + std::to_string(response.status);
      return false;
    }
    return true;
  };
  const auto onBlock = [&](const char* data, std::size_t size) {
    if (!sink(data, size)) {
      refusal = "the body could not be stored";
      return false;
    }
    outcome.bytes += size;
    return goOn();
  };
  const auto onProgress = [&](std::uint64_t received, std::uint64_t total) {
    ReportPercent(received, total, lastPercent, progress);
    return goOn();
  };

  const httplib::Result result = client.Get(path, onHeaders, onBlock, onProgress);
  if (!goOn()) {
    outcome.end = TransferEnd::Cancelled;
  } else if (!refusal.empty()) {
    outcome.failure = refusal;
  } else if (!result) {
    if (lastStatus != 0 && outcome.status == 0) outcome.status = lastStatus;
    outcome.failure = DescribeTransportError(result.error(), lastStatus, lastLocation);
  } else if (!IsSuccessStatus(result->status)) {
    outcome.status = result->status;
    outcome.failure = "HTTP status " + std::to_string(result->status);
  } else {
    outcome.status = result->status;
    outcome.end = TransferEnd::Complete;
  }
  return outcome;
}

}  // namespace

TransferOutcome Helper::DownloadFile(const std::string& host, int port, const std::string& path,
                                     const std::atomic<bool>* proceed, std::atomic<float>* progress,
                                     const BodySink& sink) {
  // The library parses what the server sends with the standard library, which
  // throws on some malformed input (a port number out of range in a Location).
  try {
    return Transfer(host, port, path, proceed, progress, sink);
  } catch (const std::exception& error) {
    TransferOutcome outcome;
    outcome.end = proceed->load() ? TransferEnd::Failed : TransferEnd::Cancelled;
    outcome.failure = std::string("transfer error: ") + error.what();
    return outcome;
  } catch (...) {
    TransferOutcome outcome;
    outcome.end = proceed->load() ? TransferEnd::Failed : TransferEnd::Cancelled;
    outcome.failure = "transfer error";
    return outcome;
  }
}

}  // namespace kovo::plugin::web::installer
