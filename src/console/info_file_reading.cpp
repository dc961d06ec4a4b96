#include "console/info_file_reading.h"

#include <algorithm>
#include <cstdint>

#include "script/item_line.h"
#include "services/ascii_case.h"
#include "services/texts.h"

namespace tarn::console {
namespace {

void PutUtf8(std::uint32_t code_point, std::string& utf8) {
  if (code_point < 0x80) {
    utf8 += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    utf8 += static_cast<char>(0xC0 | (code_point >> 6));
    utf8 += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (code_point >> 12));
    utf8 += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    utf8 += static_cast<char>(0xF0 | (code_point >> 18));
    utf8 += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    utf8 += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

std::optional<std::string> Utf16LeAsUtf8(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string utf8;
  utf8.reserve(bytes.size());
  auto unit = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
  };
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    std::uint32_t code_point = unit(at);
    if (code_point >= 0xDC00 && code_point < 0xE000) return std::nullopt;
    if (code_point >= 0xD800 && code_point < 0xDC00) {
      at += 2;
      if (at >= bytes.size()) return std::nullopt;
      const std::uint32_t low = unit(at);
      if (low < 0xDC00 || low >= 0xE000) return std::nullopt;
      code_point = 0x10000 + ((code_point - 0xD800) << 10) + (low - 0xDC00);
    }
    PutUtf8(code_point, utf8);
  }
  return utf8;
}

constexpr std::string_view kCheckKeys[] = {text::kTypeFile, text::kTypeActiveXComponent,
                                           text::kTypeInstantiateObject, text::kTypeInstallFolder};

}  // namespace

ByteOrderMark TakeByteOrderMark(std::string_view& bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    return ByteOrderMark::kUtf8;
  }
  if (bytes.starts_with("\xFF\xFE")) {
    bytes.remove_prefix(2);
    return ByteOrderMark::kUtf16Le;
  }
  return ByteOrderMark::kNone;
}

std::optional<std::string> MarkedTextAsUtf8(std::string_view bytes) {
  if (TakeByteOrderMark(bytes) == ByteOrderMark::kUtf16Le) return Utf16LeAsUtf8(bytes);
  return std::string(bytes);
}

std::string MarkedInfoFiles::ReadAll(const std::string& path) {
  std::string bytes = files_.ReadAll(path);
  std::string_view rest(bytes);
  const ByteOrderMark mark = TakeByteOrderMark(rest);
  if (mark == ByteOrderMark::kNone) return bytes;
  const std::optional<std::string> utf8 =
      mark == ByteOrderMark::kUtf16Le ? Utf16LeAsUtf8(rest) : std::string(rest);
  if (!utf8) throw Failure(std::string(text::kInfoFileIs).append(text::kNoUtf16));
  if (std::optional<std::string> local = to_code_page_(*utf8)) return std::move(*local);
  // Which line to mend: a CR ends a line, and an LF right after it belongs to that end.
  std::string_view lines(*utf8);
  for (std::size_t number = 1;; ++number) {
    const std::size_t end = std::min(lines.find('\r'), lines.size());
    if (!to_code_page_(lines.substr(0, end)) || end == lines.size()) {
      throw Failure(std::string(text::kInfoFileLine)
                        .append(std::to_string(number))
                        .append(text::kInfoFileNotInCodePage));
    }
    lines.remove_prefix(end + 1);
    if (lines.starts_with('\n')) lines.remove_prefix(1);
  }
}

bool NamesACheck(const std::vector<std::string>& item_lines) {
  return std::any_of(item_lines.begin(), item_lines.end(), [](const std::string& line) {
    ItemLine item;
    if (!SplitItemLine(line, item)) return false;
    return std::any_of(std::begin(kCheckKeys), std::end(kCheckKeys),
                       [&](std::string_view key) { return EqualNoCase(item.key, key); });
  });
}

bool HoldsLoneLineFeed(const std::vector<std::string>& item_lines) {
  return std::any_of(item_lines.begin(), item_lines.end(),
                     [](const std::string& line) { return line.find('\n') != std::string::npos; });
}

}  // namespace tarn::console
