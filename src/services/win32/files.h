#pragma once

#include <windows.h>

#include <map>

#include "services/platform.h"

namespace tarn::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  std::optional<std::uint32_t> Attributes(const std::string& path) override;
  std::uint64_t Length(const std::string& path) override;
  void Delete(const std::string& path) override;
  std::string ReadAll(const std::string& path) override;
  void Append(const std::string& path, std::string_view bytes) override;
  WriteTime LastWriteTime(const std::string& path) override;
  std::optional<FixedFileInfo> FixedVersionInfo(const std::string& path) override;
  std::vector<DirectoryEntry> List(const std::string& folder) override;
  std::unique_ptr<FileReader> NewReader() override;
  std::optional<std::string> ProductName(const std::string& path) override;

 private:
  // The zone's rules by year, as they were read once: a run may date thousands of files.
  std::map<WORD, std::optional<TIME_ZONE_INFORMATION>> zone_years_;
};

}  // namespace tarn::win32
