// The Help button, with and without the help file beside the program. Wine's
// help viewer opens the file but renders no page here (it has no HTML
// engine), so these tests look at the window and leave the pages to the
// help file's own check.
#include "support/wizard_driver.h"
#include "wizard/layout.h"

namespace quillfern::testing {
namespace {

using namespace std::chrono_literals;

TEST(WizardHelp, OpensTheHelpFileInAWindowNamedForQuillfern) {
  ProgramCopy copy(/*withHelp=*/true);
  Wizard wizard(copy.folder(), copy.program());
  ASSERT_TRUE(wizard.window());
  const auto before = VisibleTopLevelWindows();
  wizard.Click(wizard::btnHelp);
  const HWND help = WaitForNewWindow(before, 20s, [](HWND window) {
    return WindowTextOf(window).find("Quillfern") != std::string::npos;
  });
  ASSERT_TRUE(help) << "no window naming Quillfern appeared";
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
  wizard.Click(wizard::btnHelp);
  // The click has been handled; a viewer it started shows itself now.
  WaitForStartedProcesses(wizard.processId());
  const HWND added = WaitForNewWindow(before, 0s);
  EXPECT_FALSE(added) << "a window appeared for a missing help file";
  if (added) ::PostMessageA(added, WM_CLOSE, 0, 0);  // a viewer must not outlive the test
  EXPECT_TRUE(wizard.OtherWindows().empty());
  EXPECT_TRUE(wizard.Running());
}

}  // namespace
}  // namespace quillfern::testing
