#include "ui/main_window.h"

#include <commdlg.h>

#include <cmath>

#include "checks/paths.h"
#include "services/texts.h"
#include "ui/resource.h"

namespace tarn::win32 {
namespace {

// Design-time places of the controls, in twips, and their tab order (creation order).
struct ControlSpec {
  int id;
  const char* window_class;
  std::string_view caption;
  DWORD style;
  int left, top, width, height;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const ControlSpec kControls[] = {
    {IDC_LST_ITEMS, "LISTBOX", "", kChild | WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY, 120,
     360, 7875, 2790},
    {IDC_LBL_ITEMS, "STATIC", text::kItemsLabel, kChild, 120, 120, 420, 195},
    {IDC_CMD_GET_INFO, "BUTTON", text::kGetInfoButton, kChild | WS_TABSTOP | BS_PUSHBUTTON, 8160,
     1080, 1215, 495},
    {IDC_CMD_EXIT, "BUTTON", text::kExitButton, kChild | WS_TABSTOP | BS_PUSHBUTTON, 8160, 1800,
     1215, 495},
    {IDC_LBL_LOG, "STATIC", text::kLogLabel, kChild, 120, 3360, 315, 195},
    {IDC_TXT_LOG, "EDIT", "",
     kChild | WS_TABSTOP | WS_VSCROLL | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
     120, 3600, 7890, 2865},
    {IDC_CMD_OPEN, "BUTTON", text::kOpenButton, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 8160, 360,
     1215, 495},
};

constexpr int kMinWidth = 9600;
constexpr int kMinHeight = 7200;

// Twips per pixel for the screen's real resolution: 15 at 96 dpi, 10 at 144 dpi.
struct Twips {
  int per_pixel_x = 15, per_pixel_y = 15;

