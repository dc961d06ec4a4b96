#include "services/win32/files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "services/paths.h"
#include "services/win32/handles.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

// Writes and reads go in pieces that a DWORD can count.
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kPiece = 64 << 20;

// The file's version resource, empty when it has none.
std::vector<unsigned char> VersionResource(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  std::vector<unsigned char> buffer(size);
  if (size != 0 && !::GetFileVersionInfoA(path.c_str(), handle, size, buffer.data()))
    buffer.clear();
  return buffer;
}

// A string of the resource's string table, zero-ended within the resource.
std::optional<std::string> VersionString(std::vector<unsigned char>& resource,
                                         const std::string& key) {
  void* block = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(resource.data(), key.c_str(), &block, &length) || block == nullptr ||
      length == 0) {
    return std::nullopt;
  }
  const char* from = static_cast<const char*>(block);
  const char* end = reinterpret_cast<const char*>(resource.data() + resource.size());
  if (std::less<>()(from, reinterpret_cast<const char*>(resource.data())) ||
      !std::less<>()(from, end)) {
    return std::nullopt;
  }
  const std::size_t bounded = std::min<std::size_t>(length, static_cast<std::size_t>(end - from));
  std::string text(from, bounded);
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

}  // namespace

std::optional<std::uint32_t> Win32FileSystem::Attributes(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

std::uint64_t Win32FileSystem::Length(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) ThrowLastError();
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

void Win32FileSystem::Delete(const std::string& path) {
  if (!::DeleteFileA(path.c_str())) ThrowLastError();
}

std::string Win32FileSystem::ReadAll(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError();
  std::string contents;
  char buffer[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) ThrowLastError();
    if (read == 0) break;
    contents.append(buffer, read);
  }
  return contents;
}

void Win32FileSystem::Append(const std::string& path, std::string_view bytes) {
  UniqueFile file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError();
  while (!bytes.empty()) {
    DWORD piece = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), piece, &written, nullptr)) ThrowLastError();
    if (written == 0) ThrowSystemError(ERROR_DISK_FULL);
    bytes.remove_prefix(written);
  }
}

WriteTime Win32FileSystem::LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) ThrowLastError();
  const FILETIME& utc = data.ftLastWriteTime;
  FILETIME local;
  SYSTEMTIME shown;
  if (!::FileTimeToLocalFileTime(&utc, &local)) ThrowLastError();
  if (!::FileTimeToSystemTime(&local, &shown)) ThrowLastError();
  // The zone's rules of the file's own year (they change: daylight saving in the United States
  // began in April until 2006); where they cannot be applied, today's offset stands rather than
  // the date being lost from the report.
  SYSTEMTIME utc_time, zoned = shown;
  FILETIME zoned_file = local;
  if (::FileTimeToSystemTime(&utc, &utc_time)) {
    auto [rules, added] = zone_years_.try_emplace(utc_time.wYear);
    if (added) {
      TIME_ZONE_INFORMATION year{};
      if (::GetTimeZoneInformationForYear(utc_time.wYear, nullptr, &year)) rules->second = year;
    }
    SYSTEMTIME converted;
    FILETIME converted_file;
    if (rules->second &&
        ::SystemTimeToTzSpecificLocalTime(&*rules->second, &utc_time, &converted) &&
        ::SystemTimeToFileTime(&converted, &converted_file)) {
      zoned = converted;
      zoned_file = converted_file;
    }
  }
  auto ticks = [](const FILETIME& time) {
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime);
  };
  auto to_local = [](const SYSTEMTIME& t) {
    return LocalDateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  };
  // Rounded: the conversion keeps milliseconds, the file's time has ten-millionths of a second.
  constexpr double kTicksPerMinute = 600000000.0;
  const auto offset = static_cast<int>(
      std::lround(static_cast<double>(ticks(zoned_file) - ticks(utc)) / kTicksPerMinute));
  return {to_local(shown), {to_local(zoned), offset}};
}

