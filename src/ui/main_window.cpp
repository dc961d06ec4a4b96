#include "ui/main_window.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

#include "services/paths.h"
#include "services/texts.h"
#include "ui/file_dialog.h"
#include "ui/resource.h"
#include "ui/win32_layout.h"

namespace tarn::win32 {
namespace {

// Design-time places of the controls, in twips, and their tab order (creation order).
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const ControlSpec kControls[] = {
    {IDC_LST_ITEMS, "LISTBOX", "", kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, WS_EX_CLIENTEDGE,
     120, 360, 7875, 2790},
    {IDC_LBL_ITEMS, "STATIC", text::kItemsLabel, kChild | SS_NOPREFIX, 0, 120, 120, 420, 195},
    {IDC_CMD_GET_INFO, "BUTTON", text::kGetInfoButton, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 8160,
     1080, 1215, 495},
    {IDC_CMD_EXIT, "BUTTON", text::kExitButton, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 8160, 1800,
     1215, 495},
    {IDC_LBL_LOG, "STATIC", text::kLogLabel, kChild | SS_NOPREFIX, 0, 120, 3360, 315, 195},
    {IDC_TXT_LOG, "EDIT", "",
     kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
     WS_EX_CLIENTEDGE, 120, 3600, 7890, 2865},
    {IDC_CMD_OPEN, "BUTTON", text::kOpenButton, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 8160,
     360, 1215, 495},
};

constexpr int kMinWidth = 9600;
constexpr int kMinHeight = 7200;

int InnerWidth(HWND window, const Twips& twips) {
  RECT inner{};
  ::GetClientRect(window, &inner);
  return twips.X(inner.right);
}

int InnerHeight(HWND window, const Twips& twips) {
  RECT inner{};
  ::GetClientRect(window, &inner);
  return twips.Y(inner.bottom);
}

HMENU BuildMenu() {
  HMENU bar = ::CreateMenu();
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuA(file, MF_STRING, IDM_FILE_OPEN, std::string(text::kMenuFileOpen).c_str());
  ::AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(file, MF_STRING, IDM_FILE_EXIT, std::string(text::kMenuFileExit).c_str());
  ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file),
                std::string(text::kMenuFile).c_str());
  HMENU edit = ::CreatePopupMenu();
  ::AppendMenuA(edit, MF_STRING, IDM_EDIT_COPY_ALL, std::string(text::kMenuEditCopyAll).c_str());
  ::AppendMenuA(edit, MF_STRING, IDM_EDIT_COPY, std::string(text::kMenuEditCopy).c_str());
  ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit),
                std::string(text::kMenuEdit).c_str());
  return bar;
}

HACCEL BuildAccelerators() {
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'O', IDM_FILE_OPEN},
      {FVIRTKEY | FCONTROL, 'C', IDM_EDIT_COPY},
  };
  return ::CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys)));
}

}  // namespace

MainWindow::MainWindow() : form_({files_, desktop_, shell_, com_, *this}, *this) {}

MainWindow::~MainWindow() {
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

bool MainWindow::Create(HINSTANCE instance) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_TARNINFO));
  if (!window_class.hIcon) window_class.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
  window_class.hIconSm = static_cast<HICON>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_TARNINFO), IMAGE_ICON,
                   ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = TARN_MAIN_WINDOW_CLASS;
  if (!::RegisterClassExA(&window_class) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  accelerators_.reset(BuildAccelerators());
  const std::string title(text::kAppTitle);
  return ::CreateWindowExA(0, TARN_MAIN_WINDOW_CLASS, title.c_str(),
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                           480, nullptr, BuildMenu(), instance, this) != nullptr;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(hwnd, message, wparam, lparam);
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    // Every command handles its own failures; nothing may unwind into the system's code.
    return 0;
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      // While the window is being sized for the screen, the layout waits for its own call.
      if (!initializing_) ArrangeControls();
      return 0;
    case WM_GETMINMAXINFO: {
      // The window may be as large as its minimum also on a smaller screen: it then reaches past
      // the screen's edges.
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lparam);
      const Twips twips = Twips::ForScreen();
      limits.ptMaxTrackSize.x = std::max<LONG>(limits.ptMaxTrackSize.x, twips.PixelsX(kMinWidth));
      limits.ptMaxTrackSize.y = std::max<LONG>(limits.ptMaxTrackSize.y, twips.PixelsY(kMinHeight));
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDC_CMD_OPEN, DC_HASDEFID);
    case WM_SETCURSOR:
      // The controls pass this up first, so the hourglass holds over them too.
      if (ShowAppPointer()) return TRUE;
      break;
    case WM_CLOSE:
      OnExit();
      return 0;
    case WM_ENDSESSION:
      if (wparam) OnEndSession();
      return 0;
    case WM_DESTROY:
      pane_.Detach();
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(hwnd_, message, wparam, lparam);
}

