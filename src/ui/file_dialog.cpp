#include "ui/file_dialog.h"

#include <shellapi.h>

#include <algorithm>

#include "services/paths.h"
#include "form/folder_list.h"
#include "services/ascii_case.h"
#include "services/failure.h"
#include "services/texts.h"
#include "services/win32/handles.h"
#include "services/win32/system_error.h"
#include "ui/resource.h"
#include "ui/win32_controls.h"
#include "ui/win32_layout.h"

namespace tarn::win32 {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kList = kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
// The drive list's height in the table is that of its selection field; the list drops below it.
constexpr int kDriveDropHeight = 3000;

const ControlSpec kControls[] = {
    {IDC_DRV_DRIVE, "COMBOBOX", "", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 120,
     360, 3375, 315},
    {IDC_LBL_DRIVE, "STATIC", text::kDriveLabel, kChild | SS_NOPREFIX, 0, 120, 120, 420, 195},
    {IDC_DIR_FOLDERS, "LISTBOX", "", kList | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, WS_EX_CLIENTEDGE,
     120, 1020, 3375, 3690},
    {IDC_LBL_FOLDERS, "STATIC", text::kFoldersLabel, kChild | SS_NOPREFIX, 0, 120, 780, 555, 195},
    {IDC_FIL_FILES, "LISTBOX", "", kList, WS_EX_CLIENTEDGE, 3660, 360, 3075, 4380},
    {IDC_LBL_FILES, "STATIC", text::kFilesLabel, kChild | SS_NOPREFIX, 0, 3720, 120, 360, 195},
    {IDC_CMD_OK, "BUTTON", text::kOkButton, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 6900, 300,
     1215, 495},
    {IDC_CMD_CANCEL, "BUTTON", text::kCancelButton, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 6900,
     1020, 1215, 495},
};

constexpr int kClientWidth = 8280;
constexpr int kClientHeight = 4860;

void RegisterDialogClass() {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = ::DefDlgProcA;
  window_class.cbWndExtra = DLGWINDOWEXTRA;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = TARN_FILE_DIALOG_CLASS;
  if (!::RegisterClassExA(&window_class) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError();
}

// An empty dialog template of the dialog's own class; the controls are created afterwards.
std::vector<WORD> DialogTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
  words.push_back(0);  // no menu
  for (const char* c = TARN_FILE_DIALOG_CLASS; *c; ++c) words.push_back(static_cast<WORD>(*c));
  words.push_back(0);
  for (char c : text::kFileDialogCaption) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

HICON FolderIcon(UINT open) {
  SHFILEINFOA info{};
  ::SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                   SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON | open);
  return info.hIcon;
}

// The names in `folder` that match `pattern`: folders (not "." and "..") or plain files, neither
// hidden nor system ones, in the order the file system gives them.
std::vector<std::string> ListFolder(std::string_view folder, bool folders,
                                    std::string_view pattern) {
  const std::string search = CombinePath(folder, "*");
  WIN32_FIND_DATAA found{};
  const UniqueFind find(::FindFirstFileA(search.c_str(), &found));
  if (!find) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return {};
    ThrowSystemError(error);
  }
  std::vector<std::string> names;
  do {
    const std::string_view name = found.cFileName;
    const DWORD attributes = found.dwFileAttributes;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if (bool(attributes & FILE_ATTRIBUTE_DIRECTORY) != folders) continue;
    if (name == "." || name == "..") continue;
    if (MatchesPattern(name, pattern)) names.emplace_back(name);
  } while (::FindNextFileA(find.get(), &found));
  return names;
}

}  // namespace

