// The shell's folder picker, document opening and help, on Win32.
#include <shlobj.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/program.h"
#include "platform/shell.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"

namespace quillfern::platform {

namespace {

using win32::ScopedCom;
using win32::ScopedErrorMode;

// Memory from the shell's allocator (a buffer or an item list), freed through it.
class ShellMemory {
 public:
  ShellMemory(IMalloc* allocator, void* memory) : allocator_(allocator), memory_(memory) {}
  ShellMemory(const ShellMemory&) = delete;
  ShellMemory& operator=(const ShellMemory&) = delete;
  ~ShellMemory() {
    if (memory_) allocator_->Free(memory_);
  }
  template <typename T>
  T* as() const { return static_cast<T*>(memory_); }

 private:
  IMalloc* allocator_;
  void* memory_;
};

// Disables the visible, enabled top-level windows of this thread and
// enables exactly those again when it goes.
class DisabledThreadWindows {
 public:
  DisabledThreadWindows() {
    ::EnumThreadWindows(::GetCurrentThreadId(), &DisabledThreadWindows::Disable,
                        reinterpret_cast<LPARAM>(&windows_));
  }
  DisabledThreadWindows(const DisabledThreadWindows&) = delete;
  DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;
  ~DisabledThreadWindows() {
    for (HWND window : windows_) ::EnableWindow(window, TRUE);
  }

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM list) {
    if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
      ::EnableWindow(window, FALSE);
    }
    return TRUE;
  }
  std::vector<HWND> windows_;
};

int CALLBACK SelectInitialFolder(HWND picker, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) ::SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

// The root folder as an item list from the desktop folder, or none; the
// caller frees the list with the shell's allocator.
LPITEMIDLIST ParseRoot(HWND owner, const std::wstring& root) {
  if (root.empty()) return nullptr;
  ScopedCom<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.receive())) || !desktop) return nullptr;
  std::wstring name = root;  // ParseDisplayName wants a writable string
  LPITEMIDLIST list = nullptr;
  ULONG eaten = 0, attributes = 0;
  if (FAILED(desktop.get()->ParseDisplayName(owner, nullptr, name.data(), &eaten, &list, &attributes)))
    list = nullptr;
  return list;
}

}  // namespace

FolderChoice BrowseForFolder(WindowHandle ownerHandle, const std::string& title, const std::wstring& root,
                             std::string& folder) {
  const HWND owner = static_cast<HWND>(ownerHandle);
  if (!FolderExists(folder)) folder.clear();

  ScopedCom<IMalloc> allocator;
  if (FAILED(::SHGetMalloc(allocator.receive())) || !allocator) return FolderChoice::Cancelled;
  const ShellMemory displayName(allocator.get(), allocator.get()->Alloc(MAX_PATH * sizeof(wchar_t)));
  if (!displayName.as<wchar_t>()) return FolderChoice::Cancelled;
  const ShellMemory rootList(allocator.get(), ParseRoot(owner, root));

  // Wide throughout: the narrow picker would hand back a path with
  // look-alikes for the characters the system code page lacks.
  const std::wstring wideTitle = Utf16FromUtf8(title), preselected = Utf16FromUtf8(folder);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = rootList.as<ITEMIDLIST>();
  info.pszDisplayName = displayName.as<wchar_t>();
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (!preselected.empty()) {
    info.lpfn = &SelectInitialFolder;
    info.lParam = reinterpret_cast<LPARAM>(preselected.c_str());
  }

  LPITEMIDLIST chosen = nullptr;
  {
    const DisabledThreadWindows disabled;
    const ScopedErrorMode quiet(SEM_FAILCRITICALERRORS);
    chosen = ::SHBrowseForFolderW(&info);
  }
  if (!chosen) return FolderChoice::Cancelled;
  const ShellMemory chosenList(allocator.get(), chosen);
  wchar_t* path = displayName.as<wchar_t>();
  path[0] = L'\0';
  ::SHGetPathFromIDListW(chosen, path);
  std::optional<std::string> chosenPath = ExactUtf8FromUtf16(path);
  if (!chosenPath) return FolderChoice::Cancelled;
  folder = std::move(*chosenPath);
  return FolderChoice::Chosen;
}

bool ShellOpenFile(const std::string& fileName, const std::string& parameters) {
  const std::wstring file = Utf16FromUtf8(fileName), directory = Utf16FromUtf8(FolderPart(fileName));
  const HINSTANCE result = ::ShellExecuteW(::GetActiveWindow(), L"Open", file.c_str(),
                                           Utf16FromUtf8(parameters).c_str(), directory.c_str(), SW_SHOWNORMAL);
  return reinterpret_cast<ULONG_PTR>(result) > 32;
}

void ShowHelpFile() { ShellOpenFile(ChangeFileExt(ProgramPath(), ".chm"), ""); }

}  // namespace quillfern::platform
