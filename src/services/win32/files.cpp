#include "services/win32/files.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "services/win32/handles.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

// Writes and reads go in pieces that a DWORD can count.
constexpr std::size_t kChunk = 1 << 20;

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

LocalDateTime Win32FileSystem::LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) ThrowLastError();
  FILETIME local;
  SYSTEMTIME time;
  if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local)) ThrowLastError();
  if (!::FileTimeToSystemTime(&local, &time)) ThrowLastError();
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
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

}  // namespace tarn::win32
