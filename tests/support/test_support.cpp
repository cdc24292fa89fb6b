#include "support/test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

namespace quillfern::testing {

TempFolder::TempFolder() : TempFolder(fs::temp_directory_path()) {}

TempFolder::TempFolder(const fs::path& base) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0;; ++attempt) {
    const auto name = "quillfern-test-" + std::to_string(random()) + "-" + std::to_string(counter++);
    path_ = base / name;
    if (fs::create_directory(path_)) break;
    if (attempt > 100) throw std::runtime_error("cannot create a temporary folder");
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // A test may have taken away rights; give them back so the tree can go.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored)) {
    if (it->is_directory(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const fs::path& folder)
    : previous_(fs::current_path()) {
  fs::current_path(folder);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::set<std::string> ListTree(const fs::path& root) {
  std::set<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string rel = entry.path().lexically_relative(root).generic_u8string();
    if (entry.is_directory()) rel += '/';
    paths.insert(rel);
  }
  return paths;
}

std::string Visible(std::string_view bytes) {
  std::ostringstream out;
  for (unsigned char c : bytes) {
    if (c == '\r') out << "\\r";
    else if (c == '\n') out << "\\n";
    else if (c < 0x20 || c >= 0x7F) {
      const char* hex = "0123456789ABCDEF";
      out << "\\x" << hex[c >> 4] << hex[c & 15];
    } else out << c;
  }
  return out.str();
}

::testing::AssertionResult SameBytes(std::string_view expected, std::string_view actual) {
  const std::size_t common = std::min(expected.size(), actual.size());
  std::size_t at = 0;
  while (at < common && expected[at] == actual[at]) ++at;
  if (at == common && expected.size() == actual.size()) return ::testing::AssertionSuccess();
  const std::size_t from = at < 20 ? 0 : at - 20;
  return ::testing::AssertionFailure()
         << "first difference at offset " << at << " (sizes " << expected.size() << " expected, "
         << actual.size() << " actual)\n  expected: ..." << Visible(expected.substr(from, 60))
         << "\n  actual:   ..." << Visible(actual.substr(from, 60));
}

std::vector<std::string> CrLfLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> ProjectFileNames(const std::string& className) {
  return {className + ".dpr", className + ".dof", className + ".tlb", "Unit1.pas",
          "Install.bat",      "Uninstall.bat",    "Readme.txt"};
}

std::set<std::string> ProjectFileSet(const std::string& className) {
  const std::vector<std::string> names = ProjectFileNames(className);
  return {names.begin(), names.end()};
}

std::string Normalised(std::string bytes, const std::string& fileName, const std::string& hostPath) {
  static const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  bytes = std::regex_replace(bytes, guid, "{GUID}");
  if (fileName == "Readme.txt")
    bytes = std::regex_replace(bytes, std::regex("^Generated on [^\r\n]* by "), "Generated on <DATE> by ");
  if (fileName.size() > 4 && fileName.compare(fileName.size() - 4, 4, ".dof") == 0)
    bytes = std::regex_replace(bytes, std::regex("SearchPath=[^\r\n]*"), "SearchPath=<SEARCHPATH>");
  if (!hostPath.empty())
    for (std::size_t at; (at = bytes.find(hostPath)) != std::string::npos;) bytes.erase(at, hostPath.size());
  return bytes;
}

}  // namespace quillfern::testing