// The results of the read and of the root-block query are not looked at: a query that yields
// nothing copies nothing and leaves the record zero. The copy is bounded by the record and by the
// end of the buffer, whatever length the query reports.
std::optional<FixedFileInfo> Win32FileSystem::FixedVersionInfo(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> buffer(size);
  ::GetFileVersionInfoA(path.c_str(), handle, size, buffer.data());
  void* block = nullptr;
  UINT length = 0;
  ::VerQueryValueA(buffer.data(), "\\", &block, &length);

  FixedFileInfo record{};
  if (length == 0 || block == nullptr) return record;
  const auto* from = static_cast<const unsigned char*>(block);
  const unsigned char* end = buffer.data() + buffer.size();
  if (std::less<>()(from, buffer.data()) || !std::less<>()(from, end))
    ThrowSystemError(ERROR_INVALID_DATA);
  const std::size_t bytes =
      std::min({std::size_t{length}, sizeof record, static_cast<std::size_t>(end - from)});
  std::memcpy(record.data(), from, bytes);
  return record;
}

std::vector<DirectoryEntry> Win32FileSystem::List(const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(CombinePath(folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    // A drive's root may hold nothing at all, not even "." and "..".
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    ThrowLastError();
  }
  do {
    const std::string_view name = found.cFileName;
    if (name == "." || name == "..") continue;
    entries.push_back({std::string(name), found.dwFileAttributes,
                       (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow});
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return entries;
}

namespace {

// Reads at any offset of the open file, through an OVERLAPPED offset, so that the file's own
// position never matters and offsets beyond 4 GiB reach as far as the 32-bit build's. Each read
// takes at least kAhead bytes, and a read within what the last one took is answered from memory:
// a look at a file's first bytes and the PE reader's first window are then one read.
class Win32FileReader final : public FileReader {
 public:
  void Open(const std::string& path) override {
    have_ = 0;
    at_end_ = false;
    file_.reset(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) ThrowLastError();
  }
  std::string_view Read(std::uint64_t offset, std::size_t count) override {
    const bool held = offset >= offset_ && offset - offset_ <= have_ &&
                      (offset - offset_ + count <= have_ || at_end_);
    if (!held) Fill(offset, std::max(count, kAhead));
    const std::size_t from = static_cast<std::size_t>(offset - offset_);
    return std::string_view(bytes_.data() + from, std::min(count, have_ - from));
  }

 private:
  static constexpr std::size_t kAhead = 64 * 1024;

  // A read that gives less than was asked for has met the end.
  void Fill(std::uint64_t offset, std::size_t count) {
    offset_ = offset;
    have_ = 0;
    at_end_ = false;
    if (bytes_.size() < count) bytes_.resize(count);
    while (have_ < count && !at_end_) {
      const DWORD ask = static_cast<DWORD>(std::min(count - have_, kPiece));
      const std::uint64_t at = offset + have_;
      OVERLAPPED where{};
      where.Offset = static_cast<DWORD>(at);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      DWORD read = 0;
      if (!::ReadFile(file_.get(), bytes_.data() + have_, ask, &read, &where) &&
          ::GetLastError() != ERROR_HANDLE_EOF)
        ThrowLastError();
      have_ += read;
      at_end_ = read < ask;
    }
  }

  UniqueFile file_;
  std::string bytes_;  // the memory of every read, used again
  std::uint64_t offset_ = 0;
  std::size_t have_ = 0;  // the bytes from offset_ that the last read took
  bool at_end_ = false;   // the last read met the file's end
};

}  // namespace

std::unique_ptr<FileReader> Win32FileSystem::NewReader() {
  return std::make_unique<Win32FileReader>();
}

// The first language of the resource's translation table, else US English in Unicode and in
// the Windows Latin code page, the two that resource compilers write by default.
std::optional<std::string> Win32FileSystem::ProductName(const std::string& path) {
  std::vector<unsigned char> resource = VersionResource(path);
  if (resource.empty()) return std::nullopt;
  std::vector<std::string> tables;
  void* block = nullptr;
  UINT length = 0;
  if (::VerQueryValueA(resource.data(), "\\VarFileInfo\\Translation", &block, &length) &&
      block != nullptr && length >= 4) {
    const auto* words = static_cast<const WORD*>(block);
    char table[9];
    std::snprintf(table, sizeof table, "%04x%04x", words[0], words[1]);
    tables.push_back(table);
  }
  tables.insert(tables.end(), {"040904b0", "040904e4"});
  for (const std::string& table : tables) {
    if (auto name = VersionString(resource, "\\StringFileInfo\\" + table + "\\ProductName"))
      return name;
  }
  return std::nullopt;
}

}  // namespace tarn::win32
