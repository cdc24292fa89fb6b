#include "cli/cli.h"

#include <algorithm>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/program.h"
#include "platform/registry.h"
#include "support/cli_support.h"
#include "version.h"

namespace quillfern::cli {
namespace {

namespace fs = std::filesystem;
using quillfern::testing::CliResult;
using quillfern::testing::ListTree;
using quillfern::testing::RunCliWith;
using quillfern::testing::ReadBytes;
using quillfern::testing::TempFolder;

std::string Line(const fs::path& file, std::size_t n) {
  return quillfern::testing::CrLfLines(ReadBytes(file)).at(n - 1);
}

const bool kNoHost = platform::FindHostApplication("excel.exe").empty();

TEST(Cli, GeneratesExcel2002IntoANewFolderWithTheWarningAndSuccess) {
  TempFolder temp;
  const std::string dir = temp / "new" + platform::kPathDelimiter + "Project";
  const CliResult r = RunCliWith({"-a", "Excel", "-V", "2002", "-o", dir});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Excel 2002 COM Add-In generated successfully.\n");
  if (kNoHost) {
    EXPECT_EQ(r.err,
              "warning: It does not appear that you have Excel installed.\n"
              "warning: You might not be able to run and debug the Add-In on this computer.\n");
  }
  EXPECT_EQ(ListTree(dir), quillfern::testing::ProjectFileSet("ExcelAddin1"));
}

// Without options: Access 2000 with its defaults, in the working directory.
// (Options in any letter case and the versions' other names: the golden
// projects' arguments.)
TEST(Cli, WithoutOptionsWritesTheAccess2000ProjectIntoTheWorkingDirectory) {
  TempFolder temp;
  // Named beyond ASCII, and so read from the system as it is named, not as
  // a look-alike or in the code page's bytes.
  const fs::path dir = temp.path() / fs::u8path("Caf\xC3\xA9");
  fs::create_directory(dir);
  quillfern::testing::ScopedWorkingDirectory inside(dir);
  const CliResult r = RunCliWith({});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ListTree(dir), quillfern::testing::ProjectFileSet("AccessAddin1"));
  const fs::path unit = dir / "Unit1.pas";
  EXPECT_EQ(Line(unit, 32), "  OfficeAddins, Access2000;");
  EXPECT_EQ(Line(unit, 119), std::string(29, ' ') + "'New Access Add-In',");
  EXPECT_EQ(Line(unit, 121), std::string(29, ' ') + "'Microsoft Access 2000 COM Add-In',");
}

TEST(Cli, RefusesAnExistingProjectUnlessForced) {
  TempFolder dir;
  ASSERT_EQ(RunCliWith({"-o", dir.str()}).status, 0);
  const std::string before = ReadBytes(dir / "Unit1.pas");
  const CliResult refused = RunCliWith({"-o", dir.str()});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("error: Project alreary exists.\n"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--force"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "Unit1.pas"), before);
  const CliResult forced = RunCliWith({"-o", dir.str(), "--force"});
  EXPECT_EQ(forced.status, 0);
  EXPECT_NE(ReadBytes(dir / "Unit1.pas"), before);
}

// Another project into the folder of a first: nothing is asked (only the
// project source is looked for), and the first's files that the second
// replaces are kept as backups and named, in a dry run too; a backup that
// cannot be made leaves its file as it was and is named in the error.
TEST(Cli, AnotherProjectInTheFolderKeepsTheFirstsFilesAsBackups) {
  TempFolder dir;
  ASSERT_EQ(RunCliWith({"-a", "Excel", "-V", "XP", "-o", dir.str()}).status, 0);
  std::map<std::string, std::string> excel;
  for (const std::string& name : quillfern::testing::ProjectFileNames("ExcelAddin1")) excel[name] = ReadBytes(dir / name);
  const std::vector<std::string> word = {"-a", "Word", "-c", "WordTools", "-o", dir.str()};
  std::vector<std::string> args = word;
  args.push_back("--dry-run");
  const CliResult planned = RunCliWith(args);
  EXPECT_EQ(planned.status, 0) << planned.err;
  std::string listed = "\nand keep the files it would replace as backups:\n";
  for (const char* name : {"Unit1.~pas", "Install.~bat", "Uninstall.~bat", "Readme.~txt"})
    listed += "  " + dir / name + "\n";
  listed += "Not tried, since only writing shows them: the right to write in the folder and the room on its drive.\n";
  EXPECT_EQ(planned.out.substr(planned.out.size() - std::min(planned.out.size(), listed.size())), listed)
      << planned.out;

  // Dated, so that the run below, dated otherwise, changes the read-me.
  const CliResult second = RunCliWith(word, "1700000000");
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out,
            "Word 2000 COM Add-In generated successfully.\n"
            "Replaced files kept as backups: Unit1.~pas, Install.~bat, Uninstall.~bat, Readme.~txt\n");
  std::set<std::string> tree = quillfern::testing::ProjectFileSet("ExcelAddin1");
  for (const char* name : {"WordTools.dpr", "WordTools.dof", "WordTools.tlb"}) tree.insert(name);
  for (const char* name : {"Unit1.pas", "Install.bat", "Uninstall.bat", "Readme.txt"}) {
    tree.insert(generator::BackupName(name));
    EXPECT_EQ(ReadBytes(dir / generator::BackupName(name)), excel[name]) << name;
  }
  for (const char* name : {"ExcelAddin1.dpr", "ExcelAddin1.dof", "ExcelAddin1.tlb"})
    EXPECT_EQ(ReadBytes(dir / name), excel[name]) << name;
  EXPECT_EQ(ListTree(dir.path()), tree);

  args = word;
  args.push_back("--force");
  const std::string wordUnit = ReadBytes(dir / "Unit1.pas"), wordReadme = ReadBytes(dir / "Readme.txt");
  fs::remove(dir / "Readme.~txt");
  fs::create_directory(dir / "Readme.~txt");
  const CliResult failed = RunCliWith(args, "1800000000");  // another date: the read-me changes
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("error: Unable to write project files.\nerror: could not back up " + dir / "Readme.txt" +
                            " as Readme.~txt: "),
            std::string::npos)
      << failed.err;
  EXPECT_NE(failed.err.find("; it was left as it was; the project is incomplete: written and left in place: "
                            "WordTools.dpr, WordTools.dof, WordTools.tlb, Unit1.pas, Install.bat, Uninstall.bat; "
                            "not written: Readme.txt; earlier files kept as backups: Unit1.~pas\n"),
            std::string::npos)
      << failed.err;
  EXPECT_EQ(ReadBytes(dir / "Unit1.~pas"), wordUnit) << "one generation deep";
  EXPECT_EQ(ReadBytes(dir / "Readme.txt"), wordReadme);
  EXPECT_TRUE(fs::is_directory(dir / "Readme.~txt"));
}

