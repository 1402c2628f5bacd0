// Four switches with which a tester leaves out single stages of an
// installation ("-sE", "-sD", "-sI", "-sA" on the command line). Written by
// the program entry before other threads start; read-only afterwards.
#pragma once

namespace kovo::plugin::web::installer {

class ProgramOptions {
 public:
  virtual ~ProgramOptions() = default;

  // The one process-wide instance, created on first use.
  static ProgramOptions& Instance();

  bool CheckEnvironment() const { return checkEnvironment_; }
  bool DownloadPackage() const { return downloadPackage_; }
  bool InstallPackage() const { return installPackage_; }
  bool AnalyzeInstallLog() const { return analyzeInstallLog_; }

  void SetCheckEnvironment(bool value) { checkEnvironment_ = value; }
  void SetDownloadPackage(bool value) { downloadPackage_ = value; }
  void SetInstallPackage(bool value) { installPackage_ = value; }
  void SetAnalyzeInstallLog(bool value) { analyzeInstallLog_ = value; }

 protected:
  ProgramOptions() = default;

 private:
  bool checkEnvironment_ = true;
  bool downloadPackage_ = true;
  bool installPackage_ = true;
  bool analyzeInstallLog_ = true;
};

}  // namespace kovo::plugin::web::installer
