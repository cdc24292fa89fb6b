// The shell's folder picker, document opening and help, on Win32.
#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/probes.h"
#include "platform/shell.h"
#include "platform/win32/scoped.h"

namespace quillfern::platform {

namespace {

using win32::ScopedErrorMode;

// The shell's task allocator, released when the owner goes.
struct MallocRelease {
  void operator()(IMalloc* allocator) const { allocator->Release(); }
};
using ShellMalloc = std::unique_ptr<IMalloc, MallocRelease>;

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

// Text in the system code page as UTF-16; every character of it has one.
std::wstring Widened(const std::string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring wide(needed > 0 ? static_cast<std::size_t>(needed) : 0, L'\0');
  if (needed > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
  return wide;
}

// The root folder as an item list from the desktop folder, or none.
LPITEMIDLIST ParseRoot(HWND owner, const std::wstring& root) {
  if (root.empty()) return nullptr;
  IShellFolder* desktop = nullptr;
  if (FAILED(::SHGetDesktopFolder(&desktop)) || !desktop) return nullptr;
  std::wstring name = root;  // ParseDisplayName wants a writable string
  LPITEMIDLIST list = nullptr;
  ULONG eaten = 0, attributes = 0;
  if (FAILED(desktop->ParseDisplayName(owner, nullptr, name.data(), &eaten, &list, &attributes))) list = nullptr;
  desktop->Release();
  return list;
}

}  // namespace

// One exact conversion for the few texts the dialog takes from the system
// in UTF-16. WC_NO_BEST_FIT_CHARS with the used-default flag tells whether
// every character kept its identity; a UTF-8 system code page takes neither
// and holds every character but a lone surrogate.
bool ToSystemCodePage(std::wstring_view text, std::string& bytes) {
  bytes.clear();
  if (text.empty()) return true;
  const UINT codePage = ::GetACP();
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const used = utf8 ? nullptr : &usedDefault;
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, used);
  if (needed <= 0 || usedDefault) return false;
  std::string converted(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(codePage, flags, text.data(), length, converted.data(), needed, nullptr, used) !=
          needed ||
      usedDefault)
    return false;
  bytes = std::move(converted);
  return true;
}

FolderChoice BrowseForFolder(WindowHandle ownerHandle, const std::string& title, const std::wstring& root,
                             std::string& folder) {
  const HWND owner = static_cast<HWND>(ownerHandle);
  if (!FolderExists(folder)) folder.clear();

  IMalloc* rawAllocator = nullptr;
  if (FAILED(::SHGetMalloc(&rawAllocator)) || !rawAllocator) return FolderChoice::Cancelled;
  const ShellMalloc allocator(rawAllocator);
  const ShellMemory displayName(allocator.get(), allocator->Alloc(MAX_PATH * sizeof(wchar_t)));
  if (!displayName.as<wchar_t>()) return FolderChoice::Cancelled;
  const ShellMemory rootList(allocator.get(), ParseRoot(owner, root));

  // Wide throughout: the narrow picker would hand back a path with
  // look-alikes for the characters the code page lacks.
  const std::wstring wideTitle = Widened(title), preselected = Widened(folder);
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
  std::string bytes;
  if (!ToSystemCodePage(path, bytes)) return FolderChoice::NotInCodePage;
  folder = std::move(bytes);
  return FolderChoice::Chosen;
}

bool ShellOpenFile(const std::string& fileName, const std::string& parameters) {
  const std::string directory = FolderPart(fileName);
  const HINSTANCE result = ::ShellExecuteA(::GetActiveWindow(), "Open", fileName.c_str(),
                                           parameters.c_str(), directory.c_str(), SW_SHOWNORMAL);
  return reinterpret_cast<ULONG_PTR>(result) > 32;
}

void ShowHelpFile() { ShellOpenFile(ChangeFileExt(ProgramPath(), ".chm"), ""); }

}  // namespace quillfern::platform
