// The Help button, with and without the help file beside the program. Wine's
// help viewer opens the file but renders no page here (it has no HTML
// engine), so these tests look at the window and leave the pages to the
// help file's own check.
#include <algorithm>

#include "dialog/wizard_test_support.h"
#include "support/started_processes.h"

namespace quillfern::testing {
namespace {

std::vector<HWND> NewWindows(const std::vector<HWND>& before) {
  std::vector<HWND> added;
  for (HWND window : VisibleTopLevelWindows())
    if (std::find(before.begin(), before.end(), window) == before.end()) added.push_back(window);
  return added;
}

TEST(WizardHelp, OpensTheHelpFileInAWindowNamedForQuillfern) {
  ProgramCopy copy(/*withHelp=*/true);
  Wizard wizard(copy.folder(), copy.program());
  ASSERT_TRUE(wizard.window());
  const auto before = VisibleTopLevelWindows();
  wizard.Click(wizard::win32::btnHelp);
  HWND help = nullptr;
  const bool opened = WaitUntil([&] {
    for (HWND window : NewWindows(before))
      if (WindowTextOf(window).find("Quillfern") != std::string::npos) help = window;
    return help != nullptr;
  });
  ASSERT_TRUE(opened) << "no window naming Quillfern appeared";
  EXPECT_EQ(WindowTextOf(help), "Quillfern Help");
  EXPECT_TRUE(wizard.Running()) << "the wizard stays open beside its help";
  ::PostMessageA(help, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(help); })) << "the help window did not close";
}

TEST(WizardHelp, WithoutAHelpFileShowsNothing) {
  ProgramCopy copy(/*withHelp=*/false);
  Wizard wizard(copy.folder(), copy.program());
  ASSERT_TRUE(wizard.window());
  const auto before = VisibleTopLevelWindows();
  wizard.Click(wizard::win32::btnHelp);
  // The click has been handled; a viewer it started shows itself now.
  WaitForStartedProcesses(wizard.processId());
  const auto added = NewWindows(before);
  EXPECT_TRUE(added.empty()) << "a window appeared for a missing help file";
  for (HWND window : added) ::PostMessageA(window, WM_CLOSE, 0, 0);  // a viewer must not outlive the test
  EXPECT_TRUE(wizard.OtherWindows().empty());
  EXPECT_TRUE(wizard.Running());
}

}  // namespace
}  // namespace quillfern::testing
