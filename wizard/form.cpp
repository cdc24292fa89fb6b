#include "wizard/form.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "catalogue/catalogue.h"
#include "platform/files.h"
#include "platform/line_ends.h"
#include "platform/shell.h"
#include "platform/win32/utf16.h"
#include "command/messages.h"
#include "wizard/resource.h"

namespace quillfern::wizard {

namespace {

// Delphi's list boxes show eight entries when dropped down.
constexpr int kDroppedEntries = 8;

constexpr wchar_t kUnitFilter[] = L"Object Pascal units (*.pas)\0*.pas\0All files (*.*)\0*.*\0";

// Makes a closed list Height pixels high, whatever frame the system draws
// around its selection field. Systems differ in what they make of a field
// height they are given (Wine adds two pixels), so measure, learn that
// difference from the first try, and correct.
void FitClosedHeight(HWND list, int height) {
  LRESULT added = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT closed{};
    ::GetWindowRect(list, &closed);
    const int error = height - (closed.bottom - closed.top);
    if (error == 0) return;
    const LRESULT field = ::SendMessageA(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    const LRESULT request = field + error - added;
    if (field == CB_ERR || request <= 0) return;
    ::SendMessageA(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
    added = ::SendMessageA(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) - request;
  }
}

ControlId FieldControl(InputField field) {
  switch (field) {
    case InputField::InterfaceUnit: return edtWrapper;
    case InputField::FriendlyName: return edtFriendlyName;
    case InputField::ClassName: return edtClassName;
    case InputField::Description: return edtDescription;
    case InputField::OutputFolder: return edtFolder;
  }
  return edtClassName;
}

// Where each message dialog goes, relative to the wizard's outer top-left
// corner, in screen pixels. Every error goes where the folder question does.
constexpr MessageOffset kRevertAt{50, 200};
constexpr MessageOffset kFolderAt{80, 200};
constexpr MessageOffset kOverwriteAt{70, 200};
constexpr MessageOffset kErrorAt = kFolderAt;
constexpr MessageOffset kSuccessAt{30, 200};

MessageOffset QuestionAt(Question question) {
  switch (question) {
    case Question::RevertClassName:
    case Question::RevertInterfaceUnit: return kRevertAt;
    case Question::CreateOutputFolder: return kFolderAt;
    case Question::OverwriteProject: return kOverwriteAt;
  }
  return kFolderAt;
}

}  // namespace

template <typename Reaction>
void TfrmNewOfficeAddIn::Guarded(Reaction&& reaction) noexcept {
  try {
    reaction();
  } catch (const std::exception& error) {
    ShowUnexpectedError(error.what());
  } catch (...) {
    ShowUnexpectedError("Unexpected error");
  }
}

TfrmNewOfficeAddIn::TfrmNewOfficeAddIn() : dpi_(ScreenDpi()), font_(ChooseDialogFont(dpi_)) {
  const std::vector<DWORD> frame = EmptyDialogTemplate(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW);
  // WM_INITDIALOG, inside this call, builds the controls and runs FormCreate.
  ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), reinterpret_cast<const DLGTEMPLATE*>(frame.data()),
                               nullptr, &TfrmNewOfficeAddIn::DialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) throw std::runtime_error("Unable to create the wizard window");
  FillUnitPickerOptions(OpenDlg.options, OpenDlg.fileName.data(), static_cast<DWORD>(OpenDlg.fileName.size()));
}

void FillUnitPickerOptions(OPENFILENAMEW& options, wchar_t* fileName, DWORD fileNameSize) {
  options.lStructSize = sizeof(OPENFILENAMEW);
  options.lpstrFilter = kUnitFilter;
  options.nFilterIndex = 1;
  options.lpstrFile = fileName;
  options.nMaxFile = fileNameSize;
  options.lpstrDefExt = L"pas";
  options.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
}

TfrmNewOfficeAddIn::~TfrmNewOfficeAddIn() {
  accessibleNames_.Clear();
  if (hwnd_) ::DestroyWindow(hwnd_);
}

