#include "console/arguments.h"

#include <algorithm>
#include <string_view>

#include "services/ascii_case.h"
#include "services/texts.h"

namespace tarn::console {
namespace {

// Digits only, no sign, at most the longest limit.
bool ParseSeconds(std::string_view digits, std::uint32_t& seconds) {
  if (digits.empty() || digits.size() > 5) return false;
  std::uint32_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value > kMaxTimeoutSeconds) return false;
  seconds = value;
  return true;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& words, Arguments& arguments,
                    std::string& error) {
  arguments = Arguments{};
  bool have_file = false;
  for (const std::string& word : words) {
    if (word.empty() || (word.front() != '/' && word.front() != '-')) {
      if (have_file) {
        error = std::string(text::kSecondInfoFile) + word;
        return false;
      }
      arguments.info_file = word;
      have_file = !word.empty();
      continue;
    }
    const std::string name = AsciiLower(std::string_view(word).substr(1));
    if (name == "?" || name == "h") {
      arguments.help = true;
    } else if (name == "json") {
      arguments.json = true;
    } else if (name == "noregister") {
      arguments.no_register = true;
    } else if (name == "nolog") {
      arguments.no_log = true;
    } else if (name.starts_with("folder:") && name.size() > 7) {
      arguments.folder = word.substr(8);
    } else if (name == "folder" || name == "folder:") {
      error = text::kFolderNeedsPath;
      return false;
    } else if (name.starts_with("baseline:") && name.size() > 9) {
      arguments.baseline = word.substr(10);
    } else if (name == "baseline" || name == "baseline:") {
      error = text::kBaselineNeedsFile;
      return false;
    } else if (name.starts_with("timeout:") || name == "timeout") {
      if (!ParseSeconds(std::string_view(name).substr(std::min<std::size_t>(name.size(), 8)),
                        arguments.timeout_seconds)) {
        error = text::kTimeoutNeedsSeconds;
        return false;
      }
    } else if (name.starts_with("scan:") && name.size() > 5) {
      arguments.scan = word.substr(6);
    } else if (name == "scan" || name == "scan:") {
      error = text::kScanNeedsPath;
      return false;
    } else if (name.starts_with("out:") && name.size() > 4) {
      arguments.out = word.substr(5);
    } else if (name == "out" || name == "out:") {
      error = text::kOutNeedsFile;
      return false;
    } else {
      error = std::string(text::kUnknownSwitch) + word;
      return false;
    }
  }
  if (arguments.scan && have_file) {
    error = std::string(text::kScanRunsNoFile) + arguments.info_file;
    return false;
  }
  // A scan runs nothing, so nothing can be reported as JSON or compared.
  if (arguments.scan && (arguments.json || arguments.baseline)) {
    error = text::kScanAlone;
    return false;
  }
  if (!have_file && !arguments.help && !arguments.scan) {
    error = text::kNoInfoFile;
    return false;
  }
  return true;
}

}  // namespace tarn::console
