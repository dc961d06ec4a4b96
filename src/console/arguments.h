// The console edition's command line: Windows-style switches and one info file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarn::console {

struct Arguments {
  bool help = false;
  bool json = false;         // one JSON document on standard output instead of the text report
  bool no_register = false;  // a read-only audit: RegSvr32 is not run
  bool no_log = false;       // the log file is left alone
  std::optional<std::string> folder;    // the answer to every folder question
  std::optional<std::string> baseline;  // a good PC's /json report to compare with
  std::optional<std::string> scan;      // the folder whose info file is written; none is run
  std::optional<std::string> out;       // the file that takes standard output's bytes instead
  std::string info_file;
};

// Switches begin with "/" or "-" and are matched without regard to case. False on bad usage,
// with `error` saying what is wrong in one line.
bool ParseArguments(const std::vector<std::string>& words, Arguments& arguments,
                    std::string& error);

}  // namespace tarn::console
