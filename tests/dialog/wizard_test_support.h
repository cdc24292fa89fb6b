// What the wizard's tests share: a running wizard per test, and the answers
// a user can give a message window.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "dialog/wizard_driver.h"
#include "support/test_support.h"
#include "wizard/win32/layout.h"

namespace quillfern::testing {

inline constexpr char kCaption[] = "New Microsoft Office COM Add-In";

inline std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
         " x " + std::to_string(r.bottom - r.top);
}

// How a user answers a message window.
enum class Answer { ClickYes, ClickNo, ClickOk, Enter, Escape, CloseBox };

inline const char* Name(Answer answer) {
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

// A copy of the program, with or without its help file, in a folder of its own.
class ProgramCopy {
 public:
  explicit ProgramCopy(bool withHelp) {
    const std::string source = ProgramBesideTests();
    const std::string sourceFolder = source.substr(0, source.find_last_of('\\') + 1);
    program_ = folder_ / "quillfern.exe";
    EXPECT_TRUE(::CopyFileA(source.c_str(), program_.c_str(), TRUE));
    if (withHelp) {
      EXPECT_TRUE(::CopyFileA((sourceFolder + "quillfern.chm").c_str(), (folder_ / "quillfern.chm").c_str(), TRUE))
          << "the build puts quillfern.chm beside quillfern.exe";
    }
  }
  const std::string& program() const { return program_; }
  std::string folder() const { return folder_.str(); }

 private:
  TempFolder folder_;
  std::string program_;
};

class WizardTest : public ::testing::Test {
 protected:
  TempFolder work;
  Wizard wizard{work.str()};

  // The message window the wizard shows next; fails the test when none comes.
  MessageWindow NextMessage() {
    const HWND window = wizard.WaitForMessageWindow();
    EXPECT_TRUE(window) << "no message window appeared";
    return window ? ReadMessageWindow(window) : MessageWindow{};
  }

  // Answers Message as a user would, and waits until it is gone.
  void Give(Answer answer, const MessageWindow& message) {
    ASSERT_TRUE(message.window);
    switch (answer) {
      case Answer::ClickYes: ClickButton(message, "&Yes"); break;
      case Answer::ClickNo: ClickButton(message, "&No"); break;
      case Answer::ClickOk: ClickButton(message, "OK"); break;
      case Answer::Enter: wizard.Press(VK_RETURN); break;
      case Answer::Escape: wizard.Press(VK_ESCAPE); break;
      case Answer::CloseBox: wizard.CloseBox(message.window); break;
    }
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(message.window) || !::IsWindowVisible(message.window); }))
        << "\"" << message.title << "\" stayed open after " << Name(answer);
    wizard.Settle();
  }

  // The message window's top-left corner relative to the wizard's.
  POINT Offset(const MessageWindow& message) const {
    const RECT wizardFrame = FrameOf(wizard.window());
    return {message.frame.left - wizardFrame.left, message.frame.top - wizardFrame.top};
  }

 private:
  void ClickButton(const MessageWindow& message, const std::string& caption) {
    const HWND button = ChildWithText(message.window, caption);
    ASSERT_TRUE(button) << "no button \"" << caption << "\" in \"" << message.title << "\"";
    wizard.ClickWindow(button);
  }
};

}  // namespace quillfern::testing
