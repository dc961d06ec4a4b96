#include "services/failure.h"

#include <cstdio>
#include <exception>
#include <new>

#include "services/error_string.h"

namespace tarn {
namespace {

struct Classic {
  std::uint32_t code;
  std::string_view text;
};

// The wordings Windows programs have always shown for these failures. HRESULTs that wrap a
// Win32 code (0x8007xxxx) are looked up by that code.
constexpr Classic kClassic[] = {
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many files"},
    {5, "Permission denied"},
    {8, "Out of memory"},
    {14, "Out of memory"},
    {15, "Device unavailable"},
    {21, "Device unavailable"},
    {32, "Permission denied"},
    {33, "Permission denied"},
    {39, "Disk full"},
    {53, "Path not found"},
    {67, "Path not found"},
    {112, "Disk full"},
    {123, "Bad file name or number"},
    {161, "Path not found"},
    {206, "Bad file name or number"},
    {0x80004002, "No such interface supported"},
    {0x80040154, "ActiveX component can't create object"},
    {0x800401F3, "ActiveX component can't create object"},
    {0x80029C4A, "Error loading type library/DLL."},
    {0x80029C83, "Error accessing the OLE registry."},
    {0x8002802B, "Element not found"},
};

}  // namespace

std::string_view ClassicDescription(std::uint32_t code) noexcept {
  if ((code & 0xFFFF0000u) == 0x80070000u) code &= 0xFFFFu;
  for (const Classic& c : kClassic)
    if (c.code == code) return c.text;
  return {};
}

std::string DescribeSystemError(std::uint32_t code, std::string_view platform_text) {
  if (std::string_view classic = ClassicDescription(code); !classic.empty())
    return std::string(classic);
  while (!platform_text.empty() && (platform_text.back() == '\r' || platform_text.back() == '\n' ||
                                    platform_text.back() == ' '))
    platform_text.remove_suffix(1);
  if (!platform_text.empty()) return std::string(platform_text);
  char text[48];
  std::snprintf(text, sizeof text, "Unexpected error (0x%08X)", static_cast<unsigned>(code));
  return text;
}

std::string CurrentDescription() noexcept {
  try {
    const std::exception_ptr current = std::current_exception();
    if (!current) return "Unexpected error";
    try {
      std::rethrow_exception(current);
    } catch (const std::bad_alloc&) {
      return "Out of memory";
    } catch (const std::exception& e) {
      std::string text = e.what();
      return text.empty() ? "Unexpected error" : text;
    } catch (...) {
      return "Unexpected error";
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
