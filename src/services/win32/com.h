#pragma once

#include "services/platform.h"

namespace tarn::win32 {

// COM on the calling thread, which must have initialised it.
class Win32Com final : public Com {
 public:
  std::unique_ptr<TypeLibReader> NewTypeLibReader() override;
  std::unique_ptr<ComObject> CreateObject(const std::string& prog_id) override;
  std::string ClassOf(const std::string& prog_id) override;
};

}  // namespace tarn::win32
