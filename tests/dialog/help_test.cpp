// The Help button, with and without the help file beside the program. Wine's
// help viewer opens the file but renders no page here (it has no HTML
// engine), so these tests look at the window and leave the pages to the
// help file's own check.
#include <algorithm>
#include <thread>

#include "dialog/wizard_test_support.h"

namespace quillfern::testing {
namespace {

using namespace std::chrono_literals;

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
  // Give a viewer, should one start, the time it takes to show itself.
  std::this_thread::sleep_for(3s);
  wizard.Settle();
  EXPECT_TRUE(NewWindows(before).empty()) << "a window appeared for a missing help file";
  EXPECT_TRUE(wizard.OtherWindows().empty());
  EXPECT_TRUE(wizard.Running());
}

}  // namespace
}  // namespace quillfern::testing
