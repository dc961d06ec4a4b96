// How tarninfoc reads the files that another program or another PC wrote, beyond the window's
// reading: a byte-order mark says what the text is (Windows PowerShell's ">" writes UTF-16LE with
// one), and an info file must give the run something to check.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/platform.h"

namespace tarn::console {

enum class ByteOrderMark { kNone, kUtf8, kUtf16Le };

// The mark at the start of `bytes`, which it removes from them.
ByteOrderMark TakeByteOrderMark(std::string_view& bytes);

// The text of a file in UTF-8: after a mark, what the mark says; without one, the bytes as they
// are. Nothing when the UTF-16 after a mark is broken (an odd byte, a lone surrogate).
std::optional<std::string> MarkedTextAsUtf8(std::string_view bytes);

// The form's files, whose one whole-file read is the info file's: a file with a byte-order mark
// reaches the runner in the system's code page, in which the runner works; a file without one is
// read byte for byte, as the window reads it.
class MarkedInfoFiles final : public FileSystem {
 public:
  // A UTF-8 text in the system's code page, or nothing when it holds a character that the code
  // page lacks (the runner would find no file of a name changed to '?').
  using ToCodePage = std::function<std::optional<std::string>(std::string_view utf8)>;

  MarkedInfoFiles(FileSystem& files, ToCodePage to_code_page)
      : files_(files), to_code_page_(std::move(to_code_page)) {}

  // Throws a Failure that names the first line the code page cannot hold.
  std::string ReadAll(const std::string& path) override;

  std::optional<std::uint32_t> Attributes(const std::string& path) override {
    return files_.Attributes(path);
  }
  std::uint64_t Length(const std::string& path) override { return files_.Length(path); }
  void Delete(const std::string& path) override { files_.Delete(path); }
  void Append(const std::string& path, std::string_view bytes) override {
    files_.Append(path, bytes);
  }
  WriteTime LastWriteTime(const std::string& path) override {
    return files_.LastWriteTime(path);
  }
  std::optional<FixedFileInfo> FixedVersionInfo(const std::string& path) override {
    return files_.FixedVersionInfo(path);
  }
  std::vector<DirectoryEntry> List(const std::string& folder) override {
    return files_.List(folder);
  }
  std::unique_ptr<FileReader> NewReader() override { return files_.NewReader(); }
  std::optional<std::string> ProductName(const std::string& path) override {
    return files_.ProductName(path);
  }

 private:
  FileSystem& files_;
  ToCodePage to_code_page_;
};

// Whether the loaded item lines name anything to check: a File, ActiveXComponent,
// InstantiateObject or InstallFolder line. A script without one passes having checked nothing.
bool NamesACheck(const std::vector<std::string>& item_lines);

// Whether a line feed without a carriage return stayed inside an item line: the file's lines end
// in LF alone (after a trip through git or a Linux machine), and each such run of lines is one.
bool HoldsLoneLineFeed(const std::vector<std::string>& item_lines);

}  // namespace tarn::console
