#include "support/wizard_driver.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <fstream>
#include <thread>

#include "platform/win32/utf16.h"
#include "wizard/dialog_support.h"
#include "wizard/layout.h"

namespace quillfern::testing {

using namespace std::chrono_literals;

namespace {

// A memory device context of our own.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) { return ::DeleteDC(h) != FALSE; }
};
using ScopedMemoryDc = platform::Scoped<MemoryDcTraits>;

}  // namespace

Capture Drawn(int width, int height, const std::function<bool(HDC)>& draw) {
  Capture capture;
  if (width <= 0 || height <= 0) return capture;
  const ScopedMemoryDc dc(::CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const wizard::ScopedGdiObject bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const wizard::ScopedSelection selected = wizard::SelectInto(dc.get(), bitmap.get());
  if (!bits || !selected || !draw(dc.get())) return capture;
  ::GdiFlush();
  capture.width = width;
  capture.height = height;
  const auto* pixel = static_cast<const unsigned char*>(bits);
  for (int i = 0; i < width * height; ++i, pixel += 4) capture.pixels.push_back(RGB(pixel[2], pixel[1], pixel[0]));
  return capture;
}

namespace {

// Icon as the system draws it on the dialog face colour, pixel by pixel.
std::vector<COLORREF> DrawnIcon(HICON icon, int size) {
  return Drawn(size, size, [&](HDC dc) {
           RECT all{0, 0, size, size};
           ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_BTNFACE));
           return ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) != FALSE;
         }).pixels;
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

Wizard::Wizard(const std::string& workingFolder) : Wizard(workingFolder, ProgramFolder() + "quillfern.exe") {}

Wizard::Wizard(const std::string& workingFolder, const std::string& program) {
  // Paths here are UTF-8, as the program takes them.
  const std::wstring name = platform::Utf16FromUtf8(program), folder = platform::Utf16FromUtf8(workingFolder);
  std::wstring commandLine = platform::Utf16FromUtf8(Quote(program));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (!::CreateProcessW(name.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process_)) {
    ADD_FAILURE() << "cannot start " << program << " (error " << ::GetLastError() << ")";
    return;
  }
  const bool shown = WaitUntil([this] {
    for (HWND w : VisibleTopLevelWindows(process_.dwProcessId))
      if (WindowTextOf(w) == kCaption) window_ = w;
    return window_ != nullptr;
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
  const std::wstring wide = Utf16FromWtf8(text);
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
    entries.push_back(platform::Utf8FromUtf16(entry));
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
  const HWND marker = Control(wizard::btnHelp);
  ::PostMessageA(marker, BM_SETSTATE, TRUE, 0);
  const bool handled = WaitUntil([&] {
    return !Running() || (::SendMessageA(marker, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  });
  if (Running()) ::SendMessageA(marker, BM_SETSTATE, FALSE, 0);
  EXPECT_TRUE(handled) << "the wizard stopped handling its messages";
}

std::set<HWND> Wizard::OtherWindows() const {
  std::set<HWND> others = VisibleTopLevelWindows(process_.dwProcessId);
  others.erase(window_);
  return others;
}

HWND Wizard::WaitForMessageWindow(HWND owner, std::chrono::milliseconds interval) const {
  if (!owner) owner = window_;
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : OtherWindows())
          if (::GetWindow(w, GW_OWNER) == owner && ClassOf(w) == "#32770") found = w;
        return found != nullptr;
      },
      20s, interval);
  return found;
}

bool Wizard::Dismiss(const std::string& title, int command) const {
  const auto fast = 1ms;
  const HWND found = WaitForMessageWindow(window_, fast);
  if (!found || WindowTextOf(found) != title) return false;
  ::PostMessageA(found, WM_COMMAND, static_cast<WPARAM>(command), 0);
  return WaitUntil([&] { return !::IsWindow(found); }, 20s, fast);
}

std::size_t Wizard::CommittedMemory() const {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return ::GetProcessMemoryInfo(process_.hProcess, &counters, sizeof counters) ? counters.PagefileUsage : 0;
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
  return Drawn(area.right - area.left, area.bottom - area.top, [&](HDC dc) {
    const wizard::ScopedWindowDc screen = wizard::GetWindowDc(nullptr);
    return screen && ::BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, screen.get().dc,
                              area.left, area.top, SRCCOPY) != FALSE;
  });
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

// --- the wizard's tests ---

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
         " x " + std::to_string(r.bottom - r.top);
}

const char* Name(Answer answer) {
  switch (answer) {
    case Answer::ClickYes: return "clicking Yes";
    case Answer::ClickNo: return "clicking No";
    case Answer::ClickOk: return "clicking OK";
    case Answer::Enter: return "pressing Enter";
    case Answer::Escape: return "pressing Esc";
    case Answer::CloseBox: return "its close box";
  }
  return "";
}

ProgramCopy::ProgramCopy(bool withHelp) : program_(folder_ / "quillfern.exe") {
  const auto copy = [](const std::string& from, const std::string& to) {
    return ::CopyFileW(platform::Utf16FromUtf8(from).c_str(), platform::Utf16FromUtf8(to).c_str(), TRUE) != FALSE;
  };
  EXPECT_TRUE(copy(ProgramFolder() + "quillfern.exe", program_));
  if (withHelp) {
    EXPECT_TRUE(copy(ProgramFolder() + "quillfern.chm", folder_ / "quillfern.chm"))
        << "the build puts quillfern.chm beside quillfern.exe";
  }
}

MessageWindow WizardTest::NextMessage() {
  const HWND window = wizard.WaitForMessageWindow();
  EXPECT_TRUE(window) << "no message window appeared";
  return window ? ReadMessageWindow(window) : MessageWindow{};
}

void WizardTest::Give(Answer answer, const MessageWindow& message) {
  ASSERT_TRUE(message.window);
  const auto click = [&](const std::string& caption) {
    const HWND button = ChildWithText(message.window, caption);
    ASSERT_TRUE(button) << "no button \"" << caption << "\" in \"" << message.title << "\"";
    wizard.ClickWindow(button);
  };
  switch (answer) {
    case Answer::ClickYes: click("&Yes"); break;
    case Answer::ClickNo: click("&No"); break;
    case Answer::ClickOk: click("OK"); break;
    case Answer::Enter: wizard.Press(VK_RETURN); break;
    case Answer::Escape: wizard.Press(VK_ESCAPE); break;
    case Answer::CloseBox: wizard.CloseBox(message.window); break;
  }
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(message.window) || !::IsWindowVisible(message.window); }))
      << "\"" << message.title << "\" stayed open after " << Name(answer);
  wizard.Settle();
}

POINT WizardTest::Offset(const MessageWindow& message) const {
  const RECT wizardFrame = FrameOf(wizard.window());
  return {message.frame.left - wizardFrame.left, message.frame.top - wizardFrame.top};
}

}  // namespace quillfern::testing
