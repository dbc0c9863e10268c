#pragma once
// Owners of GDI objects and of the screen's device context: each frees its
// object once.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace dizod {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct ScreenDcReleaser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};

using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
// The screen's device context: GetDC(nullptr).
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcReleaser>;

}  // namespace dizod
