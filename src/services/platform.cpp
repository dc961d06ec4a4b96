#include "services/platform.h"

namespace tarn {

std::string GeneralDate(Desktop& desktop, const LocalDateTime& when) {
  std::string text = desktop.ShortDate(when);
  if (!when.IsMidnight()) {
    text += ' ';
    text += desktop.LongTime(when);
  }
  return text;
}

}  // namespace tarn
