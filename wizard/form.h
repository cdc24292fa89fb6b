// The wizard dialog: its controls, its reactions, and the Generate
// command's view on it.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "command/generate_command.h"
#include "wizard/dialog_support.h"
#include "wizard/layout.h"
#include "wizard/message_dialog.h"

namespace quillfern::wizard {

using command::GenerateView;
using command::InputField;
using command::Question;
using command::WizardSettings;

// The result ShowModal gives when the dialog was closed by "Close" or the
// close box.
constexpr int kModalCancel = 2;

// Sets up the interface unit picker: Object Pascal units, then all files,
// the first chosen; "pas" added to a name typed without an extension; the
// file and its path must exist; no read-only box; resizable. The picker
// starts from FileName and writes the choice into it: the caller owns the
// buffer, which must live as long as Options.
void FillUnitPickerOptions(OPENFILENAMEW& options, wchar_t* fileName, DWORD fileNameSize);

class TfrmNewOfficeAddIn final : public GenerateView {
 public:
  // Builds the window and its controls and runs FormCreate; the window stays
  // hidden until ShowModal. Throws std::runtime_error when the window
  // cannot be made.
  TfrmNewOfficeAddIn();
  TfrmNewOfficeAddIn(const TfrmNewOfficeAddIn&) = delete;
  TfrmNewOfficeAddIn& operator=(const TfrmNewOfficeAddIn&) = delete;
  ~TfrmNewOfficeAddIn() override;

  // Runs FormShow, centres and shows the dialog, and handles its messages
  // until it is closed; returns kModalCancel then.
  int ShowModal();

  // GenerateView
  WizardSettings ReadSettings() override;
  void SetFieldText(InputField field, const std::string& text) override;
  void FocusField(InputField field) override;
  bool AskYesNo(Question question, const std::string& text) override;
  void ShowWarning(const std::string& title, const std::string& text) override;

  // An error message dialog with Text, where the command's errors go.
  void ShowError(const std::string& text);

 private:
  // The interface unit picker's state, kept for the dialog's whole life so
  // that each use starts from the file the previous one chose.
  // Wide, so that the chosen file's name reaches the box as it is.
  struct OpenDialog {
    OPENFILENAMEW options{};
    std::array<wchar_t, 1024> fileName{};
    std::wstring title;
  };

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  bool PressesFocusedButton(const MSG& message);
  INT_PTR OnControlColour(HDC dc, HWND control);

  void CreateControls();
  void NameForScreenReaders();
  void SetIcons();
  void Centre();

  // The reactions.
  void FormCreate();
  void FormShow();
  void cbTargetAppChange();
  void Button1Click();
  void btnFolderClick();
  void btnHelpClick();
  void btnOkClick();

  // Runs a reaction; an exception it lets out is shown in the error box for
  // unexpected errors and the dialog carries on.
  template <typename Reaction>
  void Guarded(Reaction&& reaction) noexcept;
  void ShowUnexpectedError(const std::string& message) noexcept;

  HWND Item(ControlId id) const { return ::GetDlgItem(hwnd_, id); }
  // A box's text in UTF-8: the boxes are Unicode windows, read and written
  // in UTF-16, so nothing typed is squeezed into the code page on the way.
  std::string Text(ControlId id) const;
  void SetText(ControlId id, const std::string& text);
  bool IsChecked(ControlId id) const;
  void FocusControl(ControlId id);
  std::size_t SelectedAppRow() const;
  std::size_t SelectedVersionRow() const;
  POINT At(MessageOffset offset) const;
  int Message(MessageKind kind, const std::string& text, MessageOffset at);
  int px(int value) const { return Scale(value, dpi_); }

  int dpi_;
  DialogFont font_;
  AccessibleNames accessibleNames_;
  HWND hwnd_ = nullptr;
  int modalResult_ = 0;
  SIZE clientSize_{};
  std::wstring applicationTitle_;
  OpenDialog OpenDlg;
};

}  // namespace quillfern::wizard
