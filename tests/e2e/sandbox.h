// A fresh folder holding its own copy of tarninfo.exe, so each test has its own log file.
#pragma once

#include <optional>
#include <string>

#include "support/test_support.h"

namespace tarn::e2e {

struct Options {
  std::string exe;       // the built tarninfo.exe
  std::string cases;     // the folder of *.case files
  std::string fixtures;  // the folder of the built fixtures
};
Options& options();

class Sandbox {
 public:
  explicit Sandbox(const std::string& name);

  const std::string& dir() const { return folder_.path(); }  // no trailing backslash
  const std::string& exe() const { return exe_; }
  std::string LogPath() const { return Path("Tarn Application Information.log"); }
  std::string Path(const std::string& file) const { return folder_ / file; }
  // The command line that starts the sandbox's exe with `args` (none when empty).
  std::string CommandLine(const std::string& args) const;

 private:
  test::TempFolder folder_;
  std::string exe_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFile(const std::string& path);

}  // namespace tarn::e2e
