// The file set for arbitrary settings and machine values: never a crash,
// always seven files named after the class, the type library untouched,
// every text file keeping its template's lines unless a value brought line
// breaks of its own, and a well-formed class identifier from the machine or
// the one given.
#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "catalogue/catalogue.h"
#include "fuzz/fuzz_input.h"
#include "generator/project_files.h"
#include "generator/template_store.h"

namespace {

using namespace quillfern;

std::size_t Count(const std::string& text, char c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') lines.emplace_back();
    else if (c != '\r') lines.back() += c;
  }
  return lines;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool IsRegistryGuid(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? text[i] != '-' : !IsHex(text[i])) return false;
  }
  return true;
}

const char* const kTemplates[7] = {"OfficeAddinPrjFile", "OfficeAddinDofFile", "OfficeAddinTlbFile",
                                   "OfficeAddinImpFile", "OfficeAddinInsFile", "OfficeAddinUniFile",
                                   "OfficeAddinInfFile"};

void CheckSet(const generator::ProjectFileSet& files, const generator::WizardSettings& s,
              bool valuesHoldLineBreaks) {
  if (files.size() != 7) fuzz::Fail("the set does not hold seven files");
  const std::string names[7] = {s.ClassName + ".dpr", s.ClassName + ".dof", s.ClassName + ".tlb",
                                "Unit1.pas",          "Install.bat",        "Uninstall.bat",
                                "Readme.txt"};
  const std::string tlb = generator::LoadTemplate("OfficeAddinTlbFile");
  if (tlb.size() != 1032 || files[2].Content != tlb) fuzz::Fail("the type library changed", files[2].Content);
  for (std::size_t i = 0; i < 7; ++i) {
    if (files[i].FileName != names[i]) fuzz::Fail("a file is misnamed", files[i].FileName);
    if (i == 2 || valuesHoldLineBreaks) continue;
    const std::string& content = files[i].Content;
    const std::string pattern = generator::LoadTemplate(kTemplates[i]);
    // Tokens hold no line breaks, so only a value can add one.
    if (Count(content, '\n') != Count(pattern, '\n') || Count(content, '\r') != Count(pattern, '\r'))
      fuzz::Fail("a text file changed its line count", files[i].FileName);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = fuzz::Fields(data, size);
  const std::string& choice = fuzz::Field(fields, 0);
  generator::WizardSettings s;
  auto pick = [&choice](std::size_t at) { return at < choice.size() ? static_cast<unsigned char>(choice[at]) : 0u; };
  s.TargetApp = pick(0) % catalogue::OfficeApps.size();
  s.TargetVersion = pick(1) % catalogue::OfficeVersions.size();
  const unsigned flags = pick(2);
  s.InstallForCurrentUser = flags & 1;
  s.LoadConnected = flags & 2;
  s.LoadBootLoad = flags & 4;
  s.LoadDemandLoad = flags & 8;
  s.LoadConnectFirstTime = flags & 16;
  s.InterfaceUnitFile = fuzz::Field(fields, 1);
  s.FriendlyName = fuzz::Field(fields, 2);
  s.ClassName = fuzz::Field(fields, 3);
  s.Description = fuzz::Field(fields, 4);
  generator::ProjectValues values;
  values.HostPath = fuzz::Field(fields, 5);
  values.SearchPath = fuzz::Field(fields, 6);
  values.DateText = fuzz::Field(fields, 7);
  values.AddInGuid = fuzz::Field(fields, 8);

  bool breaks = false;
  for (const std::string* v : {&s.InterfaceUnitFile, &s.FriendlyName, &s.ClassName, &s.Description,
                               &values.HostPath, &values.SearchPath, &values.DateText, &values.AddInGuid})
    breaks = breaks || HasLineBreak(*v);
  CheckSet(generator::ComposeProjectFiles(s, values), s, breaks);

  // The machine's own values, or those a front end fixed when the fields
  // parse as such: the warning is raised at most once, and the identifier's
  // line in the unit holds a well-formed GUID (the one fixed, when it was)
  // whenever the lines are where the template put them.
  generator::FixedMachineValues fixed;
  const auto id = generator::ClassIdFromText(values.AddInGuid);
  if (const auto* given = std::get_if<std::string>(&id)) fixed.ClassId = *given;
  const auto moment = generator::MomentFromText(values.DateText);
  if (const auto* given = std::get_if<std::int64_t>(&moment)) fixed.Moment = *given;
  int warnings = 0;
  const generator::ProjectFileSet built = generator::BuildProjectFiles(
      s, [&warnings](const std::string&, const std::string&) { ++warnings; }, fixed);
  if (warnings > 1) fuzz::Fail("more than one warning");
  const bool settingsBreak = HasLineBreak(s.InterfaceUnitFile) || HasLineBreak(s.FriendlyName) ||
                             HasLineBreak(s.ClassName) || HasLineBreak(s.Description);
  CheckSet(built, s, settingsBreak);
  if (!settingsBreak) {
    // With every line where the template has it, the identifier's line is
    // the template's line with a GUID put in: no later token can form there.
    const std::vector<std::string> lines = Lines(built[3].Content);
    const std::vector<std::string> pattern = Lines(generator::LoadTemplate("OfficeAddinImpFile"));
    const auto row = std::find(pattern.begin(), pattern.end(), "  Class_AddInGUID: TGUID = '%ADDINGUID%';");
    if (row == pattern.end()) fuzz::Fail("the template lost the identifier's line");
    const std::string& line = lines.at(static_cast<std::size_t>(row - pattern.begin()));
    const std::string head = "  Class_AddInGUID: TGUID = '";
    if (line.size() != head.size() + 38 + 2 || line.compare(0, head.size(), head) != 0 ||
        line.compare(head.size() + 38, 2, "';") != 0 || !IsRegistryGuid(line.substr(head.size(), 38)))
      fuzz::Fail("the class identifier is malformed", line);
    if (fixed.ClassId && line.compare(head.size(), 38, *fixed.ClassId) != 0)
      fuzz::Fail("the class identifier is not the one given", line);
  }
  return 0;
}
