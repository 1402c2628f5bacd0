#include "installer/helper.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace kovo::plugin::web::installer {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often the waiting caller looks at the cancel flag and the total limit:
// well inside the second within which a cancel is to be honoured.
constexpr milliseconds kWatchInterval{50};

bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

std::string DescribeDuration(milliseconds duration) {
  if (duration.count() % 1000 == 0) return std::to_string(duration.count() / 1000) + " s";
  return std::to_string(duration.count()) + " ms";
}

// The library takes seconds and microseconds; a zero limit would make it
// give up at once, so a limit is at least a millisecond.
void ApplyLimits(httplib::Client& client, const DownloadLimits& limits) {
  const auto split = [](milliseconds limit, auto set) {
    const long long ms = limit.count() > 0 ? limit.count() : 1;
    set(static_cast<time_t>(ms / 1000), static_cast<time_t>(ms % 1000 * 1000));
  };
  split(limits.connect, [&](time_t s, time_t us) { client.set_connection_timeout(s, us); });
  split(limits.read, [&](time_t s, time_t us) { client.set_read_timeout(s, us); });
}

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

// What the transfer's thread and the waiting caller share; owned by both, so
// that a transfer the caller stopped waiting for keeps what it uses. The
// caller's proceed, progress and sink are reached only under `mutex` and only
// while `abandoned` is false: once the caller has returned they are gone.
struct SharedTransfer {
  SharedTransfer(const std::string& host, int port) : client(host, port) {}

  httplib::Client client;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool abandoned = false;
  bool responding = false;  // the final response's headers have arrived
  std::uint64_t bytes = 0;  // body bytes handed to the sink so far
  TransferOutcome outcome;  // the transfer's own result, once done
  const std::atomic<bool>* proceed = nullptr;
  std::atomic<float>* progress = nullptr;
  const BodySink* sink = nullptr;
};

// What the library's error means for someone reading the log. `silence` is
// how long nothing had arrived when the transfer ended.
std::string DescribeTransportError(httplib::Error error, int lastStatus,
                                   const std::string& lastLocation, const DownloadLimits& limits,
                                   milliseconds silence, TimeLimit& limit) {
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
      limit = TimeLimit::Connect;
      return "connection timed out: no connection within the connect limit of " +
             DescribeDuration(limits.connect);
    case httplib::Error::Read:
      // The library reports a read time-out and a dropped connection alike;
      // only a time-out comes after a full limit of silence (the system's
      // wait may end a clock tick early).
      if (silence * 10 >= limits.read * 9) {
        limit = TimeLimit::Read;
        return "read timed out: nothing received for " + DescribeDuration(limits.read) +
               ", the read limit";
      }
      return "connection dropped or ended early while reading";
    case httplib::Error::Write:
      return "cannot send the request";
    case httplib::Error::ExceedRedirectCount:
      return "too many redirects (a redirect loop)";
    default:
      return "transfer error " + httplib::to_string(error);
  }
}

// The transfer itself, on its own thread. Every callback first makes sure
// the caller is still there.
TransferOutcome Transfer(SharedTransfer& shared, const std::string& path,
                         const DownloadLimits& limits) {
  TransferOutcome outcome;
  std::string refusal;  // why the transfer was stopped here, other than a cancel
  std::uint64_t lastPercent = 0;
  int lastStatus = 0;
  std::string lastLocation;
  Clock::time_point lastHeard = Clock::now();

  httplib::Client& client = shared.client;
  client.set_follow_location(true);
  ApplyLimits(client, limits);
  // Called for every response read in full, redirects included: the only way
  // to learn where a redirect the library could not follow pointed.
  client.set_logger([&](const httplib::Request&, const httplib::Response& response) {
    lastStatus = response.status;
    lastLocation = response.get_header_value("Location");
    lastHeard = Clock::now();
  });

  const auto onHeaders = [&](const httplib::Response& response) {
    std::lock_guard<std::mutex> lock(shared.mutex);
    lastHeard = Clock::now();
    outcome.status = response.status;
    if (shared.abandoned) return false;
    shared.responding = true;
    if (!shared.proceed->load()) return false;
    if (!IsSuccessStatus(response.status)) {
      refusal = "HTTP status " + std::to_string(response.status);
      return false;
    }
    return true;
  };
  const auto onBlock = [&](const char* data, std::size_t size) {
    std::lock_guard<std::mutex> lock(shared.mutex);
    lastHeard = Clock::now();
    if (shared.abandoned) return false;
    if (!(*shared.sink)(data, size)) {
      refusal = "the body could not be stored";
      return false;
    }
    shared.bytes += size;
    return shared.proceed->load();
  };
  const auto onProgress = [&](std::uint64_t received, std::uint64_t total) {
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.abandoned) return false;
    ReportPercent(received, total, lastPercent, shared.progress);
    return shared.proceed->load();
  };

  const httplib::Result result = client.Get(path, onHeaders, onBlock, onProgress);
  const auto silence = std::chrono::duration_cast<milliseconds>(Clock::now() - lastHeard);
  std::lock_guard<std::mutex> lock(shared.mutex);
  outcome.bytes = shared.bytes;
  if (shared.abandoned) return outcome;  // nobody reads it
  if (!shared.proceed->load()) {
    outcome.end = TransferEnd::Cancelled;
  } else if (!refusal.empty()) {
    outcome.failure = refusal;
  } else if (!result) {
    if (lastStatus != 0 && outcome.status == 0) outcome.status = lastStatus;
    outcome.failure = DescribeTransportError(result.error(), lastStatus, lastLocation, limits,
                                             silence, outcome.limit);
  } else if (!IsSuccessStatus(result->status)) {
    outcome.status = result->status;
    outcome.failure = "HTTP status " + std::to_string(result->status);
  } else {
    outcome.status = result->status;
    outcome.end = TransferEnd::Complete;
  }
  return outcome;
}

