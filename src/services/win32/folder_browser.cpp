#include "services/win32/folder_browser.h"

#include <cstring>
#include <memory>

#include "services/win32/handles.h"

namespace tarn::win32 {
namespace {

constexpr std::size_t kPathBuffer = 512;
constexpr std::size_t kStartFolderLimit = 260;
const auto kNoRootList = reinterpret_cast<LPITEMIDLIST>(static_cast<INT_PTR>(-1));

// The folder to preselect: set by each call before the browser opens, trimmed by the callback.
std::string start_folder_text;

}  // namespace

std::string BrowseForFolder(HWND owner, const std::string& start_folder, const std::string& title,
                            int root) {
  start_folder_text = start_folder;
  // The root's item list belongs to the browse; a root the shell does not know offers everything.
  UniqueItemList root_list;
  if (root != -1) {
    LPITEMIDLIST location = GetFolderLocation(owner, root);
    if (location != kNoRootList) root_list.reset(location);
  }
  BROWSEINFOA request{};
  request.hwndOwner = owner;
  request.pidlRoot = root_list.get();
  request.pszDisplayName = nullptr;
  request.lpszTitle = title.empty() ? nullptr : title.c_str();
  request.ulFlags = BIF_RETURNONLYFSDIRS;
  request.lpfn = start_folder.empty() ? nullptr : BrowseCallbackProc;
  request.lParam = 0;
  request.iImage = 0;
  UniqueItemList chosen(::SHBrowseForFolderA(&request));
  if (!chosen) return {};
  char buffer[kPathBuffer];
  std::memset(buffer, ' ', sizeof buffer);
  if (!::SHGetPathFromIDListA(chosen.get(), buffer)) return {};
  const void* end = std::memchr(buffer, '\0', sizeof buffer);
  std::string path(buffer, end ? static_cast<const char*>(end) - buffer : sizeof buffer);
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

int CALLBACK BrowseCallbackProc(HWND browser, UINT message, LPARAM, LPARAM) noexcept {
  if (message != BFFM_INITIALIZED) return 0;
  std::string& folder = start_folder_text;
  if (folder.size() >= 1 && folder.back() == '\\' &&
      !(folder.size() >= 2 && folder[folder.size() - 2] == ':'))
    folder.pop_back();
  if (folder.size() > kStartFolderLimit) folder.resize(kStartFolderLimit);
  ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
  return 0;
}

LPITEMIDLIST GetFolderLocation(HWND owner, int folder) {
  if (folder == -1) return kNoRootList;
  LPITEMIDLIST list = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(owner, folder, &list))) return nullptr;
  return list;
}

}  // namespace tarn::win32
