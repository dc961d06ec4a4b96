// The side-by-side assemblies of an image as Windows' loader finds them: the activation context
// made from the image's manifest resource, asked for each imported DLL.
#pragma once

#include "services/side_by_side.h"

namespace tarn::win32 {

class Win32Assemblies final : public Assemblies {
 public:
  ImageAssemblies Resolve(const std::string& path,
                          const std::vector<std::string>& imports) override;
};

}  // namespace tarn::win32
