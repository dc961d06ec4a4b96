// The console edition's command line: Windows-style switches and one info file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::console {

// Long enough for any registration that needs nobody; a dialog that nobody answers ends there.
inline constexpr std::uint32_t kDefaultTimeoutSeconds = 60;
inline constexpr std::uint32_t kMaxTimeoutSeconds = 86400;

struct Arguments {
  bool help = false;
  bool json = false;         // one JSON document on standard output instead of the text report
  bool no_register = false;  // a read-only audit: RegSvr32 is not run
  bool no_log = false;       // the log file is left alone
  std::optional<std::string> folder;    // the answer to every folder question
  std::optional<std::string> baseline;  // a good PC's /json report to compare with
  std::optional<std::string> scan;      // the folder whose info file is written; none is run
  std::optional<std::string> out;       // the file that takes standard output's bytes instead
  // A RegSvr32 that runs longer is ended; 0: no limit.
  std::uint32_t timeout_seconds = kDefaultTimeoutSeconds;
  std::string info_file;
};

// Switches begin with "/" or "-" and are matched without regard to case. False on bad usage,
// with `error` saying what is wrong in one line.
bool ParseArguments(const std::vector<std::string>& words, Arguments& arguments,
                    std::string& error);

}  // namespace tarn::console
