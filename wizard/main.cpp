// The wizard's entry: COM for the main thread, the dialog shown modally, and
// exit status 0 once it is closed. The command line is not read.
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/utf16.h"
#include "wizard/dialog_support.h"
#include "wizard/form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The manifest asks for the version 6 controls; they are registered once
  // the library is loaded.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);

  const quillfern::platform::win32::ScopedComApartment com;  // the folder picker needs it
  try {
    quillfern::wizard::TfrmNewOfficeAddIn frmNewOfficeAddIn;
    frmNewOfficeAddIn.ShowModal();
  } catch (const std::exception& error) {
    ::MessageBoxW(nullptr, quillfern::platform::Utf16FromUtf8(error.what()).c_str(), L"Quillfern",
                  MB_OK | MB_ICONERROR);
  }
  return 0;
}