void MainWindow::OnCreate() {
  fonts_ = CreateControlFonts(kControls, std::size(kControls));
  CreateControls(hwnd_, kControls, std::size(kControls), fonts_);
  items_.Attach(Control(IDC_LST_ITEMS));
  pane_.Attach(Control(IDC_TXT_LOG));
  shell_.Attach(hwnd_);
  desktop_.Attach(hwnd_, [this] {
    try {
      pane_.Flush();
    } catch (...) {
    }
  });
}

void MainWindow::OnCommand(int id, int code) {
  switch (id) {
    case IDC_CMD_OPEN:
    case IDM_FILE_OPEN:
      return OnOpen();
    case IDC_CMD_GET_INFO:
      return OnGetInfo();
    case IDC_CMD_EXIT:
    case IDM_FILE_EXIT:
      return OnExit();
    case IDM_EDIT_COPY_ALL:
      return OnCopyAll();
    case IDM_EDIT_COPY:
      return OnCopy();
    case IDC_LST_ITEMS:
      // The list is only looked at: whenever it gets the focus, the Open button takes it.
      if (code == LBN_SETFOCUS) ::SetFocus(Control(IDC_CMD_OPEN));
      return;
  }
}

void MainWindow::OnOpen() {
  if (running_) {
    ::MessageBeep(MB_OK);
    return;
  }
  std::string path;
  form_.LoadInfoFile(path);
}

void MainWindow::OnGetInfo() {
  if (running_) {
    ::MessageBeep(MB_OK);
    return;
  }
  RunScript();
}

void MainWindow::OnExit() {
  if (running_)
    close_requested_ = true;
  else
    ::DestroyWindow(hwnd_);
}

void MainWindow::OnEndSession() {
  // The run waits inside this call and would never reach its own save: it is stopped as Exit
  // stops it, and what the pane holds is saved now.
  if (!running_) return;
  close_requested_ = true;
  form_.SaveLogBeforeTheEnd();
}

void MainWindow::RunScript() {
  running_ = true;
  form_.Process();
  running_ = false;
  if (close_requested_) ::DestroyWindow(hwnd_);
}

ProgramEnd MainWindow::RunAndWait(const std::string& command_line) {
  // What the run has written so far is on the screen while the program runs.
  try {
    pane_.Flush();
  } catch (...) {
  }
  // The item's program starts as the window's report promises: found by the system's search for
  // a program, at normal priority, nothing more, so it shares whatever console the window has;
  // waited for without a limit, as a user at the desk sees the program's dialogs.
  ProgramEnd end = win32::RunAndWait(
      command_line, *this,
      {.creation_flags = NORMAL_PRIORITY_CLASS, .program = {}, .time_limit_ms = 0});
  // The window's exit code starts at 0: one that cannot be read is 0.
  if (end.kind == ProgramEnd::Kind::kNoExitCode) end = {ProgramEnd::Kind::kExited, 0, end.program};
  // A quit taken off the queue during the wait is for the program's own loop, after the run.
  if (quit_code_) ::PostQuitMessage(static_cast<int>(*std::exchange(quit_code_, std::nullopt)));
  return end;
}

