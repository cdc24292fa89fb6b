// Drives the real quillfern.exe from outside, as a user would: starts it in
// a working folder, finds its windows and controls by their identity, clicks
// and types with posted mouse and keyboard messages, and reads what the
// windows show; and the fixture the wizard's tests share. Windows only.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "support/win32_support.h"

namespace quillfern::testing {

inline constexpr char kCaption[] = "New Microsoft Office COM Add-In";

// What a message box or message dialog shows.
struct MessageWindow {
  HWND window = nullptr;
  std::string title;
  std::string text;
  std::vector<std::string> buttons;  // captions in tab order
  std::string icon;                  // "question", "error", "information", "warning" or "unknown"
  RECT frame{};
};

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
  // Replaces a box's whole text (UTF-8, or WTF-8 for half a surrogate pair),
  // as pasting over a selection would.
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
  // owned by Owner (the wizard when null), waited for up to the timeout,
  // looking every Interval.
  HWND WaitForMessageWindow(HWND owner = nullptr,
                            std::chrono::milliseconds interval = std::chrono::milliseconds(20)) const;
  // Every visible top-level window of the program other than the wizard.
  std::set<HWND> OtherWindows() const;

  // Closes the program's next message dialog, which must be titled Title,
  // as its button Command would, and returns once it is gone: quickly, for
  // many in a row. False when no such dialog came or it stayed.
  bool Dismiss(const std::string& title, int command) const;

  // The program's committed memory in bytes (what Windows calls its page
  // file usage; Wine reports no private usage).
  std::size_t CommittedMemory() const;

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
// The pixels of a Width x Height bitmap after Draw has drawn on it; empty
// when Draw returns false.
Capture Drawn(int width, int height, const std::function<bool(HDC)>& draw);
// The same, once the pixels have stopped changing (the windows there are
// painted); what is there after a few seconds otherwise.
Capture StableCapture(const RECT& area);

// Writes the capture as a 24-bit BMP file. False when it cannot.
bool SaveBmp(const Capture& capture, const std::string& path);

// "(left, top) width x height", for messages.
std::string Describe(const RECT& r);

// How a user answers a message window.
enum class Answer { ClickYes, ClickNo, ClickOk, Enter, Escape, CloseBox };
const char* Name(Answer answer);

// A copy of the program, with or without its help file, in a folder of its own.
class ProgramCopy {
 public:
  explicit ProgramCopy(bool withHelp);
  const std::string& program() const { return program_; }
  std::string folder() const { return folder_.str(); }

 private:
  TempFolder folder_;
  std::string program_;
};

// A running wizard per test, started in a fresh working folder.
class WizardTest : public ::testing::Test {
 protected:
  TempFolder work;
  Wizard wizard{work.str()};

  // The message window the wizard shows next; fails the test when none comes.
  MessageWindow NextMessage();
  // Answers Message as a user would, and waits until it is gone.
  void Give(Answer answer, const MessageWindow& message);
  // The message window's top-left corner relative to the wizard's.
  POINT Offset(const MessageWindow& message) const;
};

}  // namespace quillfern::testing
