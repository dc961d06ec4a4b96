#include "e2e/sandbox.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tarn::e2e {

Options& options() {
  static Options instance;
  return instance;
}

Sandbox::Sandbox(const std::string& name) {
  char temp[MAX_PATH] = "";
  ::GetTempPathA(sizeof temp, temp);
  std::filesystem::path folder = std::filesystem::path(temp) / "tarn-e2e" / name;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder);
  dir_ = folder.string();
  exe_ = dir_ + "\\tarninfo.exe";
  EXPECT_TRUE(::CopyFileA(options().exe.c_str(), exe_.c_str(), FALSE))
      << "cannot copy " << options().exe;
}

Sandbox::~Sandbox() {
  // Read-only files would stop the clean-up.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_, ignored))
    ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(dir_, ignored);
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
