#include "services/failure.h"

#include <cstdio>
#include <exception>
#include <new>

#include "services/error_string.h"
#include "services/texts.h"

namespace tarn {
std::string_view ClassicDescription(std::uint32_t code) noexcept {
  if ((code & 0xFFFF0000u) == 0x80070000u) code &= 0xFFFFu;
  for (const text::ClassicDescription& c : text::kClassicDescriptions)
    if (c.code == code) return c.text;
  return {};
}

std::string DescribeSystemError(std::uint32_t code, std::string_view platform_text,
                                std::string_view fallback) {
  if (std::string_view classic = ClassicDescription(code); !classic.empty())
    return std::string(classic);
  while (!platform_text.empty() && (platform_text.back() == '\r' || platform_text.back() == '\n' ||
                                    platform_text.back() == ' '))
    platform_text.remove_suffix(1);
  if (!platform_text.empty()) return std::string(platform_text);
  if (!fallback.empty()) return std::string(fallback);
  char text[48];
  std::snprintf(text, sizeof text, text::kUnexpectedErrorCode.data(), static_cast<unsigned>(code));
  return text;
}

std::string CurrentDescription() noexcept {
  try {
    const std::exception_ptr current = std::current_exception();
    if (!current) return std::string(text::kUnexpectedError);
    try {
      std::rethrow_exception(current);
    } catch (const std::bad_alloc&) {
      return std::string(text::kOutOfMemory);
    } catch (const std::exception& e) {
      std::string text = e.what();
      return text.empty() ? std::string(text::kUnexpectedError) : text;
    } catch (...) {
      return std::string(text::kUnexpectedError);
    }
  } catch (...) {
    return {};
  }
}

void Report(const Handler& handler, Reporter& reporter, std::string_view description) noexcept {
  switch (handler.mode) {
    case Mode::kLogAndLeave:
      reporter.ReportToLog(ErrorString(description, handler.procedure, 0, handler.module));
      break;
    case Mode::kBoxAndLeave:
      if (handler.bare_description)
        reporter.ReportInBox(description, handler.icon);
      else
        reporter.ReportInBox(ErrorString(description, handler.procedure, 0, handler.module),
                             handler.icon);
      break;
    case Mode::kSilentDefault:
    case Mode::kIgnoreAndContinue:
      break;
  }
}

}  // namespace tarn
