// The diagnosis of a failed load on this machine: the loader's search as Windows makes it, the
// RegSvr32 that a registration starts and its twins, a class in either registry view.
#pragma once

#include <windows.h>

#include "services/diagnostics.h"
#include "services/platform.h"
#include "services/win32/side_by_side.h"

namespace tarn::win32 {

class Win32Diagnostics final : public Diagnostics {
 public:
  explicit Win32Diagnostics(FileSystem& files) : files_(files) {}

  bool Elevated() override;
  LoadDiagnosis ExplainRegistration(const std::string& path) override;
  CreationDiagnosis ExplainCreation(const std::string& prog_id) override;

 private:
  FileSystem& files_;
  Win32Assemblies assemblies_;
};

}  // namespace tarn::win32
