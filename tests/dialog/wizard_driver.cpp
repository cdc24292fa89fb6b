#include "dialog/wizard_driver.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <thread>

#include "platform/win32/utf16.h"
#include "wizard/win32/layout.h"

namespace quillfern::testing {

namespace win32 = quillfern::wizard::win32;
using namespace std::chrono_literals;

namespace {

constexpr char kWizardTitle[] = "New Microsoft Office COM Add-In";

struct Search {
  DWORD process;
  std::function<bool(HWND)> wanted;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == search->process && ::IsWindowVisible(window) && search->wanted(window))
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD process, std::function<bool(HWND)> wanted) {
  Search search{process, std::move(wanted), {}};
  ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

// Icon as the system draws it on the dialog face colour, pixel by pixel.
std::vector<COLORREF> DrawnIcon(HICON icon, int size) {
  std::vector<COLORREF> pixels;
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
  const HGDIOBJ previous = ::SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_BTNFACE));
  if (::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) {
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) pixels.push_back(::GetPixel(dc, x, y));
  }
  ::SelectObject(dc, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

// Which of the system's message icons the icon control shows on the screen.
// (Icon handles do not cross processes; pixels do.)
std::string IconKind(HWND iconControl) {
  const int size = ::GetSystemMetrics(SM_CXICON);
  const RECT frame = FrameOf(iconControl);
  const Capture shown = StableCapture({frame.left, frame.top, frame.left + size, frame.top + size});
  const std::pair<LPCSTR, const char*> kinds[] = {
      {IDI_QUESTION, "question"}, {IDI_ERROR, "error"}, {IDI_INFORMATION, "information"}, {IDI_WARNING, "warning"}};
  for (const auto& [name, kind] : kinds)
    if (DrawnIcon(::LoadIconA(nullptr, name), size) == shown.pixels) return kind;
  return "unknown";
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

std::string WindowTextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return platform::Utf8FromUtf16(text);
}

std::string ClassOf(HWND window) {
  std::array<char, 256> name{};
  ::GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  return name.data();
}

RECT FrameOf(HWND window) {
  RECT frame{};
  ::GetWindowRect(window, &frame);
  return frame;
}

MessageWindow ReadMessageWindow(HWND window) {
  MessageWindow message;
  message.window = window;
  message.title = WindowTextOf(window);
  message.frame = FrameOf(window);
  for (HWND child : Children(window)) {
    const std::string kind = ClassOf(child);
    const LONG_PTR style = ::GetWindowLongPtrA(child, GWL_STYLE);
    if (_stricmp(kind.c_str(), "Button") == 0) {
      if (::IsWindowVisible(child)) message.buttons.push_back(WindowTextOf(child));
    } else if (_stricmp(kind.c_str(), "Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON)
        message.icon = IconKind(child);
      else if (message.text.empty())
        message.text = WindowTextOf(child);
    }
  }
  return message;
}

std::string ProgramBesideTests() {
  std::array<char, MAX_PATH + 1> self{};
  ::GetModuleFileNameA(nullptr, self.data(), MAX_PATH);
  std::string path(self.data());
  return path.substr(0, path.find_last_of('\\') + 1) + "quillfern.exe";
}

std::vector<HWND> VisibleTopLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(
      [](HWND window, LPARAM list) {
        if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

Wizard::Wizard(const std::string& workingFolder) : Wizard(workingFolder, ProgramBesideTests()) {}

Wizard::Wizard(const std::string& workingFolder, const std::string& program) {
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process_)) {
    ADD_FAILURE() << "cannot start " << program << " (error " << ::GetLastError() << ")";
    return;
  }
  const bool shown = WaitUntil([this] {
    const auto windows = TopLevelWindows(process_.dwProcessId, [](HWND w) { return WindowTextOf(w) == kWizardTitle; });
    if (windows.empty()) return false;
    window_ = windows.front();
    return true;
  });
  if (!shown) {
    ADD_FAILURE() << "the wizard did not appear";
    return;
  }
  // The dialog is on the screen; wait until it handles its messages.
  WaitUntil([this] { return Focus() != nullptr; });
  Settle();
}

Wizard::~Wizard() {
  if (process_.hProcess) {
    if (Running()) {
      ::TerminateProcess(process_.hProcess, 99);
      ::WaitForSingleObject(process_.hProcess, 10000);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
  }
}

void Wizard::SetText(int id, const std::string& text) const {
  const std::wstring wide = platform::Utf16FromUtf8(text);
  ::SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG,
                        5000, nullptr);
}

bool Wizard::Checked(int id) const { return ::SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

int Wizard::Selection(int listId) const {
  return static_cast<int>(::SendMessageA(Control(listId), CB_GETCURSEL, 0, 0));
}

std::vector<std::string> Wizard::Entries(int listId) const {
  // Asked in UTF-16: Wine hands a list's entries to another process in that
  // form whichever form was asked for.
  std::vector<std::string> entries;
  const HWND list = Control(listId);
  const LRESULT count = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<std::size_t>(length));
    std::string narrow(entry.size() * 2 + 1, '\0');
    const int n = ::WideCharToMultiByte(CP_ACP, 0, entry.c_str(), static_cast<int>(entry.size()), narrow.data(),
                                        static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    entries.push_back(narrow);
  }
  return entries;
}

LRESULT Wizard::EntryData(int listId, int entry) const {
  return ::SendMessageA(Control(listId), CB_GETITEMDATA, static_cast<WPARAM>(entry), 0);
}

RECT Wizard::ClientRect(int id) const {
  RECT rect = FrameOf(Control(id));
  ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HWND Wizard::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return ::GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

int Wizard::FocusId() const {
  HWND focus = Focus();
  // The edit field inside a list belongs to the list.
  if (focus && ::GetParent(focus) != window_ && ::GetParent(focus)) focus = ::GetParent(focus);
  return focus ? ::GetDlgCtrlID(focus) : 0;
}

void Wizard::Click(int id) const { ClickWindow(Control(id)); }

void Wizard::ClickWindow(HWND window) const {
  RECT client{};
  ::GetClientRect(window, &client);
  const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
  ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(window, WM_LBUTTONUP, 0, at);
  Settle();
}

void Wizard::Press(WORD virtualKey) const {
  const HWND focus = Focus();
  const UINT scan = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  ::PostMessageA(focus, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scan << 16)));
  ::PostMessageA(focus, WM_KEYUP, virtualKey, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
  Settle();
}

void Wizard::Type(const std::string& text) const {
  const HWND focus = Focus();
  for (char c : text) ::PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
  Settle();
}

void Wizard::CloseBox(HWND window) const {
  ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  Settle();
}

void Wizard::Settle() const {
  // Posted messages are handled in order: once a marker posted after them is
  // seen, they have all been handled. The marker is the pressed look of the
  // Help button, put back at once.
  if (!Running()) return;
  const HWND marker = Control(win32::btnHelp);
  ::PostMessageA(marker, BM_SETSTATE, TRUE, 0);
  const bool handled = WaitUntil([&] {
    return !Running() || (::SendMessageA(marker, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  });
  if (Running()) ::SendMessageA(marker, BM_SETSTATE, FALSE, 0);
  EXPECT_TRUE(handled) << "the wizard stopped handling its messages";
}

std::vector<HWND> Wizard::OtherWindows() const {
  const HWND wizard = window_;
  return TopLevelWindows(process_.dwProcessId, [wizard](HWND w) { return w != wizard; });
}

HWND Wizard::WaitForMessageWindow(HWND owner) const {
  if (!owner) owner = window_;
  HWND found = nullptr;
  WaitUntil([&] {
    for (HWND w : OtherWindows())
      if (::GetWindow(w, GW_OWNER) == owner && ClassOf(w) == "#32770") found = w;
    return found != nullptr;
  });
  return found;
}

DWORD Wizard::WaitForExit(std::chrono::milliseconds timeout) {
  ::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count()));
  DWORD status = STILL_ACTIVE;
  ::GetExitCodeProcess(process_.hProcess, &status);
  return status;
}

bool Wizard::Running() const { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

// --- screenshots ---

Capture CaptureScreen(const RECT& area) {
  Capture capture;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return capture;
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = ::SelectObject(dc, bitmap);
  if (bits && ::BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
    capture.width = width;
    capture.height = height;
    const auto* pixel = static_cast<const unsigned char*>(bits);
    for (int i = 0; i < width * height; ++i, pixel += 4) capture.pixels.push_back(RGB(pixel[2], pixel[1], pixel[0]));
  }
  ::SelectObject(dc, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return capture;
}

Capture StableCapture(const RECT& area) {
  Capture last = CaptureScreen(area);
  const auto end = std::chrono::steady_clock::now() + 5s;
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(150ms);
    Capture now = CaptureScreen(area);
    if (now == last) return now;
    last = std::move(now);
  }
  return last;
}

bool SaveBmp(const Capture& capture, const std::string& path) {
  if (capture.pixels.empty()) return false;
  const std::size_t rowSize = (static_cast<std::size_t>(capture.width) * 3 + 3) & ~std::size_t{3};
  std::string rows(rowSize * static_cast<std::size_t>(capture.height), '\0');
  for (int y = 0; y < capture.height; ++y) {
    char* pixel = &rows[rowSize * static_cast<std::size_t>(y)];
    for (int x = 0; x < capture.width; ++x) {
      const COLORREF c = capture.at(x, y);
      *pixel++ = static_cast<char>(GetBValue(c));
      *pixel++ = static_cast<char>(GetGValue(c));
      *pixel++ = static_cast<char>(GetRValue(c));
    }
  }
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = capture.width;
  info.biHeight = -capture.height;  // top row first
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(rows.size());
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + info.biSizeImage;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(&header), sizeof header);
  file.write(reinterpret_cast<const char*>(&info), sizeof info);
  file.write(rows.data(), static_cast<std::streamsize>(rows.size()));
  return static_cast<bool>(file);
}

HWND ChildWithText(HWND window, const std::string& caption) {
  for (HWND child : Children(window))
    if (WindowTextOf(child) == caption) return child;
  return nullptr;
}

}  // namespace quillfern::testing