void RunTransfer(const std::shared_ptr<SharedTransfer>& shared, const std::string& path,
                 const DownloadLimits& limits) {
  TransferOutcome outcome;
  // The library parses what the server sends with the standard library, which
  // throws on some malformed input (a port number out of range in a Location).
  try {
    outcome = Transfer(*shared, path, limits);
  } catch (const std::exception& error) {
    outcome.failure = std::string("transfer error: ") + error.what();
  } catch (...) {
    outcome.failure = "transfer error";
  }
  std::lock_guard<std::mutex> lock(shared->mutex);
  if (outcome.end == TransferEnd::Failed && outcome.failure.empty())
    outcome.failure = "transfer error";
  if (!shared->abandoned && outcome.end == TransferEnd::Failed && !shared->proceed->load()) {
    outcome.end = TransferEnd::Cancelled;
  }
  outcome.bytes = shared->bytes;
  shared->outcome = std::move(outcome);
  shared->done = true;
  shared->finished.notify_all();
}

// Stops waiting for a transfer: from now on it touches nothing of the
// caller's. Once its response has begun, the library can shut its
// connection down from here, so it ends at once instead of by its limits;
// before that (resolving, connecting) the library would make this thread
// wait for the connect, so it is left to end on its own.
TransferOutcome Abandon(const std::shared_ptr<SharedTransfer>& shared,
                        std::unique_lock<std::mutex>& lock, TransferOutcome outcome) {
  shared->abandoned = true;
  outcome.bytes = shared->bytes;
  const bool responding = shared->responding;
  lock.unlock();
  if (responding) shared->client.stop();
  return outcome;
}

TransferOutcome AwaitTransfer(const std::shared_ptr<SharedTransfer>& shared,
                              const std::atomic<bool>* proceed, const DownloadLimits& limits,
                              Clock::time_point started) {
  std::unique_lock<std::mutex> lock(shared->mutex);
  const bool bounded = limits.total > milliseconds::zero();
  const Clock::time_point deadline = started + limits.total;
  while (!shared->done) {
    if (!proceed->load()) {
      TransferOutcome cancelled;
      cancelled.end = TransferEnd::Cancelled;
      return Abandon(shared, lock, std::move(cancelled));
    }
    const Clock::time_point now = Clock::now();
    if (bounded && now >= deadline) {
      TransferOutcome late;
      late.failure =
          "timed out: not complete within the total limit of " + DescribeDuration(limits.total);
      late.limit = TimeLimit::Total;
      return Abandon(shared, lock, std::move(late));
    }
    const Clock::time_point wake =
        bounded ? std::min(now + kWatchInterval, deadline) : now + kWatchInterval;
    shared->finished.wait_until(lock, wake);
  }
  return shared->outcome;
}

}  // namespace

TransferOutcome Helper::DownloadFile(const std::string& host, int port, const std::string& path,
                                     const std::atomic<bool>* proceed, std::atomic<float>* progress,
                                     const BodySink& sink, const DownloadLimits& limits) {
  const Clock::time_point started = Clock::now();
  std::shared_ptr<SharedTransfer> shared;
  try {
    shared = std::make_shared<SharedTransfer>(host, port);
    shared->proceed = proceed;
    shared->progress = progress;
    shared->sink = &sink;
    std::thread([shared, path, limits] { RunTransfer(shared, path, limits); }).detach();
  } catch (const std::exception& error) {
    TransferOutcome outcome;
    outcome.failure = std::string("cannot start the transfer: ") + error.what();
    return outcome;
  }
  return AwaitTransfer(shared, proceed, limits, started);
}

}  // namespace kovo::plugin::web::installer
