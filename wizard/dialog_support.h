// Small pieces that both of the wizard's dialogs use: an in-memory dialog
// template, owners of GDI objects and device contexts, pixel scaling and
// line breaks for display.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"

namespace quillfern::wizard {

// A font, brush or other GDI object that we made.
struct GdiTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) { return ::DeleteObject(h) != FALSE; }
};
using ScopedGdiObject = platform::Scoped<GdiTraits>;

// A device context from GetDC, with the window it goes back to.
struct WindowDc {
  HWND window;
  HDC dc;
  bool operator==(const WindowDc& other) const { return window == other.window && dc == other.dc; }
};
struct WindowDcTraits {
  using Handle = WindowDc;
  static Handle Invalid() { return {nullptr, nullptr}; }
  static bool Close(Handle h) { return ::ReleaseDC(h.window, h.dc) == 1; }
};
using ScopedWindowDc = platform::Scoped<WindowDcTraits>;

// Window's device context (the screen's for a null window), given back when
// the owner goes; an empty owner when the system has none to give.
inline ScopedWindowDc GetWindowDc(HWND window) {
  const HDC dc = ::GetDC(window);
  return ScopedWindowDc(dc ? WindowDc{window, dc} : WindowDcTraits::Invalid());
}

// An object selected into a device context, with the one it displaced,
// which goes back in when the owner goes.
struct Selection {
  HDC dc;
  HGDIOBJ previous;
  bool operator==(const Selection& other) const { return dc == other.dc && previous == other.previous; }
};
struct SelectionTraits {
  using Handle = Selection;
  static Handle Invalid() { return {nullptr, nullptr}; }
  static bool Close(Handle h) { return ::SelectObject(h.dc, h.previous) != nullptr; }
};
using ScopedSelection = platform::Scoped<SelectionTraits>;

// Selects Object into Dc until the owner goes; an empty owner, with nothing
// to put back, when the selection failed.
inline ScopedSelection SelectInto(HDC dc, HGDIOBJ object) {
  const HGDIOBJ previous = ::SelectObject(dc, object);
  return ScopedSelection(previous && previous != HGDI_ERROR ? Selection{dc, previous} : SelectionTraits::Invalid());
}

// A dialog template with the frame, no caption text and no controls: the
// dialogs create their controls themselves, in pixels rather than dialog
// units. The buffer is DWORD-aligned, as the template must be.
std::vector<DWORD> EmptyDialogTemplate(DWORD style, DWORD exStyle);

// The screen's pixels per logical inch (96 unless the user changed it).
int ScreenDpi();

// Value, given at 96 DPI, at Dpi.
inline int Scale(int value, int dpi) { return ::MulDiv(value, dpi, 96); }

// "MS Sans Serif" at 8 point for Dpi, the font the layout is made for; the
// system substitutes its nearest font where that one is missing. Null when
// no font could be made.
ScopedGdiObject CreateDialogFont(int dpi);

// The height of a line of text that the dialogs are laid out for, at 96 DPI.
constexpr int kLayoutTextHeight = 13;

// The font the wizard and its messages draw their text in, with what the
// layout needs to know of it.
struct DialogFont {
  ScopedGdiObject font;
  int textHeight = 0;  // the height of a line of text, in pixels
  int slack = 0;       // pixels to add to a measured width so that no letter is cut
};

// The layout's font, unless the system's code page is double-byte and that
// font has no glyphs for the system's script (typed Japanese would show as
// boxes): then the system's message font, in the system's character set.
// A null font when none could be made.
DialogFont ChooseDialogFont(int dpi);

// How much taller than the layout's a line of text is in Font at Dpi; never
// less than nothing.
int ExtraLineHeight(const DialogFont& font, int dpi);

// The text of a window, whatever its length.
std::wstring WindowText(HWND window);

// The room Text takes on Window's device context in Font when its lines
// break at Width, as a static control draws it, the font's slack included.
SIZE WrappedTextSize(HWND window, const DialogFont& font, std::wstring_view text, int width);

// Puts back the working directory that was current when it was made. The
// common file dialogs make the folder of the chosen file the working
// directory, and a relative output folder would then land there.
class KeptWorkingDirectory {
 public:
  KeptWorkingDirectory() : folder_(platform::CurrentDirectoryUtf16()) {}
  KeptWorkingDirectory(const KeptWorkingDirectory&) = delete;
  KeptWorkingDirectory& operator=(const KeptWorkingDirectory&) = delete;
  ~KeptWorkingDirectory() {
    if (!folder_.empty()) ::SetCurrentDirectoryW(folder_.c_str());
  }

 private:
  std::wstring folder_;
};

// Names given to windows for screen readers through the system's
// accessibility property service, which keeps them beside each window until
// they are cleared. Where the system has no such service nothing is named.
class AccessibleNames {
 public:
  AccessibleNames();  // COM must be initialised on this thread
  AccessibleNames(const AccessibleNames&) = delete;
  AccessibleNames& operator=(const AccessibleNames&) = delete;
  ~AccessibleNames() { Clear(); }

  // True when the service took Name for Window's client area.
  bool Set(HWND window, const wchar_t* name);
  // Takes back every name given, while the windows still exist.
  void Clear();

 private:
  platform::win32::ScopedCom<IAccPropServices> service_;
  std::vector<HWND> named_;
};

}  // namespace quillfern::wizard
