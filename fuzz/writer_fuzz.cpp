// The writer, run again and again into one folder that keeps what the runs
// before left: each input first puts random earlier entries there (files
// and backups with random bytes, leftover staging files, links, folders at
// a file's or a backup's name, a file made read-only), then writes a project
// whose files hold random bytes, some the same as what is there.
//
// Properties, after every run: every earlier file of the seven names is
// whole under its name or its backup name; each name holds its new bytes,
// its earlier ones, or (where there was nothing) nothing; a link is kept as
// itself, never followed; no staging file is left; nothing else in the
// folder changes; a run that says it succeeded wrote all seven.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "generator/project_files.h"
#include "generator/project_writer.h"

namespace {

namespace fs = std::filesystem;
using quillfern::generator::BackupName;

fs::path& Folder() {
  static fs::path folder;
  return folder;
}

const char* const kClasses[] = {"AAddin", "BAddin", "Unit1", "Readme"};

// What stands at a name: its kind, its bytes or where it points.
struct Seen {
  enum Kind { None, File, Link, Directory } kind = None;
  std::string bytes;  // a file's bytes, a link's target
  bool operator==(const Seen& o) const { return kind == o.kind && bytes == o.bytes; }
};

Seen Look(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || !fs::exists(status)) return {};
  if (fs::is_symlink(status)) return {Seen::Link, fs::read_symlink(path).string()};
  if (fs::is_directory(status)) return {Seen::Directory, {}};
  std::ifstream in(path, std::ios::binary);
  return {Seen::File, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
}

std::map<std::string, Seen> Snapshot() {
  std::map<std::string, Seen> all;
  for (const auto& entry : fs::directory_iterator(Folder())) all[entry.path().filename().string()] = Look(entry.path());
  return all;
}

// One earlier entry, from a field: its first byte says what and where,
// the rest is its bytes.
void Put(const std::string& field, const std::vector<std::string>& names) {
  if (field.empty()) return;
  const auto op = static_cast<unsigned char>(field[0]);
  const std::string& base = names[(op >> 3) % names.size()];
  const bool atBackup = op & 0x80;
  const fs::path path = Folder() / (atBackup ? BackupName(base) : base);
  const std::string bytes = field.substr(1);
  std::error_code ignored;
  fs::remove_all(path, ignored);
  switch (op & 7) {
    case 0: break;  // nothing there
    case 1: case 2: std::ofstream(path, std::ios::binary) << bytes; break;
    case 3: fs::create_symlink("outside.txt", path, ignored); break;
    case 4: fs::create_symlink("nowhere", path, ignored); break;
    case 5: fs::create_directory(path, ignored); break;
    case 6: std::ofstream(Folder() / ("~qf" + std::string("AbC12") + std::to_string(op % 10) + ".tmp")) << bytes; break;
    case 7:
      std::ofstream(path, std::ios::binary) << bytes;
      ::chmod(path.c_str(), 0444);  // read-only: not to be replaced (root replaces it all the same)
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* base = std::getenv("QUILLFERN_FUZZ_SCRATCH");
  std::string pattern = std::string(base && *base ? base : fs::temp_directory_path().string()) +
                        "/quillfern-writer-fuzz-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) std::abort();
  Folder() = fs::path(name.data()) / "project";
  fs::create_directory(Folder());
  std::ofstream(fs::path(name.data()) / "outside.txt") << "outside";
  fs::create_symlink("../outside.txt", Folder() / "outside.txt");
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(Folder().parent_path(), ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillfern;
  const auto fields = fuzz::Fields(data, size);
  if (fields.empty() || fields.size() > 40) return 0;
  // Now and then the folder starts over, so that it does not only fill up.
  if (fields[0].size() > 1 && fields[0][1] == '!') {
    for (const auto& entry : fs::directory_iterator(Folder()))
      if (entry.path().filename() != "outside.txt") fs::remove_all(entry.path());
  }
  const std::string className = kClasses[(fields[0].empty() ? 0 : static_cast<unsigned char>(fields[0][0])) % 4];
  const std::vector<std::string> names = generator::ProjectFileNames(className);
  // Fields 1 to 7: the new bytes of the seven files ("=" keeps what the
  // name holds now, so that unchanged files are met too); the rest: entries.
  generator::ProjectFileSet files;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& field = fuzz::Field(fields, i + 1);
    const Seen now = Look(Folder() / names[i]);
    files.push_back({field == "=" && now.kind == Seen::File ? now.bytes : field + names[i], names[i]});
  }
  for (std::size_t i = 8; i < fields.size(); ++i) Put(fields[i], names);

  const std::map<std::string, Seen> before = Snapshot();
  generator::WriteReport report;
  const bool written = generator::WriteFileSet(files, Folder().string(), &report);
  const std::map<std::string, Seen> after = Snapshot();

  for (const auto& [name, seen] : after)
    if (generator::IsStagingName(name)) fuzz::Fail("a staging file stayed", name);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& name = files[i].FileName;
    const Seen earlier = before.count(name) ? before.at(name) : Seen{};
    const Seen now = after.count(name) ? after.at(name) : Seen{};
    const Seen kept = after.count(BackupName(name)) ? after.at(BackupName(name)) : Seen{};
    const Seen fresh{Seen::File, files[i].Content};
    if ((earlier.kind == Seen::File || earlier.kind == Seen::Link) && !(now == earlier) && !(kept == earlier))
      fuzz::Fail("an earlier entry is lost", name);
    if (!(now == fresh) && !(now == earlier)) fuzz::Fail("a name holds neither its new nor its earlier entry", name);
    if (written && !(now == fresh)) fuzz::Fail("a run that succeeded did not write", name);
    if (i < report.FilesWritten && !(now == fresh)) fuzz::Fail("a file reported written is not", name);
  }
  // Nothing but the seven names and their backups changes.
  std::vector<std::string> ours;
  for (const std::string& name : names) ours.insert(ours.end(), {name, BackupName(name)});
  for (const auto& [name, seen] : before) {
    if (generator::IsStagingName(name) || std::find(ours.begin(), ours.end(), name) != ours.end()) continue;
    if (!after.count(name) || !(after.at(name) == seen)) fuzz::Fail("an entry not of the project changed", name);
  }
  for (const auto& [name, seen] : after)
    if (!before.count(name) && std::find(ours.begin(), ours.end(), name) == ours.end())
      fuzz::Fail("an entry not of the project appeared", name);
  if (Look(Folder().parent_path() / "outside.txt").bytes != "outside") fuzz::Fail("a link was written through");
  return 0;
}
