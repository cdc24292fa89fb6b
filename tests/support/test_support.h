// What every test program shares, whatever layer it tests: real temporary
// folders, whole-file bytes, a byte comparison that names the first
// difference, and the projects' file names and their normal form. The
// helpers that stand on a layer are in <layer>_support.h.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>


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

// Bytes as readable text: CR and LF as \r and \n, other control characters
// and bytes above 0x7E as \xHH.
std::string Visible(std::string_view bytes);

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

}  // namespace quillfern::testing