int TfrmNewOfficeAddIn::ShowModal() {
  Guarded([this] { FormShow(); });
  Centre();
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
  FocusControl(cbTargetApp);

  // Wide messages, so that a character typed into an edit box reaches it
  // whether or not the system code page has it.
  MSG message{};
  while (modalResult_ == 0) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT: hand it on to whoever runs the next loop
      ::PostQuitMessage(static_cast<int>(message.wParam));
      modalResult_ = kModalCancel;
    } else if (got == -1) {
      modalResult_ = kModalCancel;
    } else if (PressesFocusedButton(message)) {
      continue;
    } else if (!::IsDialogMessageW(hwnd_, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  ::ShowWindow(hwnd_, SW_HIDE);
  return modalResult_;
}

bool TfrmNewOfficeAddIn::PressesFocusedButton(const MSG& message) {
  // The dialog manager gives Enter to the focused push button only when that
  // button has become the default one, which a click does not make it: Enter
  // on a button the user clicked before would run Generate instead.
  if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
  const HWND focus = ::GetFocus();
  if (!focus || ::GetParent(focus) != hwnd_ || !::IsWindowEnabled(focus)) return false;
  char windowClass[16] = {};
  ::GetClassNameA(focus, windowClass, sizeof windowClass);
  const LONG_PTR type = ::GetWindowLongPtrA(focus, GWL_STYLE) & BS_TYPEMASK;
  if (lstrcmpiA(windowClass, "Button") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) return false;
  ::SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
  return true;
}

INT_PTR CALLBACK TfrmNewOfficeAddIn::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* form = reinterpret_cast<TfrmNewOfficeAddIn*>(lParam);
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    form->hwnd_ = window;
    form->CreateControls();
    form->NameForScreenReaders();
    form->SetIcons();
    form->Guarded([form] { form->FormCreate(); });
    return FALSE;  // ShowModal sets the focus once the window is visible
  }
  auto* form = reinterpret_cast<TfrmNewOfficeAddIn*>(::GetWindowLongPtrA(window, DWLP_USER));
  return form ? form->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR TfrmNewOfficeAddIn::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:  // the close box, Alt+F4
      modalResult_ = kModalCancel;
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
      return FALSE;
  }
}

void TfrmNewOfficeAddIn::OnCommand(int id, int code) {
  switch (id) {
    case cbTargetApp:
    case cbTargetVersion:
      // Sent only for the user's changes, never for CB_SETCURSEL.
      if (code == CBN_SELCHANGE) Guarded([this] { cbTargetAppChange(); });
      break;
    case Button1: Guarded([this] { Button1Click(); }); break;
    case btnFolder: Guarded([this] { btnFolderClick(); }); break;
    case btnHelp: Guarded([this] { btnHelpClick(); }); break;
    case btnOk: Guarded([this] { btnOkClick(); }); break;
    case btnCancel: modalResult_ = kModalCancel; break;
    default: break;  // IDCANCEL from Esc among them: the dialog has no cancel key
  }
}

INT_PTR TfrmNewOfficeAddIn::OnControlColour(HDC dc, HWND control) {
  const ControlId id = static_cast<ControlId>(::GetDlgCtrlID(control));
  bool note = false;
  for (const ControlLayout& row : kLayout)
    if (row.id == id) note = row.colour == TextColour::ActiveCaption;
  if (!note) return FALSE;
  ::SetTextColor(dc, ::GetSysColor(COLOR_ACTIVECAPTION));
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
}

void TfrmNewOfficeAddIn::CreateControls() {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  const Placement placement = Arrange(dpi_, ExtraLineHeight(font_, dpi_), [this](std::string_view text, int width) {
    return WrappedTextSize(hwnd_, font_, platform::Utf16FromUtf8(text), width);
  });
  clientSize_ = {placement.clientWidth, placement.clientHeight};
  const int entryHeight = std::max(px(kListEntryHeight), font_.textHeight);
  for (const ControlLayout* row : CreationOrder()) {
    const RECT at = placement.Of(row->id);
    const bool isList = std::string_view(row->windowClass) == "COMBOBOX";
    const bool isEdit = std::string_view(row->windowClass) == "EDIT";
    // A list's window height includes its dropped-down part.
    const int height = at.bottom - at.top + (isList ? kDroppedEntries * entryHeight + 2 : 0);
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->id));
    // Edit boxes are Unicode windows, so that they hold any text the user
    // types or pastes, and any path, as it is.
    const HWND control =
        isEdit ? ::CreateWindowExW(row->exStyle, L"EDIT", L"", row->style, at.left, at.top, at.right - at.left,
                                   height, hwnd_, menu, instance, nullptr)
               : ::CreateWindowExA(row->exStyle, row->windowClass, row->caption, row->style, at.left, at.top,
                                   at.right - at.left, height, hwnd_, menu, instance, nullptr);
    if (!control) continue;
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.font.get()), FALSE);
    // No length limit, rather than the system's default of 32767 typed characters.
    if (isEdit) ::SendMessageA(control, EM_LIMITTEXT, 0, 0);
    if (row->checked) ::SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
    if (isList) {
      ::SendMessageA(control, CB_SETITEMHEIGHT, 0, entryHeight);
      FitClosedHeight(control, at.bottom - at.top);
    }
  }
  ::SendMessageA(hwnd_, DM_SETDEFID, btnOk, 0);
}