TEST(Cli, DryRunChecksAndListsButWritesAndCreatesNothing) {
  TempFolder temp;
  const std::string dir = temp / "not-yet";
  const CliResult r = RunCliWith({"--dry-run", "-a", "Excel", "-o", dir});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir));
  EXPECT_TRUE(ListTree(temp.path()).empty());
  EXPECT_NE(r.out.find("would be created"), std::string::npos) << r.out;
  for (const char* name : {"ExcelAddin1.dpr", "ExcelAddin1.tlb", "Unit1.pas", "Readme.txt"})
    EXPECT_NE(r.out.find(dir + platform::kPathDelimiter + name), std::string::npos) << name;
  if (kNoHost) {
    EXPECT_NE(r.err.find("warning: It does not appear"), std::string::npos);
  }

  ASSERT_EQ(RunCliWith({"-a", "Excel", "-o", temp.str()}).status, 0);
  const auto tree = ListTree(temp.path());
  const CliResult again = RunCliWith({"--dry-run", "-a", "Excel", "-o", temp.str()});
  EXPECT_EQ(again.status, 1) << "an existing project fails the dry run too";
  const CliResult forced = RunCliWith({"--dry-run", "--force", "-a", "Excel", "-o", temp.str()});
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(ListTree(temp.path()), tree);
}

struct BadInput {
  std::vector<std::string> args;
  int status;
  std::string error;
  std::optional<std::string> sourceDateEpoch = std::nullopt;
};

const std::string kClassIdForm =
    "' (use the registry form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, with hexadecimal digits)\n";
const std::string kEpochRange =
    " (use the seconds since 1970-01-01 00:00:00 UTC, a whole number from 0 to 253402300799";

