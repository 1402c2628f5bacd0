// One HTTP GET from the update server, its body handed on block by block.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "installer/outside_components.h"

namespace kovo::plugin::web::installer {

enum class TransferEnd { Complete, Cancelled, Failed };

// The time limit that ended a Failed transfer, if one did.
enum class TimeLimit { None, Connect, Read, Total };

struct TransferOutcome {
  TransferEnd end = TransferEnd::Failed;
  int status = 0;           // HTTP status of the last response seen; 0 when none arrived
  std::uint64_t bytes = 0;  // body bytes handed to the sink
  std::string failure;      // what went wrong when Failed, for the log
  TimeLimit limit = TimeLimit::None;
};

// Takes the next block of the body; false when it cannot be stored.
using BodySink = std::function<bool(const char* data, std::size_t size)>;

class Helper {
 public:
  // GET http://host:port/path with a new client, following redirects on
  // plain HTTP. Only the body of a final 2xx response reaches the sink.
  //
  // The transfer stops as soon as *proceed is false (checked when the
  // response headers arrive and after every block) and ends Cancelled
  // whenever *proceed is false at the end. It ends Failed for anything that
  // keeps the body from arriving whole: no connection, a final status other
  // than 2xx, a read time-out, a dropped connection, a body shorter than its
  // announced length, a redirect loop or one to https, a sink that refuses.
  //
  // The limits bound the waits on the network (see DownloadLimits); one that
  // runs out ends the transfer Failed with it named in `limit`.
  //
  // The transfer runs on a thread of its own while the calling thread waits
  // and watches *proceed and the total limit, so a cancel returns within a
  // fraction of a second in every phase: name resolution, connect, a server
  // that stays silent. When the call returns, the sink and the progress are
  // no longer touched; a transfer still stuck in the network by then ends on
  // its own, by its limits, owning what it uses.
  //
  // For a body with a length, *progress moves in whole percents (0.01 ...
  // 1.0), at most 100 times, the first at 1 %; it is never reset to 0. The
  // sink runs on the transfer's thread, one block at a time.
  // proceed and progress may be shared with other threads.
  static TransferOutcome DownloadFile(const std::string& host, int port, const std::string& path,
                                      const std::atomic<bool>* proceed,
                                      std::atomic<float>* progress, const BodySink& sink,
                                      const DownloadLimits& limits = kPackageDownloadLimits);
};

}  // namespace kovo::plugin::web::installer
