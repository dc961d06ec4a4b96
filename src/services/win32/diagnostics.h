// The diagnosis of a failed load on this machine: the loader's search as Windows makes it, the
// registration tool the system's search finds, the server a class is registered with.
#pragma once

#include <windows.h>

#include "services/diagnostics.h"
#include "services/platform.h"

namespace tarn::win32 {

class Win32Diagnostics final : public Diagnostics {
 public:
  explicit Win32Diagnostics(FileSystem& files) : files_(files) {}

  LoadDiagnosis ExplainRegistration(const std::string& path) override;
  LoadDiagnosis ExplainCreation(const std::string& prog_id) override;

 private:
  FileSystem& files_;
};

}  // namespace tarn::win32