TEST(Cli, ReportsBadInputsWithTheWizardsTextsAndExitStatus) {
  TempFolder dir;
  const BadInput cases[] = {
      {{"-c", "1Addin"}, 2, "error: Class Name is not valid identifier.\n"},
      {{"-c", ""}, 2, "error: Class Name is not valid identifier.\n"},
      {{"-u", "Excel2000"}, 2, "error: Interface unit name is not valid.\n"},
      {{"-u", "Excel 2000.pas"}, 2, "error: Interface unit name is not valid.\n"},
      {{"-c", "1x", "-u", "bad"}, 2, "error: Class Name is not valid identifier.\n"},
      {{"-a", "Visio"}, 2, "error: unknown host application 'Visio'"},
      {{"-V", "2003"}, 2, "error: unknown Office version '2003'"},
      {{"--install-in", "HKCR"}, 2, "error: unknown registry hive 'HKCR'"},
      {{"-l", "connected,sometimes"}, 2, "error: unknown load behaviour 'sometimes'"},
      {{"-l", "connected, boot load"}, 2, "error: unknown load behaviour 'boot load'"},
      {{"-l", "connected, ,bootload"}, 2, "error: unknown load behaviour ''"},
      {{"-l", ""}, 2, "error: unknown load behaviour ''"},
      {{"--bogus"}, 2, "error: "},
      {{"stray"}, 2, "error: "},
      {{"-a"}, 2, "error: "},
      // A class identifier to keep: the registry form only, and never the null one.
      {{"--class-id", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F}"}, 2,
       "error: invalid class identifier '{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F}" + kClassIdForm},
      {{"--class-id", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"}, 2, "error: invalid class identifier"},
      {{"--class-id", "(0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0)"}, 2, "error: invalid class identifier"},
      {{"--class-id", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1G0}"}, 2, "error: invalid class identifier"},
      {{"--class-id", "{0F1E2D3C4-B5A-6978-8796-A5B4C3D2E1F0}"}, 2, "error: invalid class identifier"},
      {{"--class-id", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}x"}, 2, "error: invalid class identifier"},
      {{"--class-id", "{00000000-0000-0000-0000-000000000000}"}, 2,
       "error: --class-id {00000000-0000-0000-0000-000000000000} is the null class identifier"},
      // A moment to keep: whole seconds from 1970 to the end of 9999; set
      // but empty is an error rather than the time now.
      {{"-a", "Word"}, 2, "error: SOURCE_DATE_EPOCH '-1' is not a whole non-negative number" + kEpochRange + ")\n",
       "-1"},
      {{"-a", "Word"}, 2, "error: SOURCE_DATE_EPOCH 'x' is not a whole non-negative number", "x"},
      {{"-a", "Word"}, 2, "error: SOURCE_DATE_EPOCH '1700000000.5' is not a whole non-negative number",
       "1700000000.5"},
      {{"-a", "Word"}, 2, "error: SOURCE_DATE_EPOCH is set but empty" + kEpochRange + ", or unset it)\n", ""},
      {{"-a", "Word"}, 2, "error: SOURCE_DATE_EPOCH '253402300800' is after the year 9999" + kEpochRange + ")\n",
       "253402300800"},
      {{"-a", "Word"}, 2, "error: SOURCE_DATE_EPOCH '18446744073709551617' is after the year 9999",
       "18446744073709551617"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", dir.str()});
    const CliResult r = RunCliWith(args, c.sourceDateEpoch);
    EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.sourceDateEpoch.value_or("(no SOURCE_DATE_EPOCH)");
    EXPECT_EQ(r.err.rfind(c.error, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(ListTree(dir.path()).empty());
}

// With --class-id and SOURCE_DATE_EPOCH nothing comes from the machine but
// the search path: two runs give the same bytes, the identifier upper-cased
// and the moment in UTC.
TEST(Cli, AFixedClassIdAndMomentGiveTheSameBytesEveryRun) {
  TempFolder temp;
  const std::vector<std::string> args = {"-a", "Word", "--class-id", "{0f1e2d3c-4b5a-6978-8796-A5B4C3D2E1F0}", "-o"};
  for (const char* run : {"A", "B"}) {
    std::vector<std::string> into = args;
    into.push_back(temp / run);
    ASSERT_EQ(RunCliWith(into, "1700000000").status, 0);
  }
  for (const std::string& file : quillfern::testing::ProjectFileNames("WordAddin1"))
    EXPECT_TRUE(quillfern::testing::SameBytes(ReadBytes(temp.path() / "A" / file), ReadBytes(temp.path() / "B" / file)))
        << file;
  EXPECT_EQ(Line(temp.path() / "A" / "Unit1.pas", 36),
            "  Class_AddInGUID: TGUID = '{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}';");
  EXPECT_EQ(Line(temp.path() / "A" / "Readme.txt", 1),
            "Generated on " + quillfern::testing::ReadmeDate({2023, 11, 14, 22, 13, 20}, 1252) + " by \"Quillfern 1.0\"");
  // Midnight UTC shows the date alone.
  ASSERT_EQ(RunCliWith({"-o", temp / "midnight"}, "1699920000").status, 0);
  EXPECT_EQ(Line(temp.path() / "midnight" / "Readme.txt", 1),
            "Generated on " + quillfern::testing::ReadmeDate({2023, 11, 14, 0, 0, 0}, 1252) + " by \"Quillfern 1.0\"");
}

// Text goes into the files in the chosen Windows code page, exactly, or is
// refused before anything is made.
TEST(Cli, WritesTextInTheCodePageExactlyOrRefusesIt) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string result;  // the unit's friendly-name line (L119) after 29 blanks, or the error
  } const cases[] = {
      {{"--code-page", "1252", "-f", "Caf\xC3\xA9 'd\xC3\xA9j\xC3\xA0'"}, 0, "'Caf\xE9 ''d\xE9j\xE0''',"},
      {{"--code-page", "1253", "-f", "\xCE\xA9mega"}, 0, "'\xD9mega',"},
      {{"--code-page", "932", "-f", "\xE6\x97\xA5\xE6\x9C\xAC"}, 0, "'\x93\xFA\x96\x7B',"},
      {{"-f", "plain ASCII"}, 0, "'plain ASCII',"},
      // Each refusal's text: the Generate command's tests.
      {{"--code-page", "1252", "-d", "\xC4\x80"}, 2,  // A with macron: a best fit would make it A
       "error: Description holds a character that code page 1252 cannot hold: \xC4\x80 (U+0100).\n"},
      {{"--code-page", "65001"}, 2,
       "error: 65001 is not a Windows ANSI code page (use one of 874 932 936 949 950 1250 1251 1252 1253 1254 1255 "
       "1256 1257 1258)\n"},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const std::string out = dir / "out";
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", out});
    const CliResult r = RunCliWith(args);
    EXPECT_EQ(r.status, c.status) << c.args.back() << "\n" << r.err;
    if (c.status == 0) {
      EXPECT_EQ(Line(out + platform::kPathDelimiter + "Unit1.pas", 119), std::string(29, ' ') + c.result);
    } else {
      EXPECT_EQ(r.err, c.result);
      EXPECT_TRUE(ListTree(dir.path()).empty()) << "something was made for " << c.args.back();
    }
  }
}

TEST(Cli, ReportsFoldersItCannotCreate) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "file", "x");
  const CliResult blocked = RunCliWith({"-o", dir / "file" + platform::kPathDelimiter + "sub"});
  EXPECT_EQ(blocked.status, 1);
  // The fixed message, then which folder stopped the chain and the system's reason.
  EXPECT_EQ(blocked.err.rfind("error: Unable to create output folder.\nerror: could not create " +
                                  dir / "file" + ": ", 0),
            0u)
      << blocked.err;
  EXPECT_EQ(blocked.err.find("left in place"), std::string::npos) << "nothing was created: " << blocked.err;
  EXPECT_EQ(ReadBytes(dir / "file"), "x");
  const CliResult root = RunCliWith({"-o", std::string(1, platform::kPathDelimiter)});
  EXPECT_EQ(root.status, 1);
  EXPECT_EQ(root.err, "error: Unable to create directory.\n");
}

// The first line of Err that is an error.
std::string FirstError(const std::string& err) {
  const std::size_t at = err.find("error: ");
  return at == std::string::npos ? "" : err.substr(at, err.find('\n', at) - at);
}

// Every folder form of this system: a real run makes that folder and
// nothing beside it, or refuses with its exit status and makes nothing; a
// dry run makes nothing and ends the same way, with the same error.
TEST(Cli, TakesEachFolderFormAsTheSystemDoesAndADryRunEndsTheSameWay) {
  for (const quillfern::testing::FolderForm& form : quillfern::testing::FolderForms()) {
    SCOPED_TRACE(form.what);
    TempFolder temp;
    if (form.inAFileWay) quillfern::testing::WriteBytes(temp / "file", "x");
    const std::set<std::string> before = ListTree(temp.path());
    const quillfern::testing::ScopedWorkingDirectory inside(temp.path());
    std::vector<std::string> args = {"-o", quillfern::testing::FolderText(form, temp.str())};
    args.insert(args.end(), form.extra.begin(), form.extra.end());
    std::vector<std::string> dryRun = args;
    dryRun.push_back("--dry-run");
    const CliResult planned = RunCliWith(dryRun);
    EXPECT_EQ(planned.status, form.status) << "dry run: " << planned.err;
    EXPECT_EQ(ListTree(temp.path()), before) << "the dry run made something";
    const CliResult real = RunCliWith(args);
    EXPECT_EQ(real.status, form.status) << real.err;
    EXPECT_EQ(ListTree(temp.path()), quillfern::testing::TreeAfter(form)) << real.err;
    if (form.status == 0) {
      EXPECT_EQ(planned.out.rfind("Dry run: ", 0), 0u) << planned.out;
    } else {
      EXPECT_NE(FirstError(real.err).find(form.error), std::string::npos) << real.err;
      EXPECT_EQ(FirstError(planned.err), FirstError(real.err));
      EXPECT_LT(real.err.size(), 80u * 6) << "a refusal fits on a screen";
    }
  }
}

TEST(Cli, ListsTheCatalogueAndAnswersHelpAndVersion) {
  const CliResult list = RunCliWith({"--list"});
  EXPECT_EQ(list.status, 0);
  for (const char* text : {"Access", "msaccess.exe", "MSPpt2000.pas, MSPptXP.pas", "Versions: 2000, 2002/XP"})
    EXPECT_NE(list.out.find(text), std::string::npos) << text;
  const CliResult help = RunCliWith({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* text :
       {"--app", "--office-version", "--install-in", "--dry-run", "--class-id", "SOURCE_DATE_EPOCH", "Exit status"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  const CliResult version = RunCliWith({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillfern-cli " QUILLFERN_VERSION "\n");
}

// check in this process: where there is no Windows registry it says so in
// one line; where there is one (Wine's, in the Windows build), an add-in no
// one registered does not load, as text and as JSON. (Registered add-ins,
// each broken one way: the compile test's check rows.)
TEST(Cli, ChecksAnAddinOrSaysWhyItCannot) {
  const std::vector<std::string> args{"check", "-a", "word", "--prog-id", "Quillfern.NeverRegistered"};
  const CliResult text = RunCliWith(args);
  if (!platform::RegistryAvailable()) {
    EXPECT_EQ(text.status, 2);
    EXPECT_EQ(text.out, "");
    EXPECT_EQ(std::count(text.err.begin(), text.err.end(), '\n'), 1) << text.err;
    EXPECT_NE(text.err.find("Windows registry"), std::string::npos) << text.err;
    return;
  }
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(text.out.substr(0, text.out.find('\n')), "Word: Quillfern.NeverRegistered does not load: it is not registered");
  std::vector<std::string> asJson = args;
  asJson.push_back("--json");
  const CliResult json = RunCliWith(asJson);
  EXPECT_EQ(json.status, 1);
  for (const char* piece : {"\"progId\": \"Quillfern.NeverRegistered\"", "\"problem\": \"not-registered\"",
                           "\"loads\": false", "\"allCanLoad\": false"})
    EXPECT_NE(json.out.find(piece), std::string::npos) << piece << " in " << json.out;
  const CliResult byClass = RunCliWith({"check", "-a", "Excel", "-c", "NeverRegistered1"});
  EXPECT_EQ(byClass.out.substr(0, byClass.out.find(':', 7)), "Excel: AddinLib.NeverRegistered1 does not load");
}

TEST(Cli, RefusesCheckArgumentsItDoesNotTake) {
  const std::vector<std::vector<std::string>> cases{
      {"check", "-a", "Visio"}, {"check", "-c", "A", "--prog-id", "B"}, {"check", "--force"}, {"check", "extra"}};
  for (const auto& args : cases) {
    const CliResult result = RunCliWith(args);
    EXPECT_EQ(result.status, 2) << args.back();
    EXPECT_EQ(result.out, "") << args.back();
    EXPECT_EQ(result.err.rfind("error: ", 0), 0u) << result.err;
  }
}

}  // namespace
}  // namespace quillfern::cli
