#pragma once

#include "services/loader_view.h"
#include "services/platform.h"

namespace tarn::win32 {

// The registrations of type libraries under HKCR\TypeLib, read in the registry view of a machine's
// programs.
class Win32TypeLibRegistry final : public TypeLibRegistry {
 public:
  explicit Win32TypeLibRegistry(const LoaderView& loader) : loader_(loader) {}
  std::string RegisteredFile(const TypeLibraryAttributes& library, std::uint16_t machine) override;

 private:
  const LoaderView& loader_;
};

}  // namespace tarn::win32
