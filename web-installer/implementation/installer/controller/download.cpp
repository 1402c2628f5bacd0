// PROVISIONAL: a plain transfer so that callers link; the complete download
// (failure reporting, streaming to disk, progress) replaces it.
#include <httplib.h>

#include <fstream>

#include "installer/controller/installer_engine.h"

namespace kovo::plugin::web::installer {

Result InstallerEngine::DownloadToFile(const std::string& serverPath, const std::string& localPath) {
  auto access = model_.Access();
  access->proceed = true;
  httplib::Client client(updateServer_.host, updateServer_.port);
  client.set_follow_location(true);
  auto response = client.Get(serverPath.c_str());
  if (!response || response->status < 200 || response->status > 299) return kResultFail;
  std::ofstream out(localPath, std::ios::binary | std::ios::trunc);
  out << response->body;
  return access->proceed ? kResultOk : kResultAbort;
}

Result InstallerEngine::DownloadInstallPackage() { return kResultFail; }

}  // namespace kovo::plugin::web::installer
