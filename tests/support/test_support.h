// Shared helpers for the tests: real temporary folders, whole-file bytes,
// and a byte comparison that names the first difference.
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
  // The folder as the program's own string type, with the system's separator.
  std::string str() const { return path_.string(); }
  // A path inside it, as a string, joined with the system's separator.
  std::string operator/(std::string_view name) const { return (path_ / fs::path(name)).string(); }

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

std::string ReadBytes(const fs::path& file);
void WriteBytes(const fs::path& file, std::string_view bytes);

// Every path under Root (relative, with '/' separators, folders ending in '/').
std::set<std::string> ListTree(const fs::path& root);

// Success when equal; otherwise names the first differing offset and shows
// the bytes around it.
::testing::AssertionResult SameBytes(std::string_view expected, std::string_view actual);

// Splits on CR LF; a text that ends in CR LF gives no empty last element.
std::vector<std::string> CrLfLines(std::string_view text);

}  // namespace quillfern::testing
