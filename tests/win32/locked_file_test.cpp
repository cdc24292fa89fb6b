// Writing a project while another process holds one of its files open with
// no sharing: Windows refuses the write, and the writer stops there.
#include <windows.h>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "generator/project_files.h"
#include "generator/template_store.h"
#include "platform/probes.h"
#include "support/command_support.h"
#include "support/test_support.h"
#include "wizard/generate_command.h"
#include "win32/win32_test_support.h"

namespace quillfern {
namespace {

using testing::ListTree;
using testing::ReadBytes;
using testing::TempFolder;
using testing::win32::ChildProcess;
using testing::win32::ProgramFolder;
using testing::win32::Quote;

generator::WizardSettings AccessSettings(const std::string& folder) {
  return testing::NewProjectSettings(0, 0, folder);
}

// The add-in unit, fourth of the seven files, held by a second process.
class LockedUnit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(holder.started());
    ASSERT_EQ(holder.ReadLine(), "held");
  }

  // True when Windows refuses this process the file, as the writer will be.
  bool RefusedBySharing() const {
    const HANDLE h = ::CreateFileA(unit.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ::CloseHandle(h);
      return false;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
  }

  TempFolder dir;
  const std::string unit = dir / "Unit1.pas";
  ChildProcess holder{Quote(ProgramFolder() + "quillfern_hold_file.exe") + " " + Quote(unit)};
};

TEST_F(LockedUnit, StopsTheWriteAndKeepsTheEarlierFiles) {
  ASSERT_TRUE(RefusedBySharing());
  EXPECT_FALSE(generator::WriteProjectFiles(AccessSettings(dir.str()), dir.str(), nullptr));
  EXPECT_EQ(ListTree(dir.path()),
            (std::set<std::string>{"AccessAddin1.dof", "AccessAddin1.dpr", "AccessAddin1.tlb", "Unit1.pas"}));
  EXPECT_EQ(ReadBytes(dir / "AccessAddin1.tlb"), generator::LoadTemplate("OfficeAddinTlbFile"));
  EXPECT_NE(ReadBytes(dir / "AccessAddin1.dpr").find("library AccessAddin1;"), std::string::npos);
  EXPECT_EQ(holder.Finish(), 0u);
  EXPECT_EQ(ReadBytes(unit), "") << "the held file was written";

  // Released, the same write goes through: the lock was the only obstacle.
  EXPECT_TRUE(generator::WriteProjectFiles(AccessSettings(dir.str()), dir.str(), nullptr));
  EXPECT_EQ(ListTree(dir.path()).size(), 7u);
}

TEST_F(LockedUnit, MakesTheGenerateCommandReportThatItCouldNotWrite) {
  testing::RecordingView view(AccessSettings(dir.str()));
  wizard::RunGenerateCommand(view);
  EXPECT_EQ(view.log, (std::vector<std::string>{"warning Office application not found",
                                                "error Unable to write project files."}));
  EXPECT_FALSE(platform::FileExists(dir / "Readme.txt"));
}

}  // namespace
}  // namespace quillfern
