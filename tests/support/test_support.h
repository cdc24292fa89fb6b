// What every test program shares: real temporary folders, whole-file bytes,
// a byte comparison that names the first difference, the projects' files and
// their normal form, the settings of a new project, the command-line
// generator run in this process, and a view that records what the Generate
// command did.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "generator/project_files.h"
#include "command/generate_command.h"

namespace quillfern::testing {

namespace fs = std::filesystem;

// A fresh empty folder under the system's temporary folder (or under Base),
// removed with everything in it when the owner goes.
class TempFolder {
 public:
  TempFolder();
  explicit TempFolder(const fs::path& base);
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  const fs::path& path() const { return path_; }
  // The folder as the program takes paths (UTF-8 on Windows, the system's
  // bytes elsewhere), with the system's separator.
  std::string str() const { return path_.u8string(); }
  // A path inside it (Name in the same form), joined with the system's separator.
  std::string operator/(std::string_view name) const { return (path_ / fs::u8path(name)).u8string(); }

 private:
  fs::path path_;
};

// Makes Folder the working directory until the owner goes.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const fs::path& folder);
  ~ScopedWorkingDirectory();

 private:
  fs::path previous_;
};

// Throw std::runtime_error when the file cannot be read or written.
std::string ReadBytes(const fs::path& file);
void WriteBytes(const fs::path& file, std::string_view bytes);

// Every path under Root (relative, in UTF-8 on Windows, with '/' separators,
// folders ending in '/').
std::set<std::string> ListTree(const fs::path& root);

// Success when equal; otherwise names the first differing offset and shows
// the bytes around it.
::testing::AssertionResult SameBytes(std::string_view expected, std::string_view actual);

// Splits on CR LF; a text that ends in CR LF gives no empty last element.
std::vector<std::string> CrLfLines(std::string_view text);

// The seven files of the project named ClassName, in writing order.
std::vector<std::string> ProjectFileNames(const std::string& className);
// The same as a set, to compare with ListTree.
std::set<std::string> ProjectFileSet(const std::string& className);

// A generated file as every build and run writes it: the class identifier,
// the read-me's date and the options file's search path replaced by fixed
// marks, and every occurrence of HostPath (when given) removed.
std::string Normalised(std::string bytes, const std::string& fileName, const std::string& hostPath = "");

// The read-me's date for When as a generation in CodePage writes it.
std::string ReadmeDate(const platform::LocalDateTime& when, unsigned codePage);

// Machine values fixed in advance, so that a composed set's bytes are known.
extern const generator::ProjectValues kFixedValues;

// A new project for App and Version with the defaults the catalogue gives
// it, to be written into FolderText.
generator::WizardSettings NewProjectSettings(std::size_t app, std::size_t version,
                                             const std::string& folderText = "");

struct CliResult {
  int status;
  std::string out, err;
};

// quillfern-cli with these arguments (UTF-8), run in this process, with
// SOURCE_DATE_EPOCH as given (unset by default, whatever this process has).
CliResult RunCliWith(std::vector<std::string> args, const std::optional<std::string>& sourceDateEpoch = std::nullopt);

// A view with fixed settings that answers from a script and logs everything
// the command did, one line each: "ask TEXT -> Yes", "set FIELD TEXT",
// "focus FIELD", "error TEXT", "info TEXT", "warning TITLE".
class RecordingView : public command::GenerateView {
 public:
  explicit RecordingView(generator::WizardSettings s = {}) : settings(std::move(s)) {}

  generator::WizardSettings settings;
  std::deque<bool> answers;  // taken one per question; once used up, every answer is Yes
  bool scriptedOnly = false;  // a question beyond the script then fails the test
  std::function<void()> onWarning;  // runs between the checks and the writing
  std::vector<std::string> log;

  generator::WizardSettings ReadSettings() override { return settings; }
  void SetFieldText(command::InputField field, const std::string& text) override;
  void FocusField(command::InputField field) override;
  bool AskYesNo(command::Question, const std::string& text) override;
  void ShowError(const std::string& text) override { log.push_back("error " + text); }
  void ShowInformation(const std::string& text) override { log.push_back("info " + text); }
  void ShowWarning(const std::string& title, const std::string&) override;

  // The last error or information shown, or empty.
  std::string Outcome() const;
};

}  // namespace quillfern::testing
