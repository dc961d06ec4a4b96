// Places in twips (1/1440 inch) on a Windows screen, the controls of a window built from a table,
// and the font its labels share.
#pragma once

#include <windows.h>

#include <string_view>

#include "services/win32/handles.h"

namespace tarn::win32 {

// Converts with the screen's real resolution: 15 twips a pixel at 96 dpi, 10 at 144 dpi.
class Twips {
 public:
  static Twips ForScreen();
  int X(int pixels) const;
  int Y(int pixels) const;
  int PixelsX(int twips) const;
  int PixelsY(int twips) const;

 private:
  int dpi_x_ = 96, dpi_y_ = 96;
};

// A window's place in twips, relative to its parent's inner area (the screen for a top-level
// window).
struct Place {
  int left, top, width, height;
};

Place GetPlace(HWND window, const Twips& twips);
// Moves and sizes a window. A negative width or height cannot be set: the step is passed over.
void SetPlace(HWND window, const Place& place, const Twips& twips);

// Rounds to the nearest whole number, halves to the even neighbour, then halves with the
// remainder dropped.
int HalfOfRounded(double value);

// One control of a window, with its design-time place in twips. Creation order is tab order.
struct ControlSpec {
  int id;
  const char* window_class;
  std::string_view caption;
  DWORD style;
  DWORD ex_style;
  int left, top, width, height;
};

// The fonts of a window's controls. Both are the dialog font ("MS Shell Dlg") at 8 points; the
// labels' one is made a pixel smaller at a time while a caption would not fit its label's design
// width or height (at 6 points it stops shrinking), as labels keep their design size.
struct ControlFonts {
  UniqueFont labels;
  UniqueFont others;
};
ControlFonts CreateControlFonts(const ControlSpec* specs, std::size_t count);

// Creates the controls in the order given, with their fonts, at their places. Throws on failure.
void CreateControls(HWND parent, const ControlSpec* specs, std::size_t count,
                    const ControlFonts& fonts);

}  // namespace tarn::win32
