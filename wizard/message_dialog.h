// The Generate command's message dialogs: a confirmation, an error and an
// information, each with its icon and buttons, placed where the caller says.
#pragma once

#include <windows.h>

#include <string>

#include "wizard/dialog_support.h"

namespace quillfern::wizard {

enum class MessageKind { Confirmation, Error, Information };

// Where a message dialog's top-left corner goes, relative to the wizard's
// outer top-left corner, in screen pixels.
struct MessageOffset {
  int x;
  int y;
};

// Identities of the icon and the text inside a message dialog. The buttons
// carry IDYES and IDNO, or IDOK.
constexpr int kMessageIconId = 20;
constexpr int kMessageTextId = 21;

// Shows a modal message dialog owned by Owner, in Font, with its outer
// top-left corner at TopLeft in screen pixels, left there even when that is
// off the screen. A confirmation ("Confirm", "&Yes"/"&No") returns IDYES or
// IDNO: Enter chooses Yes, Esc and the close box No. An error ("Error") or an
// information ("Information") returns IDOK. Text is UTF-8; a CR in it
// breaks the line.
// Returns 0 when the dialog could not be shown.
int ShowMessageDialog(HWND owner, const DialogFont& font, int dpi, MessageKind kind, const std::string& text,
                      POINT topLeft);

}  // namespace quillfern::wizard
