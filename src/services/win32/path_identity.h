#pragma once

#include <windows.h>

#include "services/platform.h"

namespace tarn::win32 {

// Two open handles are one file: the same volume and the same file index on it.
bool SameFile(HANDLE file, HANDLE other);

// Paths compared as the files they open, so that a short name or another case is the same file.
class Win32PathIdentity final : public PathIdentity {
 public:
  bool SameFile(const std::string& path, const std::string& other) override;
};

}  // namespace tarn::win32
