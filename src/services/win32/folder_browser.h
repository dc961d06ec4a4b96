// The shell's folder browser.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace tarn::win32 {

// The folder the user picks in the shell's browser, owned by `owner`: its path ending in one
// backslash, or empty text when the user cancelled or the folder has no file-system path.
// `start_folder` is preselected when not empty; `root` is a CSIDL, or -1 for the whole namespace.
std::string BrowseForFolder(HWND owner, const std::string& start_folder, const std::string& title,
                            int root);

// Preselects the start folder once the browser is up; always 0.
int CALLBACK BrowseCallbackProc(HWND browser, UINT message, LPARAM parameter, LPARAM data) noexcept;

// The item list of a special folder, reinterpret_cast<LPITEMIDLIST>(-1) for -1, or null when the
// shell fails.
LPITEMIDLIST GetFolderLocation(HWND owner, int folder);

}  // namespace tarn::win32