  static Twips ForScreen() {
    Twips twips;
    if (HDC screen = ::GetDC(nullptr)) {
      int dpi_x = ::GetDeviceCaps(screen, LOGPIXELSX), dpi_y = ::GetDeviceCaps(screen, LOGPIXELSY);
      ::ReleaseDC(nullptr, screen);
      if (dpi_x > 0) twips.per_pixel_x = 1440 / dpi_x;
      if (dpi_y > 0) twips.per_pixel_y = 1440 / dpi_y;
    }
    return twips;
  }
  int X(int pixels) const { return pixels * per_pixel_x; }
  int Y(int pixels) const { return pixels * per_pixel_y; }
  int PixelsX(int twips) const {
    return static_cast<int>(std::lround(double(twips) / per_pixel_x));
  }
  int PixelsY(int twips) const {
    return static_cast<int>(std::lround(double(twips) / per_pixel_y));
  }
};

// A window's place in twips, relative to its parent's inner area (or the screen).
struct Place {
  int left, top, width, height;
};

Place GetPlace(HWND window, const Twips& twips) {
  RECT r{};
  ::GetWindowRect(window, &r);
  if (HWND parent = ::GetParent(window); parent && (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return {twips.X(r.left), twips.Y(r.top), twips.X(r.right - r.left), twips.Y(r.bottom - r.top)};
}

// Moves a window; a negative size is a step that cannot be carried out and is passed over.
void SetPlace(HWND window, const Place& place, const Twips& twips) {
  if (place.width < 0 || place.height < 0) return;
  ::SetWindowPos(window, nullptr, twips.PixelsX(place.left), twips.PixelsY(place.top),
                 twips.PixelsX(place.width), twips.PixelsY(place.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Rounds to the nearest whole number, halves to the even neighbour, then halves toward zero.
int HalfOfRounded(double value) {
  return static_cast<int>(std::nearbyint(value)) / 2;
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

MainWindow::MainWindow() : form_(files_, desktop_, *this, shell_) {}

bool MainWindow::Create(HINSTANCE instance) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_TARNINFO));
  if (!window_class.hIcon) window_class.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = TARN_MAIN_WINDOW_CLASS;
  if (!::RegisterClassExA(&window_class) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  accelerators_ = BuildAccelerators();
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
      ArrangeControls();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDC_CMD_OPEN, DC_HASDEFID);
    case WM_CLOSE:
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(hwnd_, message, wparam, lparam);
}

void MainWindow::OnCreate() {
  font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const Twips twips = Twips::ForScreen();
  for (const ControlSpec& spec : kControls) {
    const std::string caption(spec.caption);
    HWND control =
        ::CreateWindowExA(spec.id == IDC_LST_ITEMS || spec.id == IDC_TXT_LOG ? WS_EX_CLIENTEDGE : 0,
                          spec.window_class, caption.c_str(), spec.style, 0, 0, 0, 0, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), nullptr, nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SetPlace(control, {spec.left, spec.top, spec.width, spec.height}, twips);
  }
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
  std::string path;
  form_.LoadInfoFile(path);
}

void MainWindow::OnGetInfo() {
  form_.Process();
}

void MainWindow::OnExit() {
  ::DestroyWindow(hwnd_);
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

std::string MainWindow::FileDialog(std::string_view extension, std::string_view /*start_path*/) {
  std::string filter = "*.";
  filter += extension;
  std::string filters = filter + '\0' + filter + '\0' + '\0';
  std::string folder = desktop_.ExeFolder();
  char file[MAX_PATH] = "";
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = hwnd_;
  request.lpstrFilter = filters.c_str();
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.lpstrInitialDir = folder.c_str();
  const std::string title(text::kFileDialogTitle);
  request.lpstrTitle = title.c_str();
  request.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return ::GetOpenFileNameA(&request) ? std::string(file) : std::string();
}

void MainWindow::StartUp(std::string_view argument_text) {
  InitializeForm();
  ArrangeControls();
  if (!argument_text.empty()) {
    std::string path(argument_text);
    form_.LoadInfoFile(path);
    form_.Process();
  }
  pane_.Flush();
}

void MainWindow::Show(int show_command) {
  ::ShowWindow(hwnd_, show_command);
  ::UpdateWindow(hwnd_);
  ::SetFocus(Control(IDC_CMD_OPEN));
}

bool MainWindow::PreTranslate(MSG& message) {
  if (accelerators_ && ::TranslateAcceleratorA(hwnd_, accelerators_, &message)) return true;
  return ::IsDialogMessageA(hwnd_, &message) != FALSE;
}

void MainWindow::InitializeForm() {
  const Twips twips = Twips::ForScreen();
  const int screen_width = twips.X(::GetSystemMetrics(SM_CXSCREEN));
  const int screen_height = twips.Y(::GetSystemMetrics(SM_CYSCREEN));
  Place window = GetPlace(hwnd_, twips);
  window.width = static_cast<int>(std::nearbyint(screen_width * 0.8));
  window.height = static_cast<int>(std::nearbyint(screen_height * 0.8));
  SetPlace(hwnd_, window, twips);
  window = GetPlace(hwnd_, twips);
  window.left = HalfOfRounded(screen_width - window.width);
  window.top = HalfOfRounded(screen_height - window.height);
  SetPlace(hwnd_, window, twips);
  EnableGetInfo(false);
}

void MainWindow::ArrangeControls() {
  if (hwnd_ == nullptr || ::IsIconic(hwnd_)) return;
  const Twips twips = Twips::ForScreen();
  Place window = GetPlace(hwnd_, twips);
  if (window.width < kMinWidth) {
    window.width = kMinWidth;
    SetPlace(hwnd_, window, twips);
  }
  window = GetPlace(hwnd_, twips);
  if (window.height < kMinHeight) {
    window.height = kMinHeight;
    SetPlace(hwnd_, window, twips);
  }
  RECT inner{};
  ::GetClientRect(hwnd_, &inner);
  const int inner_width = twips.X(inner.right), inner_height = twips.Y(inner.bottom);

  HWND open = Control(IDC_CMD_OPEN), get_info = Control(IDC_CMD_GET_INFO);
  HWND exit = Control(IDC_CMD_EXIT), list = Control(IDC_LST_ITEMS);
  HWND items_label = Control(IDC_LBL_ITEMS), log_label = Control(IDC_LBL_LOG);
  HWND log = Control(IDC_TXT_LOG);
  auto move = [&](HWND control, auto&& change) {
    Place place = GetPlace(control, twips);
    change(place);
    SetPlace(control, place, twips);
  };
  move(open, [&](Place& p) { p.left = inner_width - GetPlace(get_info, twips).width - 120; });
  move(open, [&](Place& p) { p.top = GetPlace(list, twips).top; });
  move(get_info, [&](Place& p) { p.left = GetPlace(open, twips).left; });
  move(get_info, [&](Place& p) {
    Place o = GetPlace(open, twips);
    p.top = o.top + o.height + 240;
  });
  move(exit, [&](Place& p) { p.left = GetPlace(open, twips).left; });
  move(exit, [&](Place& p) {
    Place g = GetPlace(get_info, twips);
    p.top = g.top + g.height + 240;
  });
  move(list, [&](Place& p) { p.width = GetPlace(get_info, twips).left - 240; });
  move(list, [&](Place& p) {
    p.height = HalfOfRounded(inner_height - 2.0 * GetPlace(items_label, twips).height - 300);
  });
  move(log_label, [&](Place& p) { p.left = 120; });
  move(log_label, [&](Place& p) {
    Place l = GetPlace(list, twips);
    p.top = l.top + l.height + 120;
  });
  move(log, [&](Place& p) { p.left = 120; });
  move(log, [&](Place& p) {
    Place l = GetPlace(log_label, twips);
    p.top = l.top + l.height + 60;
  });
  move(log, [&](Place& p) { p.width = GetPlace(list, twips).width; });
  move(log, [&](Place& p) { p.height = inner_height - GetPlace(log, twips).top - 120; });
}

}  // namespace tarn::win32
