// The output folder taken away or replaced after the command has checked it
// but before the files are written, and a write that fails part way, seen
// from the Generate command and from the command line.
#include <algorithm>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/program.h"
#include "support/cli_support.h"
#include "support/command_support.h"

namespace quillfern::testing {
namespace {

const std::string kSep(1, platform::kPathDelimiter);

enum class Sabotage { RemoveFolder, ReplaceFolderWithFile };
enum class Moment { InTheWarningHook, InTheWriter };

struct Case {
  const char* what;
  Sabotage sabotage;
  Moment moment;
};

TEST(FolderFaults, AFolderGoneOrReplacedBeforeWritingIsAFailureAndNothingIsRecreated) {
  const bool warns = platform::FindHostApplication("excel.exe").empty();
  const Case cases[] = {
      {"removed in the warning hook", Sabotage::RemoveFolder, Moment::InTheWarningHook},
      {"replaced by a file in the warning hook", Sabotage::ReplaceFolderWithFile, Moment::InTheWarningHook},
      {"removed by the writer's caller", Sabotage::RemoveFolder, Moment::InTheWriter},
      {"replaced by a file by the writer's caller", Sabotage::ReplaceFolderWithFile, Moment::InTheWriter},
  };
  for (const Case& c : cases) {
    if (c.moment == Moment::InTheWarningHook && !warns) {
      continue;  // no warning is raised on this machine
    }
    TempFolder temp;
    const std::string folder = temp / "new" + kSep + "out";
    RecordingView view(NewProjectSettings(1, 1, folder));
    bool held = false;
    const auto sabotage = [&] {
      std::error_code error;
      fs::remove_all(folder, error);
      // On Windows the generation's lock file, held open in the folder,
      // keeps the folder from being taken away at all.
      held = static_cast<bool>(error);
      if (!held && c.sabotage == Sabotage::ReplaceFolderWithFile) WriteBytes(folder, "not a folder");
    };
    if (c.moment == Moment::InTheWarningHook) view.onWarning = sabotage;
    const command::ProjectWriter write = [&](const generator::ProjectFileSet& files, const std::string& into,
                                            generator::WriteReport* failure) {
      if (c.moment == Moment::InTheWriter) sabotage();
      return generator::WriteFileSet(files, into, failure);
    };
    const std::string state = StateOf(command::RunGenerateCommand(view, {{}, false, write}));
    if (held) {
      EXPECT_NE(*platform::kLockFileName, '\0') << c.what << ": only a lock file in the folder holds it";
      EXPECT_EQ(state, "generated") << c.what;
      continue;
    }
    EXPECT_EQ(state, "failed WriteFiles") << c.what;
    const std::set<std::string> expected =
        c.sabotage == Sabotage::RemoveFolder ? std::set<std::string>{"new/"} : std::set<std::string>{"new/", "new/out"};
    EXPECT_EQ(ListTree(temp.path()), expected) << c.what;
    if (c.sabotage == Sabotage::ReplaceFolderWithFile) {
      EXPECT_EQ(ReadBytes(folder), "not a folder") << c.what;
    }
  }
}

TEST(FolderFaults, TheCliNamesTheFileThatFailedAndWhatWasAndWasNotWritten) {
  TempFolder dir;
  fs::create_directory(dir.path() / "Install.bat");
  const CliResult r = RunCliWith({"-a", "Excel", "-V", "XP", "-o", dir.str()});
  EXPECT_EQ(r.status, 1);
  const std::string head = "error: Unable to write project files.\nerror: could not write " + dir / "Install.bat" + ": ";
  const std::string err = r.err.substr(std::min(r.err.find("error: "), r.err.size()));  // after any warning
  ASSERT_EQ(err.rfind(head, 0), 0u) << r.err;
  const std::string tail =
      "; the project is incomplete: written and left in place: ExcelAddin1.dpr, ExcelAddin1.dof, "
      "ExcelAddin1.tlb, Unit1.pas; not written: Install.bat, Uninstall.bat, Readme.txt\n";
  ASSERT_GE(err.size(), head.size() + tail.size());
  EXPECT_EQ(err.substr(err.size() - tail.size()), tail) << r.err;
  EXPECT_GT(err.size(), head.size() + tail.size()) << "the system's reason is missing";
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"ExcelAddin1.dof", "ExcelAddin1.dpr", "ExcelAddin1.tlb",
                                                         "Install.bat/", "Unit1.pas"}));
}

}  // namespace
}  // namespace quillfern::testing
