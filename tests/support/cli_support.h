// The command-line generator run in this process, for the tests of the
// command-line front end and of what stands on it.
#pragma once

#include <algorithm>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"
#include "support/generator_support.h"

namespace quillfern::testing {

struct CliResult {
  int status;
  std::string out, err;
};

// quillfern-cli with these arguments (UTF-8), run in this process, with
// SOURCE_DATE_EPOCH as given (unset by default, whatever this process has).
inline CliResult RunCliWith(std::vector<std::string> args,
                            const std::optional<std::string>& sourceDateEpoch = std::nullopt) {
  args.insert(args.begin(), "quillfern-cli");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err, sourceDateEpoch);
  return {status, out.str(), err.str()};
}

// One way a user may give the output folder of the default Access project,
// and what becomes of it, the same for a real run and a dry run.
struct FolderForm {
  std::string what;
  std::string text;                // as typed: "{T}" is the temporary folder, "{t}" the same with '/'
  int status;                      // 0 generated, 1 could not generate, 2 refused
  std::string landsIn = {};        // 0: where the files go, relative to the temporary folder, '/' between names
  std::string error = {};          // otherwise: a part of the first error line
  std::vector<std::string> extra = {};     // more arguments: a class name
  std::vector<std::string> alsoMade = {};  // 0: folders made besides landsIn and its parents
  bool inAFileWay = false;         // a file "file" stands in the temporary folder first
};

// The forms of each system, the folders a real run makes for them, and the
// refusals with their exit status; run in the working folder {T}.
inline std::vector<FolderForm> FolderForms() {
  const bool windows = platform::kPathDelimiter == '\\';
  const std::string s(1, platform::kPathDelimiter);
  std::string deep = "{T}";
  for (int level = 0; level < 20000; ++level) deep += s + "a";
  const std::string tooLong = "is too long for this project: its longest path, ending in \"AccessAddin1.~dpr\"";
  std::vector<FolderForm> forms = {
      {"doubled separators", "{T}" + s + "x" + s + s + "y", 0, "x/y"},
      {"separators at the end", "{T}" + s + "x" + s + s, 0, "x"},
      {"one part, relative", "ab", 0, "ab"},
      {"another, relative", "abc", 0, "abc"},
      {"two parts, relative", "a/b", 0, "a/b"},
      {"only blanks", "   ", 2, {}, "Output folder \"   \" names no folder."},
      {"a file where a folder must go", "{T}" + s + "file" + s + "sub", 1, {}, "Unable to create output folder.", {},
       {}, true},
      {"a name too long", "{T}" + s + std::string(256, 'n'), 2, {}, "holds a name of 256 "},
      {"a device as class name", "{T}" + s + "x", 2, {}, "Class Name is not valid identifier.", {"-c", "Nul"}},
      {"a class name too long for a file", "{T}" + s + "x", 2, {}, "Class Name is too long for a file name",
       {"-c", std::string(251, 'C')}},
      {"20,000 levels", deep, 2, {}, "Output folder " + tooLong},
  };
  const std::vector<FolderForm> windowsForms = {
      {"forward slashes", "{t}/x/y", 0, "x/y"},
      {"both separators", "{T}\\x/y\\/z", 0, "x/y/z"},
      {"a step back", "{T}\\x\\..\\y", 0, "y"},
      {"a trailing blank", "{T}\\x ", 2, {}, "holds the name \"x \", which ends in a blank"},
      {"a trailing dot", "{T}\\x.\\y", 2, {}, "holds the name \"x.\", which ends in a dot"},
      {"a device", "{T}\\CON", 2, {}, "holds the name \"CON\", which Windows keeps for a device."},
      {"a device with an extension", "{T}\\x\\aux.txt\\y", 2, {}, "holds the name \"aux.txt\""},
      {"a question mark", "{T}\\x?y", 2, {}, "Windows takes no ? (U+003F) in a name."},
      {"a colon", "{T}\\a:b", 2, {}, "Windows takes no : (U+003A) in a name."},
      {"two backslashes alone", "\\\\", 2, {}, "Output folder \"\\\\\" names no folder."},
      {"a server without a share", "\\\\server", 2, {}, "Output folder \"\\\\server\" names no folder."},
      {"half a surrogate pair", "{T}\\sur\xED\xA0\x80x", 2, {},
       "holds U+D800, half of a UTF-16 surrogate pair without its other half, which is no character."},
  };
  const std::vector<FolderForm> posixForms = {
      {"a trailing blank and a device name", "{T}/x /CON", 0, "x /CON"},
      {"a step back after a folder", "{T}/x/../y", 0, "y", {}, {}, {"x"}},
  };
  for (const FolderForm& form : windows ? windowsForms : posixForms) forms.push_back(form);
  return forms;
}

// Form's text with the temporary folder Temp put in.
inline std::string FolderText(const FolderForm& form, const std::string& temp) {
  std::string forward = temp;
  std::replace(forward.begin(), forward.end(), '\\', '/');
  std::string text = form.text;
  for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{T}", temp}, {"{t}", forward}})
    for (std::size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), value);
  return text;
}

// What the temporary folder holds after a run of Form: the folders and the
// project's files for 0, what stood there before otherwise.
inline std::set<std::string> TreeAfter(const FolderForm& form) {
  std::set<std::string> tree;
  if (form.inAFileWay) tree.insert("file");
  if (form.status != 0) return tree;
  for (std::size_t at = 0; (at = form.landsIn.find('/', at)) != std::string::npos; ++at)
    tree.insert(form.landsIn.substr(0, at) + "/");
  tree.insert(form.landsIn + "/");
  for (const std::string& folder : form.alsoMade) tree.insert(folder + "/");
  for (const std::string& file : ProjectFileNames("AccessAddin1")) tree.insert(form.landsIn + "/" + file);
  return tree;
}

}  // namespace quillfern::testing
