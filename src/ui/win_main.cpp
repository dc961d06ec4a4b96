// Entry point of tarninfo.exe.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "script/item_line.h"
#include "ui/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  // COM serves the shell's folders and dialogs and the object checks.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);

  int exit_code = 1;
  {
    tarn::win32::MainWindow window;
    if (window.Create(instance)) {
      window.StartUp(tarn::ArgumentText(::GetCommandLineA()));
      window.Show(show_command);
      MSG message;
      while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
      }
      exit_code = static_cast<int>(message.wParam);
    }
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return exit_code;
}
