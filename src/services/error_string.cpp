#include "services/error_string.h"

namespace tarn {

std::string ErrorString(std::string_view description, std::string_view procedure,
                        std::int32_t line_number, std::string_view module) noexcept {
  try {
    if (procedure.empty() && line_number == 0 && module.empty()) return std::string(description);
    std::string text = "[";
    if (!module.empty()) {
      text += module;
      if (!procedure.empty()) text += '.';
    }
    text += procedure;
    if (line_number != 0) {
      text += " (";
      text += std::to_string(line_number);
      text += ')';
    }
    text += "] ";
    text += description;
    return text;
  } catch (...) {
    // Only an allocation can fail here, and then no text can be built at all.
    return {};
  }
}

}  // namespace tarn
