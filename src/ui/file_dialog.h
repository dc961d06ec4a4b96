// The file dialog: a drive list, a folder list and a file list kept in step with each other, and
// OK and Cancel. One object is one dialog: created hidden, shown modally once, then destroyed.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "ui/win32_layout.h"

namespace tarn::win32 {

class FileDialogWindow {
 public:
  // Creates the dialog, hidden, owned by `owner`. Throws on failure.
  explicit FileDialogWindow(HWND owner);
  FileDialogWindow(const FileDialogWindow&) = delete;
  FileDialogWindow& operator=(const FileDialogWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  void SetCaption(std::string_view caption);
  // Selects the drive of the first two characters ("C:") and runs the drive list's change
  // reaction, or selects none when they name no drive. Throws when the drive list has no such
  // drive.
  void SetDrive(std::string_view drive);
  // Moves the folder list to `path` and runs its change reaction. Throws when it cannot be read.
  void SetFolderPath(std::string_view path);
  void SetPattern(std::string_view pattern);
  // Shows the dialog modally and returns when it is hidden by OK or Cancel or closed, or when its
  // window went with its owner.
  void ShowModal();

  bool ok_clicked() const { return ok_clicked_; }
  const std::string& file_path() const { return file_path_; }
  int FileCount() const;
  int SelectedFile() const;
  void SelectFile(int index);
  std::string FileName(int index) const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);
  void OnDriveChanged();
  std::string SelectedFolderEntry() const;
  void OnFolderClicked();
  void OnFolderDoubleClicked();
  void Hide(bool ok_clicked);
  void SetFilePath(std::string_view path);
  void MeasureFolderEntry(MEASUREITEMSTRUCT& item) const;
  void DrawFolderEntry(const DRAWITEMSTRUCT& item) const;
  HWND Control(int id) const { return ::GetDlgItem(hwnd_, id); }

  HWND owner_ = nullptr;
  HWND hwnd_ = nullptr;
  ControlFonts fonts_;
  UniqueIcon open_folder_;
  UniqueIcon closed_folder_;
  bool ok_clicked_ = false;
  bool done_ = false;
  std::string folder_path_;
  std::string file_path_;
  std::string pattern_;
  // Last, so the window goes first, also when the constructor throws: its controls use the
  // fonts and icons above, and its messages reach this object until it is gone.
  UniqueWindow window_;
};

}  // namespace tarn::win32
