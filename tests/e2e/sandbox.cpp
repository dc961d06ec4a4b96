#include "e2e/sandbox.h"

#include <windows.h>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tarn::e2e {

Options& options() {
  static Options instance;
  return instance;
}

Sandbox::Sandbox(const std::string& name) : folder_("e2e-" + name), exe_(Path("tarninfo.exe")) {
  EXPECT_TRUE(::CopyFileA(options().exe.c_str(), exe_.c_str(), FALSE))
      << "cannot copy " << options().exe;
}

std::string Sandbox::CommandLine(const std::string& args) const {
  std::string line = "\"" + exe_ + "\"";
  if (!args.empty()) line += " " + args;
  return line;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace tarn::e2e
