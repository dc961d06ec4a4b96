// The diagnosis of a failed load on this machine: the loader's search as Windows makes it for the
// file's machine, the RegSvr32 that a registration starts and its twins, a class in either
// registry view.
#pragma once

#include <windows.h>

#include "services/diagnostics.h"
#include "services/platform.h"
#include "services/win32/side_by_side.h"

namespace tarn::win32 {

class Win32Diagnostics final : public Diagnostics {
 public:
  Win32Diagnostics(FileSystem& files, LoaderFacts& facts) : files_(files), facts_(facts) {}

  bool Elevated() override;
  LoadDiagnosis ExplainRegistration(const std::string& path) override;
  CreationDiagnosis ExplainCreation(const std::string& prog_id) override;

 private:
  FileSystem& files_;
  LoaderFacts& facts_;
  Win32Assemblies assemblies_;
};

}  // namespace tarn::win32
