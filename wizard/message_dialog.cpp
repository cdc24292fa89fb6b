#include "wizard/message_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/line_ends.h"
#include "platform/win32/utf16.h"

namespace quillfern::wizard {

namespace {

struct Button {
  int id;
  const wchar_t* caption;
};

struct Request {
  const DialogFont& font;
  int dpi;
  MessageKind kind;
  std::wstring text;
  POINT topLeft;
};

const wchar_t* Title(MessageKind kind) {
  switch (kind) {
    case MessageKind::Confirmation: return L"Confirm";
    case MessageKind::Error: return L"Error";
    case MessageKind::Information: return L"Information";
  }
  return L"";
}

LPCSTR IconName(MessageKind kind) {
  switch (kind) {
    case MessageKind::Confirmation: return IDI_QUESTION;
    case MessageKind::Error: return IDI_ERROR;
    case MessageKind::Information: return IDI_INFORMATION;
  }
  return IDI_APPLICATION;
}

std::vector<Button> Buttons(MessageKind kind) {
  if (kind == MessageKind::Confirmation) return {{IDYES, L"&Yes"}, {IDNO, L"&No"}};
  return {{IDOK, L"OK"}};
}

// Esc and the close box arrive as IDCANCEL: for a question that is No, for
// a notice the only button there is.
int CancelAnswer(MessageKind kind) { return kind == MessageKind::Confirmation ? IDNO : IDOK; }

HWND AddControl(HWND dialog, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, RECT at) {
  return ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                           at.right - at.left, at.bottom - at.top, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
}

// Paints the message text as its static control would, in the dialog's
// font, which the control itself is never given: a text control given a
// font keeps a block of memory for it that some common-controls libraries
// (Wine's) never give back, a few dozen bytes for every message shown.
LRESULT CALLBACK PaintInDialogFont(HWND text, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR font) {
  const HGDIOBJ dialogFont = reinterpret_cast<const DialogFont*>(font)->font.get();
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = ::BeginPaint(text, &paint);
      RECT box{};
      ::GetClientRect(text, &box);
      // The dialog gives the background and sets the colours, as for the control itself.
      const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
          ::GetParent(text), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(text)));
      ::FillRect(dc, &box, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
      {
        const ScopedSelection selected = SelectInto(dc, dialogFont);
        const std::wstring content = WindowText(text);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, content.c_str(), static_cast<int>(content.size()), &box,
                    DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
      }
      ::EndPaint(text, &paint);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(dialogFont);
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(text, &PaintInDialogFont, id);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(text, message, wParam, lParam);
}

// SIZE holds LONGs; the layout below works in ints.
struct Extent {
  int cx, cy;
};
Extent ToExtent(SIZE size) { return {static_cast<int>(size.cx), static_cast<int>(size.cy)}; }

// Icon at the left, the text beside it, the buttons centred below; the
// window is then sized around them and put exactly where it was asked to go.
void Build(HWND dialog, const Request& request) {
  const auto px = [&](int v) { return Scale(v, request.dpi); };
  ::SetWindowTextW(dialog, Title(request.kind));

  const int iconSize = ::GetSystemMetrics(SM_CXICON);
  const int marginX = px(10), marginY = px(13), gap = px(12);
  const Extent textSize =
      ToExtent(WrappedTextSize(dialog, request.font, request.text, ::GetSystemMetrics(SM_CXSCREEN) / 2));

  const HWND icon = AddControl(dialog, L"STATIC", L"", SS_ICON, kMessageIconId,
                               {marginX, marginY, marginX + iconSize, marginY + iconSize});
  ::SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IconName(request.kind))), 0);
  const int textLeft = marginX + iconSize + gap;
  const HWND text = AddControl(dialog, L"STATIC", request.text.c_str(), SS_LEFT | SS_NOPREFIX, kMessageTextId,
                               {textLeft, marginY, textLeft + textSize.cx, marginY + textSize.cy});
  ::SetWindowSubclass(text, &PaintInDialogFont, 0, reinterpret_cast<DWORD_PTR>(&request.font));

  const std::vector<Button> buttons = Buttons(request.kind);
  const int buttonWidth = px(75), buttonHeight = px(23) + ExtraLineHeight(request.font, request.dpi);
  const int buttonGap = px(8);
  const int rowWidth = static_cast<int>(buttons.size()) * (buttonWidth + buttonGap) - buttonGap;
  const int clientWidth = std::max(textLeft + textSize.cx + marginX, rowWidth + 2 * marginX);
  const int rowTop = marginY + std::max(iconSize, textSize.cy) + gap;
  int left = (clientWidth - rowWidth) / 2;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const DWORD kindStyle = i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    const HWND button = AddControl(dialog, L"BUTTON", buttons[i].caption, WS_TABSTOP | WS_GROUP | kindStyle,
                                   buttons[i].id, {left, rowTop, left + buttonWidth, rowTop + buttonHeight});
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(request.font.font.get()), FALSE);
    left += buttonWidth + buttonGap;
  }

  RECT frame{0, 0, clientWidth, rowTop + buttonHeight + marginY};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  ::SetWindowPos(dialog, nullptr, request.topLeft.x, request.topLeft.y, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);

  ::SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(buttons.front().id), 0);
  ::SetFocus(::GetDlgItem(dialog, buttons.front().id));
}

INT_PTR CALLBACK MessageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* request = reinterpret_cast<const Request*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Build(dialog, *request);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      const auto* request = reinterpret_cast<const Request*>(::GetWindowLongPtrW(dialog, DWLP_USER));
      const int id = LOWORD(wParam);
      if (id == IDYES || id == IDNO || id == IDOK) ::EndDialog(dialog, id);
      else if (id == IDCANCEL && request) ::EndDialog(dialog, CancelAnswer(request->kind));
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int ShowMessageDialog(HWND owner, const DialogFont& font, int dpi, MessageKind kind, const std::string& text,
                      POINT topLeft) {
  const Request request{font, dpi, kind, platform::Utf16FromUtf8(platform::WithCrLf(text)), topLeft};
  const std::vector<DWORD> frame =
      EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME);
  const INT_PTR answer = ::DialogBoxIndirectParamW(
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
      reinterpret_cast<const DLGTEMPLATE*>(frame.data()), owner, &MessageProc,
      reinterpret_cast<LPARAM>(&request));
  return answer > 0 ? static_cast<int>(answer) : 0;
}

}  // namespace quillfern::wizard
