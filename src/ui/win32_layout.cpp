#include "ui/win32_layout.h"

#include <cmath>
#include <string>

#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

int ToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(double(twips) * dpi / 1440.0));
}

bool IsLabel(const ControlSpec& spec) {
  return std::string_view(spec.window_class) == "STATIC";
}

bool CaptionsFit(HDC dc, HFONT font, const ControlSpec* specs, std::size_t count,
                 const Twips& twips) {
  HGDIOBJ old = ::SelectObject(dc, font);
  bool fit = true;
  for (std::size_t i = 0; i < count && fit; ++i) {
    if (!IsLabel(specs[i])) continue;
    const std::string caption(specs[i].caption);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    fit = size.cx <= twips.PixelsX(specs[i].width) && size.cy <= twips.PixelsY(specs[i].height);
  }
  ::SelectObject(dc, old);
  return fit;
}

}  // namespace

Twips Twips::ForScreen() {
  Twips twips;
  if (HDC screen = ::GetDC(nullptr)) {
    const int dpi_x = ::GetDeviceCaps(screen, LOGPIXELSX);
    const int dpi_y = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (dpi_x > 0) twips.dpi_x_ = dpi_x;
    if (dpi_y > 0) twips.dpi_y_ = dpi_y;
  }
  return twips;
}

int Twips::X(int pixels) const {
  return static_cast<int>(std::lround(pixels * 1440.0 / dpi_x_));
}
int Twips::Y(int pixels) const {
  return static_cast<int>(std::lround(pixels * 1440.0 / dpi_y_));
}
int Twips::PixelsX(int twips) const {
  return ToPixels(twips, dpi_x_);
}
int Twips::PixelsY(int twips) const {
  return ToPixels(twips, dpi_y_);
}

Place GetPlace(HWND window, const Twips& twips) {
  RECT r{};
  ::GetWindowRect(window, &r);
  if (HWND parent = ::GetParent(window); parent && (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return {twips.X(r.left), twips.Y(r.top), twips.X(r.right - r.left), twips.Y(r.bottom - r.top)};
}

void SetPlace(HWND window, const Place& place, const Twips& twips) {
  if (place.width < 0 || place.height < 0) return;
  ::SetWindowPos(window, nullptr, twips.PixelsX(place.left), twips.PixelsY(place.top),
                 twips.PixelsX(place.width), twips.PixelsY(place.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int HalfOfRounded(double value) {
  return static_cast<int>(std::nearbyint(value)) / 2;
}

void CreateControls(HWND parent, const ControlSpec* specs, std::size_t count,
                    const ControlFonts& fonts) {
  const Twips twips = Twips::ForScreen();
  for (std::size_t i = 0; i < count; ++i) {
    const ControlSpec& spec = specs[i];
    const std::string caption(spec.caption);
    HWND control = ::CreateWindowExA(
        spec.ex_style, spec.window_class, caption.c_str(), spec.style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), nullptr, nullptr);
    if (control == nullptr) ThrowLastError();
    HFONT font = IsLabel(spec) ? fonts.labels.get() : fonts.others.get();
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetPlace(control, {spec.left, spec.top, spec.width, spec.height}, twips);
  }
}

ControlFonts CreateControlFonts(const ControlSpec* specs, std::size_t count) {
  const Twips twips = Twips::ForScreen();
  HDC dc = ::GetDC(nullptr);
  const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
  LOGFONTA face{};
  face.lfCharSet = DEFAULT_CHARSET;
  face.lfWeight = FW_NORMAL;
  lstrcpynA(face.lfFaceName, "MS Shell Dlg", LF_FACESIZE);
  face.lfHeight = -::MulDiv(8, dpi, 72);
  ControlFonts fonts;
  fonts.others.reset(::CreateFontIndirectA(&face));
  for (int smallest = -::MulDiv(6, dpi, 72); face.lfHeight <= smallest; ++face.lfHeight) {
    fonts.labels.reset(::CreateFontIndirectA(&face));
    if (!fonts.labels || dc == nullptr || CaptionsFit(dc, fonts.labels.get(), specs, count, twips))
      break;
  }
  if (dc) ::ReleaseDC(nullptr, dc);
  return fonts;
}

}  // namespace tarn::win32