FileDialogWindow::FileDialogWindow(HWND owner) : owner_(owner) {
  RegisterDialogClass();
  fonts_ = CreateControlFonts(kControls, std::size(kControls));
  open_folder_.reset(FolderIcon(SHGFI_OPENICON));
  closed_folder_.reset(FolderIcon(0));
  pattern_ = text::kAllFilesPattern;
  const std::vector<WORD> dialog = DialogTemplate();
  hwnd_ = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr),
                                       reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), owner,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
  if (hwnd_ == nullptr) ThrowLastError();
  window_.reset(hwnd_);

  const Twips twips = Twips::ForScreen();
  RECT frame{0, 0, twips.PixelsX(kClientWidth), twips.PixelsY(kClientHeight)};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_EXSTYLE)));
  // Centred over the owner; the place on the screen is the dialog's own choice.
  RECT over{};
  if (owner == nullptr || !::GetWindowRect(owner, &over))
    over = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  ::SetWindowPos(hwnd_, nullptr, (over.left + over.right - width) / 2,
                 (over.top + over.bottom - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

  CreateControls(hwnd_, kControls, std::size(kControls), fonts_);
  HWND drives = Control(IDC_DRV_DRIVE);
  RECT field{};
  ::GetWindowRect(drives, &field);
  ::SetWindowPos(drives, nullptr, 0, 0, field.right - field.left, twips.PixelsY(kDriveDropHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const DWORD mask = ::GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if (!(mask & (1u << letter))) continue;
    const char name[] = {static_cast<char>('a' + letter), ':', '\0'};
    ::SendMessageA(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  // A fresh drive list shows the current drive, as the folder and file lists show the current
  // folder; none of them reacts before the caller sets them.
  char current[MAX_PATH] = "";
  if (::GetCurrentDirectoryA(MAX_PATH, current) >= 2 && current[1] == ':') {
    const char name[] = {AsciiLower(current[0]), ':', '\0'};
    ::SendMessageA(drives, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(name));
  }
}

void FileDialogWindow::SetCaption(std::string_view caption) {
  if (!::SetWindowTextA(hwnd_, std::string(caption).c_str())) ThrowLastError();
}

void FileDialogWindow::SetDrive(std::string_view drive) {
  HWND drives = Control(IDC_DRV_DRIVE);
  // A folder on a network share (\\server\share) has no drive: none is selected until the user
  // picks one.
  if (drive.size() < 2 || drive[1] != ':') {
    ::SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return;
  }
  const std::string name{AsciiLower(drive[0]), ':'};
  const LRESULT index = ::SendMessageA(drives, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(name.c_str()));
  if (index == CB_ERR) throw Failure(std::string(text::kDeviceUnavailable));
  ::SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  OnDriveChanged();
}

void FileDialogWindow::SetFolderPath(std::string_view path) {
  char full[MAX_PATH] = "";
  const std::string wanted(path);
  const DWORD length = ::GetFullPathNameA(wanted.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) ThrowLastError();
  const std::string folder = TrimFolder(full);
  const std::vector<FolderEntry> entries = FolderListEntries(folder, ListFolder(folder, true, "*"));
  if (entries.empty()) throw Failure(std::string(text::kPathNotFound));

  HWND list = Control(IDC_DIR_FOLDERS);
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  int current = 0;
  for (const FolderEntry& entry : entries) {
    const LRESULT index =
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.path.c_str()));
    ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                   static_cast<LPARAM>(entry.level * 2 + (entry.open ? 1 : 0)));
    if (entry.open) current = static_cast<int>(index);
  }
  ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
  folder_path_ = folder;
  // The folder list's change reaction: the file list follows it.
  ErrorState reaction;
  reaction.Attempt([&] { SetFilePath(folder_path_); });
}

void FileDialogWindow::SetPattern(std::string_view pattern) {
  pattern_ = pattern;
  SetFilePath(file_path_);
}

void FileDialogWindow::SetFilePath(std::string_view path) {
  std::vector<std::string> names = ListFolder(path, false, pattern_);
  std::sort(names.begin(), names.end(), LessNoCase);
  HWND list = Control(IDC_FIL_FILES);
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : names)
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
  file_path_ = path;
}

void FileDialogWindow::ShowModal() {
  done_ = false;
  const bool owner_enabled = owner_ && ::IsWindowEnabled(owner_);
  if (owner_enabled) ::EnableWindow(owner_, FALSE);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetFocus(Control(IDC_DRV_DRIVE));
  MSG message;
  while (!done_ && window_) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(message.wParam));  // for the program's own loop
      break;
    }
    if (got < 0) break;
    if (::IsDialogMessageA(hwnd_, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  // Gone without OK or Cancel: its owner was destroyed and took it along, so neither is left to
  // show or hide.
  if (!window_) return;
  // The owner takes the focus back before the dialog goes.
  if (owner_enabled) ::EnableWindow(owner_, TRUE);
  ::ShowWindow(hwnd_, SW_HIDE);
  if (owner_) ::SetActiveWindow(owner_);
}

int FileDialogWindow::FileCount() const {
  const LRESULT count = ::SendMessageA(Control(IDC_FIL_FILES), LB_GETCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

int FileDialogWindow::SelectedFile() const {
  return static_cast<int>(::SendMessageA(Control(IDC_FIL_FILES), LB_GETCURSEL, 0, 0));
}

void FileDialogWindow::SelectFile(int index) {
  if (::SendMessageA(Control(IDC_FIL_FILES), LB_SETCURSEL, static_cast<WPARAM>(index), 0) == LB_ERR)
    throw Failure(std::string(text::kNoSuchItem));
}

std::string FileDialogWindow::FileName(int index) const {
  return ListEntryText(Control(IDC_FIL_FILES), index, LB_GETTEXTLEN, LB_GETTEXT);
}

INT_PTR CALLBACK FileDialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<FileDialogWindow*>(lparam);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lparam);
    return FALSE;
  }
  auto* self = reinterpret_cast<FileDialogWindow*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    // The last message: nothing may reach the object after it. The window may go before the
    // object does (its owner's destruction takes it along), and its handle must not be destroyed
    // a second time then: by that time the value may name another window.
    ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    self->window_.release();
    return FALSE;
  }
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    // The dialog's reactions ignore their own failures; nothing may unwind into the system.
    return FALSE;
  }
}

