// How much the gathered insertion into the log pane saves over one control call per entry, on a
// visible window. Prints the time of each and their ratio. Run under Wine with a display:
//   wine build/win64/log_pane_bench.exe [entries]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/win32_controls.h"

namespace {

HWND MakeEdit(HWND parent) {
  HWND edit = ::CreateWindowExA(0, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0,
                                0, 600, 400, parent, nullptr, nullptr, nullptr);
  ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  return edit;
}

template <typename Body>
double Seconds(Body&& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 2000;
  HWND window = ::CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                                  480, nullptr, nullptr, nullptr, nullptr);
  const std::string entry = "   File Date: 12/6/2026 5:33:31 AM\r\n";

  HWND direct = MakeEdit(window);
  const double per_entry = Seconds([&] {
    for (int i = 0; i < entries; ++i) {
      const int end = ::GetWindowTextLengthA(direct);
      ::SendMessageA(direct, EM_SETSEL, end, end);
      ::SendMessageA(direct, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(entry.c_str()));
    }
  });
  ::DestroyWindow(direct);

  tarn::win32::EditLogPane pane;
  pane.Attach(MakeEdit(window));
  const double gathered = Seconds([&] {
    for (int i = 0; i < entries; ++i) pane.Append(entry);
    pane.Flush();
  });

  std::printf("%d entries: one call each %.3f s, gathered %.3f s, ratio %.1f\n", entries, per_entry,
              gathered, gathered > 0 ? per_entry / gathered : 0.0);
  ::DestroyWindow(window);
  return 0;
}
