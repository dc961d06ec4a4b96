#include "services/win32/files.h"

#include <algorithm>

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

}  // namespace tarn::win32