INT_PTR FileDialogWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      // The close box leaves the dialog as it is: OK was not pressed.
      Hide(ok_clicked_);
      return TRUE;
    case WM_MEASUREITEM:
      MeasureFolderEntry(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_DRAWITEM:
      DrawFolderEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
  }
  return FALSE;
}

void FileDialogWindow::OnCommand(int id, int code) {
  switch (id) {
    case IDC_CMD_OK:
      if (code == BN_CLICKED) Hide(true);
      return;
    case IDC_CMD_CANCEL:
      if (code == BN_CLICKED) Hide(false);
      return;
    case IDC_DRV_DRIVE:
      if (code == CBN_SELCHANGE) OnDriveChanged();
      return;
    case IDC_DIR_FOLDERS:
      if (code == LBN_SELCHANGE) OnFolderClicked();
      if (code == LBN_DBLCLK) OnFolderDoubleClicked();
      return;
    case IDC_FIL_FILES:
      if (code == LBN_DBLCLK) Hide(true);
      return;
  }
}

void FileDialogWindow::OnDriveChanged() {
  // A drive that cannot be read leaves the folder and file lists where they were.
  ErrorState reaction;
  reaction.Attempt([&] {
    HWND drives = Control(IDC_DRV_DRIVE);
    const int index = static_cast<int>(::SendMessageA(drives, CB_GETCURSEL, 0, 0));
    std::string drive = ListEntryText(drives, index, CB_GETLBTEXTLEN, CB_GETLBTEXT).substr(0, 2);
    drive[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    // The drive's own current folder.
    char folder[MAX_PATH] = "";
    const DWORD length = ::GetFullPathNameA(drive.c_str(), MAX_PATH, folder, nullptr);
    if (length == 0 || length >= MAX_PATH) ThrowLastError();
    SetFolderPath(folder);
  });
}

std::string FileDialogWindow::SelectedFolderEntry() const {
  HWND list = Control(IDC_DIR_FOLDERS);
  const int index = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
  return ListEntryText(list, index, LB_GETTEXTLEN, LB_GETTEXT);
}

void FileDialogWindow::OnFolderClicked() {
  // The file list shows the selected folder; the folder list stays where it is.
  ErrorState reaction;
  reaction.Attempt([&] { SetFilePath(SelectedFolderEntry()); });
}

void FileDialogWindow::OnFolderDoubleClicked() {
  ErrorState reaction;
  reaction.Attempt([&] { SetFolderPath(SelectedFolderEntry()); });
}

void FileDialogWindow::Hide(bool ok_clicked) {
  ok_clicked_ = ok_clicked;
  done_ = true;
  // Wakes the modal loop also when the command came as a message sent from another thread.
  ::PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void FileDialogWindow::MeasureFolderEntry(MEASUREITEMSTRUCT& item) const {
  int height = ::GetSystemMetrics(SM_CYSMICON);
  if (HDC dc = ::GetDC(hwnd_)) {
    HGDIOBJ old = ::SelectObject(dc, fonts_.others.get());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd_, dc);
    height = std::max<int>(height, metrics.tmHeight);
  }
  item.itemHeight = static_cast<UINT>(height + 2);
}

void FileDialogWindow::DrawFolderEntry(const DRAWITEMSTRUCT& item) const {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const bool selected = item.itemState & ODS_SELECTED;
  HDC dc = item.hDC;
  ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  FolderEntry entry;
  entry.path =
      ListEntryText(item.hwndItem, static_cast<int>(item.itemID), LB_GETTEXTLEN, LB_GETTEXT);
  entry.level = static_cast<int>(item.itemData / 2);
  entry.open = item.itemData % 2 != 0;
  const int icon = ::GetSystemMetrics(SM_CXSMICON);
  const int height = item.rcItem.bottom - item.rcItem.top;
  int x = item.rcItem.left + 2 + entry.level * (icon / 2 + 2);
  if (HICON glyph = entry.open ? open_folder_.get() : closed_folder_.get())
    ::DrawIconEx(dc, x, item.rcItem.top + (height - icon) / 2, glyph, icon, icon, 0, nullptr,
                 DI_NORMAL);
  x += icon + 3;
  HGDIOBJ old = ::SelectObject(dc, fonts_.others.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = item.rcItem;
  text.left = x;
  const std::string_view name = EntryName(entry);
  ::DrawTextA(dc, name.data(), static_cast<int>(name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(dc, old);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
}

}  // namespace tarn::win32