void TfrmNewOfficeAddIn::NameForScreenReaders() {
  for (const AccessibleName& entry : kAccessibleNames) accessibleNames_.Set(Item(entry.id), entry.name);
}

void TfrmNewOfficeAddIn::SetIcons() {
  // Shared icons belong to the system, which frees them with the program.
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  const struct {
    WPARAM kind;
    int width, height;
  } sizes[] = {{ICON_BIG, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)},
               {ICON_SMALL, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON)}};
  for (const auto& size : sizes) {
    const HANDLE icon =
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_QUILLFERN), IMAGE_ICON, size.width, size.height, LR_SHARED);
    if (icon) ::SendMessageA(hwnd_, WM_SETICON, size.kind, reinterpret_cast<LPARAM>(icon));
  }
}

void TfrmNewOfficeAddIn::Centre() {
  RECT frame{0, 0, clientSize_.cx, clientSize_.cy};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  ::SetWindowPos(hwnd_, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- reactions ---

void TfrmNewOfficeAddIn::FormCreate() {
  ::SetWindowTextA(hwnd_, catalogue::DialogCaption().c_str());
  applicationTitle_ = WindowText(hwnd_);
  SetText(edtFolder, platform::CurrentDirectory());

  const HWND apps = Item(cbTargetApp);
  ::SendMessageA(apps, CB_RESETCONTENT, 0, 0);
  for (std::size_t row = 0; row < catalogue::OfficeApps.size(); ++row) {
    const std::string name(catalogue::OfficeApps[row].DisplayName);
    const LRESULT entry = ::SendMessageA(apps, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ::SendMessageA(apps, CB_SETITEMDATA, static_cast<WPARAM>(entry), static_cast<LPARAM>(row));
  }
  ::SendMessageA(apps, CB_SETCURSEL, 0, 0);

  const HWND versions = Item(cbTargetVersion);
  ::SendMessageA(versions, CB_RESETCONTENT, 0, 0);
  for (const auto& version : catalogue::OfficeVersions) {
    const std::string name(version.VersionName);
    ::SendMessageA(versions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  ::SendMessageA(versions, CB_SETCURSEL, 0, 0);
}

void TfrmNewOfficeAddIn::FormShow() { cbTargetAppChange(); }

void TfrmNewOfficeAddIn::cbTargetAppChange() {
  const catalogue::ProjectDefaults defaults = catalogue::NewProjectDefaults(SelectedAppRow(), SelectedVersionRow());
  SetText(edtFriendlyName, defaults.FriendlyName);
  SetText(edtClassName, defaults.ClassName);
  SetText(edtDescription, defaults.Description);
  SetText(edtWrapper, defaults.InterfaceUnitFile);
}

void TfrmNewOfficeAddIn::Button1Click() {
  const std::string title = catalogue::WrapperPickerTitle(SelectedAppRow(), SelectedVersionRow());
  OpenDlg.title.assign(title.begin(), title.end());  // the catalogue's texts are ASCII
  OpenDlg.options.lpstrTitle = OpenDlg.title.c_str();
  OpenDlg.options.hwndOwner = hwnd_;
  {
    // The open dialog moves the working directory to the chosen file's
    // folder whatever its flags say.
    const KeptWorkingDirectory kept;
    if (!::GetOpenFileNameW(&OpenDlg.options)) return;
  }
  const std::wstring path(OpenDlg.fileName.data());
  const std::size_t folderPart = path.find_last_of(L"\\:");
  const std::wstring name = folderPart == std::wstring::npos ? path : path.substr(folderPart + 1);
  ::SetWindowTextW(Item(edtWrapper), name.c_str());
  FocusControl(edtWrapper);
}

void TfrmNewOfficeAddIn::btnFolderClick() {
  std::string folder = Text(edtFolder);
  if (platform::BrowseForFolder(hwnd_, "Select output folder", L"", folder) != platform::FolderChoice::Chosen) return;
  SetText(edtFolder, folder);
  FocusControl(edtFolder);
}

void TfrmNewOfficeAddIn::btnHelpClick() { platform::ShowHelpFile(); }

void TfrmNewOfficeAddIn::btnOkClick() {
  std::visit(command::Overloaded{
                 [this](const command::Generated& generated) {
                   const WizardSettings& s = generated.settings;
                   Message(MessageKind::Information, catalogue::SuccessMessage(s.TargetApp, s.TargetVersion),
                           kSuccessAt);
                 },
                 [this](const command::Refused& refused) {
                   // A refused name was asked about while the command ran,
                   // and a No to a question is answer enough.
                   if (!refused.textProblem) return;
                   ShowError(command::TextProblemText(*refused.textProblem));
                   FocusField(refused.textProblem->field);
                 },
                 [this](const command::Failed& failed) { ShowError(command::FailureText(failed)); },
                 [](const command::Planned&) {},  // the wizard runs no dry run
             },
             command::RunGenerateCommand(*this));
}

void TfrmNewOfficeAddIn::ShowUnexpectedError(const std::string& message) noexcept {
  try {
    ::MessageBoxW(hwnd_, platform::Utf16FromUtf8(command::UnexpectedErrorText(message)).c_str(), applicationTitle_.c_str(),
                  MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing is left to tell the user with.
  }
}

// --- the Generate command's view ---

WizardSettings TfrmNewOfficeAddIn::ReadSettings() {
  WizardSettings settings;
  settings.TargetApp = SelectedAppRow();
  settings.TargetVersion = SelectedVersionRow();
  settings.InterfaceUnitFile = Text(edtWrapper);
  settings.InstallForCurrentUser = IsChecked(rbInstallHKCU);
  settings.LoadConnected = IsChecked(chkLoadConnected);
  settings.LoadBootLoad = IsChecked(chkLoadBootLoad);
  settings.LoadDemandLoad = IsChecked(chkLoadDemandLoad);
  settings.LoadConnectFirstTime = IsChecked(chkLoadConnectFirstTime);
  settings.FriendlyName = Text(edtFriendlyName);
  settings.ClassName = Text(edtClassName);
  settings.Description = Text(edtDescription);
  settings.OutputFolderText = Text(edtFolder);
  return settings;  // CodePage 0: the system's, which Delphi reads the files in
}

// As typed, a lone surrogate (pasted in) among it: the command refuses that
// by its code unit, where a U+FFFD would pass for a character typed.
std::string TfrmNewOfficeAddIn::Text(ControlId id) const { return platform::Wtf8FromUtf16(WindowText(Item(id))); }

void TfrmNewOfficeAddIn::SetText(ControlId id, const std::string& text) {
  ::SetWindowTextW(Item(id), platform::Utf16FromUtf8(text).c_str());
}

void TfrmNewOfficeAddIn::SetFieldText(InputField field, const std::string& text) {
  SetText(FieldControl(field), text);
}

void TfrmNewOfficeAddIn::FocusField(InputField field) { FocusControl(FieldControl(field)); }

bool TfrmNewOfficeAddIn::AskYesNo(Question question, const std::string& text) {
  return Message(MessageKind::Confirmation, text, QuestionAt(question)) == IDYES;
}

void TfrmNewOfficeAddIn::ShowError(const std::string& text) { Message(MessageKind::Error, text, kErrorAt); }

void TfrmNewOfficeAddIn::ShowWarning(const std::string& title, const std::string& text) {
  ::MessageBoxW(hwnd_, platform::Utf16FromUtf8(platform::WithCrLf(text)).c_str(),
                platform::Utf16FromUtf8(title).c_str(), MB_OK | MB_ICONWARNING);
}

// --- helpers ---

bool TfrmNewOfficeAddIn::IsChecked(ControlId id) const {
  return ::SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TfrmNewOfficeAddIn::FocusControl(ControlId id) {
  // Through the dialog manager, so that the default button follows.
  ::SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

std::size_t TfrmNewOfficeAddIn::SelectedAppRow() const {
  const HWND apps = Item(cbTargetApp);
  const LRESULT entry = ::SendMessageA(apps, CB_GETCURSEL, 0, 0);
  return static_cast<std::size_t>(::SendMessageA(apps, CB_GETITEMDATA, static_cast<WPARAM>(entry), 0));
}

std::size_t TfrmNewOfficeAddIn::SelectedVersionRow() const {
  return static_cast<std::size_t>(::SendMessageA(Item(cbTargetVersion), CB_GETCURSEL, 0, 0));
}

POINT TfrmNewOfficeAddIn::At(MessageOffset offset) const {
  RECT frame{};
  ::GetWindowRect(hwnd_, &frame);
  return {frame.left + offset.x, frame.top + offset.y};
}

int TfrmNewOfficeAddIn::Message(MessageKind kind, const std::string& text, MessageOffset at) {
  return ShowMessageDialog(hwnd_, font_, dpi_, kind, text, At(at));
}

}  // namespace quillfern::wizard
