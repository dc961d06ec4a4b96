// A fresh folder holding its own copy of tarninfo.exe, so each test has its own log file.
#pragma once

#include <optional>
#include <string>

namespace tarn::e2e {

struct Options {
  std::string exe;    // the built tarninfo.exe
  std::string cases;  // the folder of *.case files
};
Options& options();

class Sandbox {
 public:
  explicit Sandbox(const std::string& name);
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;
  ~Sandbox();

  const std::string& dir() const { return dir_; }  // no trailing backslash
  const std::string& exe() const { return exe_; }
  std::string LogPath() const { return dir_ + "\\Tarn Application Information.log"; }
  std::string Path(const std::string& file) const { return dir_ + "\\" + file; }
  // The command line that starts the sandbox's exe with `args` (none when empty).
  std::string CommandLine(const std::string& args) const;

 private:
  std::string dir_, exe_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFile(const std::string& path);

}  // namespace tarn::e2e