void MainWindow::HandlePendingEvents() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit_code_ = message.wParam;
      continue;
    }
    if (PreTranslate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

void MainWindow::OnCopyAll() {
  form_.CopyAllText();
}

void MainWindow::OnCopy() {
  form_.CopyText();
}

void MainWindow::EnableGetInfo(bool enabled) {
  ::EnableWindow(Control(IDC_CMD_GET_INFO), enabled ? TRUE : FALSE);
}

std::string MainWindow::FileDialog(std::string_view extension, std::string_view start_path) {
  std::string result;
  std::unique_ptr<FileDialogWindow> dialog;
  Guarded({Mode::kBoxAndLeave, text::kProcedureFileDialog, kMainModule, BoxIcon::kNone}, form_,
          [&] {
            pane_.Flush();
            dialog = std::make_unique<FileDialogWindow>(hwnd_);
            dialog->SetCaption(text::kFileDialogTitle);
            std::string start_folder = form_.GetFilePathOnly(start_path);
            if (start_folder.empty() ||
                !(form_.DoesFolderExist(start_folder) || form_.DoesFileExist(start_folder)))
              start_folder = desktop_.ExeFolder();
            // A drive alone ("C:", the folder of a file in a root) stands for its root.
            if (start_folder.size() == 2 && start_folder[1] == ':') start_folder += '\\';
            dialog->SetDrive(start_folder.substr(0, 2));
            dialog->SetFolderPath(start_folder);
            dialog->SetPattern("*." + std::string(extension));
            dialog->ShowModal();
            if (dialog->ok_clicked() && dialog->FileCount() > 0) {
              if (dialog->SelectedFile() < 0) dialog->SelectFile(0);
              result = CombinePath(dialog->file_path(), dialog->FileName(dialog->SelectedFile()));
            }
          });
  // Closing steps: the dialog goes, whatever happened; its own failures are ignored.
  dialog.reset();
  return result;
}

void MainWindow::StartUp(std::string_view argument_text) {
  InitializeForm();
  ArrangeControls();
  if (!argument_text.empty()) {
    std::string path(argument_text);
    form_.LoadInfoFile(path);
    RunScript();
  }
  pane_.Flush();
}

void MainWindow::Show(int show_command) {
  if (!::IsWindow(hwnd_)) return;  // closed during the start-up's run
  ::ShowWindow(hwnd_, show_command);
  ::UpdateWindow(hwnd_);
  ::SetFocus(Control(IDC_CMD_OPEN));
}

bool MainWindow::PreTranslate(MSG& message) {
  if (accelerators_ && ::TranslateAcceleratorA(hwnd_, accelerators_.get(), &message)) return true;
  return ::IsDialogMessageA(hwnd_, &message) != FALSE;
}

void MainWindow::InitializeForm() {
  // Each step on its own: a step that fails is passed over (nothing here throws).
  initializing_ = true;
  const Twips twips = Twips::ForScreen();
  const int screen_width = twips.X(::GetSystemMetrics(SM_CXSCREEN));
  const int screen_height = twips.Y(::GetSystemMetrics(SM_CYSCREEN));
  const double width = screen_width * 0.8, height = screen_height * 0.8;
  Place window = GetPlace(hwnd_, twips);
  window.width = static_cast<int>(std::lround(width));
  SetPlace(hwnd_, window, twips);
  window = GetPlace(hwnd_, twips);
  window.height = static_cast<int>(std::lround(height));
  SetPlace(hwnd_, window, twips);
  // The width and height as the window took them.
  window = GetPlace(hwnd_, twips);
  window.left = HalfOfRounded(screen_width - window.width);
  SetPlace(hwnd_, window, twips);
  window = GetPlace(hwnd_, twips);
  window.top = HalfOfRounded(screen_height - window.height);
  SetPlace(hwnd_, window, twips);
  initializing_ = false;
  EnableGetInfo(false);
}

void MainWindow::ArrangeControls() {
  if (hwnd_ == nullptr) return;
  const Twips twips = Twips::ForScreen();
  HWND open = Control(IDC_CMD_OPEN), get_info = Control(IDC_CMD_GET_INFO);
  HWND exit = Control(IDC_CMD_EXIT), list = Control(IDC_LST_ITEMS);
  HWND items_label = Control(IDC_LBL_ITEMS), log_label = Control(IDC_LBL_LOG);
  HWND log = Control(IDC_TXT_LOG);
  // One step: read the control's place now, change one value, set it. A value that cannot be
  // set (a negative size while the window is minimised) leaves the control as it was.
  auto step = [&](HWND control, auto&& change) {
    Place place = GetPlace(control, twips);
    change(place);
    SetPlace(control, place, twips);
  };
  // A minimised or maximised window cannot be sized: steps 1 and 2 are passed over then. Setting
  // a size reports a further size change, which arranges the controls inside this call.
  const bool fixed = ::IsIconic(hwnd_) || ::IsZoomed(hwnd_);
  if (!fixed && GetPlace(hwnd_, twips).width < kMinWidth)
    step(hwnd_, [](Place& p) { p.width = kMinWidth; });
  if (!fixed && GetPlace(hwnd_, twips).height < kMinHeight)
    step(hwnd_, [](Place& p) { p.height = kMinHeight; });
  step(open, [&](Place& p) {
    p.left = InnerWidth(hwnd_, twips) - GetPlace(get_info, twips).width - 120;
  });
  step(open, [&](Place& p) { p.top = GetPlace(list, twips).top; });
  step(get_info, [&](Place& p) { p.left = GetPlace(open, twips).left; });
  step(get_info, [&](Place& p) {
    const Place o = GetPlace(open, twips);
    p.top = o.top + o.height + 240;
  });
  step(exit, [&](Place& p) { p.left = GetPlace(open, twips).left; });
  step(exit, [&](Place& p) {
    const Place g = GetPlace(get_info, twips);
    p.top = g.top + g.height + 240;
  });
  step(list, [&](Place& p) { p.width = GetPlace(get_info, twips).left - 240; });
  step(list, [&](Place& p) {
    p.height =
        HalfOfRounded(InnerHeight(hwnd_, twips) - 2.0 * GetPlace(items_label, twips).height - 300);
  });
  step(log_label, [&](Place& p) { p.left = 120; });
  // The list's height as it took it: a list box keeps a whole number of lines.
  step(log_label, [&](Place& p) {
    const Place l = GetPlace(list, twips);
    p.top = l.top + l.height + 120;
  });
  step(log, [&](Place& p) { p.left = 120; });
  step(log, [&](Place& p) {
    const Place l = GetPlace(log_label, twips);
    p.top = l.top + l.height + 60;
  });
  step(log, [&](Place& p) { p.width = GetPlace(list, twips).width; });
  step(log,
       [&](Place& p) { p.height = InnerHeight(hwnd_, twips) - GetPlace(log, twips).top - 120; });
}

}  // namespace tarn::win32
