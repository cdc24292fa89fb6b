// Drives the real quillfern.exe from outside, as a user would: starts it in
// a working folder, finds its windows and controls by their identity, clicks
// and types with posted mouse and keyboard messages, and reads what the
// windows show. Windows only.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quillfern::testing {

// What a message box or message dialog shows.
struct MessageWindow {
  HWND window = nullptr;
  std::string title;
  std::string text;
  std::vector<std::string> buttons;  // captions in tab order
  std::string icon;                  // "question", "error", "information", "warning" or "unknown"
  RECT frame{};
};

// Polls Condition until it holds or Timeout passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

std::string WindowTextOf(HWND window);  // UTF-8, through WM_GETTEXT, so it works across processes
std::string ClassOf(HWND window);
RECT FrameOf(HWND window);

// A message box or dialog as it is on the screen now.
MessageWindow ReadMessageWindow(HWND window);

class Wizard {
 public:
  // Starts the program in WorkingFolder (this process's own when empty) and
  // waits for its dialog; fails the test (and leaves window() null) when it
  // does not appear.
  explicit Wizard(const std::string& workingFolder);
  // The same for the program at ProgramPath instead of the one beside the tests.
  Wizard(const std::string& workingFolder, const std::string& programPath);
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;
  // Ends the program if it is still running.
  ~Wizard();

  HWND window() const { return window_; }
  HWND Control(int id) const { return ::GetDlgItem(window_, id); }
  std::string Text(int id) const { return WindowTextOf(Control(id)); }
  // Replaces a box's whole text (UTF-8), as pasting over a selection would.
  void SetText(int id, const std::string& text) const;
  bool Checked(int id) const;
  int Selection(int listId) const;
  std::vector<std::string> Entries(int listId) const;
  LRESULT EntryData(int listId, int entry) const;
  // The control's rectangle relative to the dialog's client area.
  RECT ClientRect(int id) const;

  // The window that has the keyboard focus in the program, and its control id.
  HWND Focus() const;
  int FocusId() const;

  // Mouse and keyboard. Keys go to whichever window has the focus, and each
  // call returns once the program has handled them.
  void Click(int id) const;
  void ClickWindow(HWND window) const;
  void Press(WORD virtualKey) const;
  void Type(const std::string& text) const;
  void CloseBox(HWND window) const;

  // Returns once the program has handled every message posted to it so far.
  void Settle() const;

  // The program's visible message box or dialog other than the wizard itself,
  // owned by Owner (the wizard when null), waited for up to the timeout.
  HWND WaitForMessageWindow(HWND owner = nullptr) const;
  // Every visible top-level window of the program other than the wizard.
  std::vector<HWND> OtherWindows() const;

  // Waits for the program to end; its exit status, or STILL_ACTIVE.
  DWORD WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  bool Running() const;
  DWORD processId() const { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The screen's pixels under a rectangle, row by row, as COLORREF values.
struct Capture {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  bool operator==(const Capture& o) const { return width == o.width && height == o.height && pixels == o.pixels; }
  COLORREF at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
Capture CaptureScreen(const RECT& area);
// The same, once the pixels have stopped changing (the windows there are
// painted); what is there after a few seconds otherwise.
Capture StableCapture(const RECT& area);

// Writes the capture as a 24-bit BMP file. False when it cannot.
bool SaveBmp(const Capture& capture, const std::string& path);

// The full path of the quillfern.exe beside the tests.
std::string ProgramBesideTests();

// Every visible top-level window on the desktop, of any program.
std::vector<HWND> VisibleTopLevelWindows();

// The child of Window whose text is Caption, or null.
HWND ChildWithText(HWND window, const std::string& caption);

}  // namespace quillfern::testing
