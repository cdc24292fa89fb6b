// The property service's identities are defined here, so that the program
// needs no import library for them and oleacc.dll is loaded only by COM.
#include <initguid.h>

#include "wizard/dialog_support.h"

#include <objbase.h>

namespace quillfern::wizard {

std::vector<DWORD> EmptyDialogTemplate(DWORD style, DWORD exStyle) {
  // DLGTEMPLATE, then three empty WORD arrays: no menu, the default dialog
  // class, no title.
  std::vector<DWORD> buffer((sizeof(DLGTEMPLATE) + 3 * sizeof(WORD) + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer.data());
  dialog->style = style;
  dialog->dwExtendedStyle = exStyle;
  return buffer;
}

int ScreenDpi() {
  const ScopedWindowDc screen = GetWindowDc(nullptr);
  if (!screen) return 96;
  const int dpi = ::GetDeviceCaps(screen.get().dc, LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

ScopedGdiObject CreateDialogFont(int dpi) {
  LOGFONTA font{};
  font.lfHeight = -::MulDiv(8, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
  return ScopedGdiObject(::CreateFontIndirectA(&font));
}

namespace {

// Characters that every user of a double-byte code page types: kana and
// kanji, simplified hanzi, hangul, traditional hanzi. Empty for the others.
std::wstring_view ScriptSample(UINT codePage) {
  switch (codePage) {
    case 932: return L"\x3042\x8868";  // a, table
    case 936: return L"\x4E2D\x6587";  // Chinese writing
    case 949: return L"\xD55C\xAE00";  // hangul
    case 950: return L"\x4E2D\x6587";
    default: return {};
  }
}

// True when Font has a glyph of its own for every character of Text. A
// glyph the system would borrow from another font does not count: nothing
// promises it.
bool HasGlyphs(HGDIOBJ font, std::wstring_view text) {
  const ScopedWindowDc screen = GetWindowDc(nullptr);
  const ScopedSelection selected = SelectInto(screen.get().dc, font);
  if (!selected) return false;
  std::vector<WORD> glyphs(text.size());
  if (::GetGlyphIndicesW(screen.get().dc, text.data(), static_cast<int>(text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
    return false;
  for (WORD glyph : glyphs)
    if (glyph == 0xFFFF) return false;
  return true;
}

int TextHeight(HGDIOBJ font) {
  const ScopedWindowDc screen = GetWindowDc(nullptr);
  const ScopedSelection selected = SelectInto(screen.get().dc, font);
  TEXTMETRICW metrics{};
  return selected && ::GetTextMetricsW(screen.get().dc, &metrics) ? static_cast<int>(metrics.tmHeight) : 0;
}

// The system's message font, in the system's character set: Wine gives its
// message font the Western set, and a face picked for that set alone can
// lack the system's script.
ScopedGdiObject CreateMessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return ScopedGdiObject();
  metrics.lfMessageFont.lfCharSet = DEFAULT_CHARSET;
  return ScopedGdiObject(::CreateFontIndirectW(&metrics.lfMessageFont));
}

}  // namespace

DialogFont ChooseDialogFont(int dpi) {
  DialogFont chosen;
  chosen.font = CreateDialogFont(dpi);
  const std::wstring_view sample = ScriptSample(::GetACP());
  if (!sample.empty() && !HasGlyphs(chosen.font.get(), sample)) {
    ScopedGdiObject message = CreateMessageFont();
    if (message && HasGlyphs(message.get(), sample)) {
      chosen.font = std::move(message);
      // A substitute for a face the system lacks can draw a pixel or two
      // wider than it measures (Wine's do).
      chosen.slack = Scale(2, dpi);
    }
  }
  chosen.textHeight = chosen.font ? TextHeight(chosen.font.get()) : 0;
  return chosen;
}

int ExtraLineHeight(const DialogFont& font, int dpi) {
  return font.textHeight > Scale(kLayoutTextHeight, dpi) ? font.textHeight - Scale(kLayoutTextHeight, dpi) : 0;
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

SIZE WrappedTextSize(HWND window, const DialogFont& font, std::wstring_view text, int width) {
  RECT box{0, 0, width - font.slack, 0};
  const ScopedWindowDc dc = GetWindowDc(window);
  const ScopedSelection selected = SelectInto(dc.get().dc, font.font.get());
  ::DrawTextW(dc.get().dc, text.data(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  return {box.right - box.left + font.slack, box.bottom - box.top};
}

AccessibleNames::AccessibleNames() {
  // CoCreateInstance leaves the owner empty when it fails: nothing is named then.
  ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                     reinterpret_cast<void**>(service_.receive()));
}

bool AccessibleNames::Set(HWND window, const wchar_t* name) {
  if (!service_ || !window) return false;
  if (FAILED(service_.get()->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            PROPID_ACC_NAME, name)))
    return false;
  named_.push_back(window);
  return true;
}

void AccessibleNames::Clear() {
  for (HWND window : named_)
    service_.get()->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
  named_.clear();
  service_.Reset();
}

}  // namespace quillfern::wizard
