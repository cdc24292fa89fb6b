#include "generator/project_files.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "catalogue/catalogue.h"
#include "generator/replace_token.h"
#include "generator/template_store.h"
#include "platform/code_page.h"
#include "platform/date_time.h"
#include "platform/files.h"
#include "platform/guid.h"
#include "platform/program.h"

namespace quillfern::generator {

namespace {

using Substitution = std::pair<const char*, std::string>;

// A Pascal string literal ends at its first single quote; doubling each one
// keeps the text inside the literal.
std::string PascalLiteralText(const std::string& text) {
  std::string quoted;
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

// Path as the files in CodePage write it: exactly, or its short form when
// that is exact (a short form names the same file). False, with Bytes
// empty, when neither can be written.
bool PathInCodePage(const std::string& path, unsigned codePage, std::string& bytes) {
  using Result = platform::Conversion::Result;
  platform::Conversion c = platform::ToCodePage(path, codePage);
  if (c.result != Result::Exact) {
    const std::string shortForm = platform::ShortPathName(path);
    if (!shortForm.empty()) c = platform::ToCodePage(shortForm, codePage);
  }
  bytes = c.result == Result::Exact ? std::move(c.bytes) : std::string();
  return c.result == Result::Exact;
}

TAddInUnit FromTemplate(const char* templateName, std::string fileName,
                        std::initializer_list<Substitution> substitutions) {
  std::string content = LoadTemplate(templateName);
  for (const auto& [token, value] : substitutions) ReplaceToken(content, token, value);
  return {std::move(content), std::move(fileName)};
}

}  // namespace

std::string RootKeyIdentifier(const WizardSettings& settings) {
  return settings.InstallForCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::string InterfaceUnitName(const WizardSettings& settings) {
  const std::string& file = settings.InterfaceUnitFile;
  return file.substr(0, file.size() < 4 ? 0 : file.size() - 4);
}

ProjectFileSet ComposeProjectFiles(const WizardSettings& s, const ProjectValues& values) {
  const std::string& projectName = s.ClassName;
  const std::string unitName = "Unit1";
  const std::string unitFileName = "Unit1.pas";
  const auto& app = catalogue::App(s.TargetApp);
  const std::string appName(app.DisplayName);
  const std::string appKind(app.OfficeAppKind);
  const std::string wrapperClass(app.WrapperClassName);
  const std::string version = catalogue::VersionText(s.TargetVersion);
  const std::string wrapperUnit = InterfaceUnitName(s);
  const std::string rootKey = RootKeyIdentifier(s);
  const std::string loadBehavior = catalogue::BuildLoadBehavior(
      s.LoadConnected, s.LoadBootLoad, s.LoadDemandLoad, s.LoadConnectFirstTime);
  const std::string& host = values.HostPath;

  // Each file's placeholders are replaced in this order: a value that holds a
  // later placeholder is filled in by the later replacement.
  ProjectFileSet files;
  files.push_back(FromTemplate("OfficeAddinPrjFile", projectName + ".dpr",
                               {{"%PROJECTNAME%", projectName},
                                {"%UNITNAME%", unitName},
                                {"%UNITFILENAME%", unitFileName},
                                {"%OFFICEAPPNAME%", appName},
                                {"%OFFICEAPPPATH%", host}}));
  files.push_back(FromTemplate("OfficeAddinDofFile", projectName + ".dof",
                               {{"%SEARCHPATH%", values.SearchPath},
                                {"%HOSTAPPLICATION%", host}}));
  files.push_back({LoadTemplate("OfficeAddinTlbFile"), projectName + ".tlb"});
  files.push_back(FromTemplate("OfficeAddinImpFile", unitFileName,
                               {{"%UNITNAME%", unitName},
                                {"%CLASSNAME%", s.ClassName},
                                {"%ADDINGUID%", values.AddInGuid},
                                {"%FRIENDLYNAME%", PascalLiteralText(s.FriendlyName)},
                                {"%OFFICEAPPKIND%", appKind},
                                {"%OFFICEAPPUNITNAME%", wrapperUnit},
                                {"%ROOTKEY%", rootKey},
                                {"%LOADBEHAVIOR%", loadBehavior},
                                {"%APPLICATIONWRAPPERCLASSNAME%", wrapperClass},
                                {"%DESCRIPTION%", PascalLiteralText(s.Description)},
                                {"%OFFICEAPPNAME%", appName},
                                {"%OFFICEAPPPATH%", host},
                                {"%OFFICEAPPVERSION%", version}}));
  for (const auto& [templateName, fileName] :
       {std::pair{"OfficeAddinInsFile", "Install.bat"}, std::pair{"OfficeAddinUniFile", "Uninstall.bat"}}) {
    files.push_back(FromTemplate(templateName, fileName,
                                 {{"%OFFICEAPPNAME%", appName},
                                  {"%OFFICEAPPVERSION%", version},
                                  {"%COMADDIN%", projectName + ".dll"}}));
  }
  // "%VER%" is the file set's own fixed text, which generated read-mes have
  // always carried: not the program's version, which may move on.
  files.push_back(FromTemplate("OfficeAddinInfFile", "Readme.txt",
                               {{"%DATE%", values.DateText},
                                {"%VER%", "1.0"},
                                {"%PRJFILE%", projectName + ".dpr"},
                                {"%DOFFILE%", projectName + ".dof"},
                                {"%UNITNAME%", unitName},
                                {"%CLASSNAME%", s.ClassName},
                                {"%ADDINGUID%", values.AddInGuid},
                                {"%FRIENDLYNAME%", s.FriendlyName},
                                {"%OFFICEAPPKIND%", appKind},
                                {"%OFFICEAPPUNITNAME%", wrapperUnit},
                                {"%ROOTKEY%", rootKey},
                                {"%LOADBEHAVIOR%", loadBehavior},
                                {"%APPLICATIONWRAPPERCLASSNAME%", wrapperClass},
                                {"%DESCRIPTION%", s.Description},
                                {"%OFFICEAPPNAME%", appName},
                                {"%OFFICEAPPPATH%", host},
                                {"%OFFICEAPPVERSION%", version}}));
  return files;
}

ProjectFileSet BuildProjectFiles(const WizardSettings& settings, const WarningHook& warn,
                                 const FixedMachineValues& fixed) {
  const auto& app = catalogue::App(settings.TargetApp);
  const std::string appName(app.DisplayName);
  const unsigned codePage = settings.CodePage ? settings.CodePage : platform::DefaultCodePage();
  const auto say = [&warn](const std::string& title, const std::string& text) {
    if (warn) warn(title, text);
  };
  ProjectValues values;
  values.AddInGuid = fixed.ClassId ? *fixed.ClassId : platform::NewGuidText();
  const std::string host = platform::FindHostApplication(std::string(app.ExeName));
  const std::string searchPath = platform::LibrarySearchPath();
  if (host.empty()) {
    say("Office application not found", "It does not appear that you have " + appName + " installed.\r\n" +
                                             "You might not be able to run and debug the Add-In on this computer.");
  } else if (!PathInCodePage(host, codePage, values.HostPath)) {
    say("Office application path left out",
        "The path of " + appName + ", " + host + ", cannot be written in code page " + std::to_string(codePage) +
            ".\r\nSet it in the project by hand: Run | Parameters | Host Application.");
  }
  if (!PathInCodePage(searchPath, codePage, values.SearchPath)) {
    say("Library path left out",
        "The folder of the library units, " + searchPath + ", cannot be written in code page " +
            std::to_string(codePage) +
            ".\r\nAdd it to the search path by hand: Project | Options | Directories/Conditionals.");
  }
  // Taken after the warning so the read-me shows when the files were made.
  const platform::LocalDateTime when = fixed.Moment ? UtcDateTime(*fixed.Moment) : platform::Now();
  values.DateText = DateInCodePage(platform::DateTimeText(when), when, codePage);
  return ComposeProjectFiles(settings, values);
}

std::string DateInCodePage(const std::string& regional, const platform::LocalDateTime& when, unsigned codePage) {
  platform::Conversion c = platform::ToCodePage(regional, codePage);
  if (c.result == platform::Conversion::Result::Exact && !regional.empty()) return std::move(c.bytes);
  char text[32];
  const bool midnight = when.hour == 0 && when.minute == 0 && when.second == 0;
  std::snprintf(text, sizeof text, midnight ? "%04d-%02d-%02d" : "%04d-%02d-%02d %02d:%02d:%02d", when.year,
                when.month, when.day, when.hour, when.minute, when.second);
  return text;
}

std::string BackupName(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos) return fileName + ".~";
  return fileName.substr(0, dot + 1) + "~" + fileName.substr(dot + 1);
}

namespace {

// What stands at an entry's place and how it is kept before Content goes
// there: a file of other bytes is copied, a link moved aside whole (copying
// it would mean following it, perhaps out of the folder), and nothing else
// is kept: a folder, pipe or device there stops the writer itself.
struct Earlier {
  platform::EntryKind kind = platform::EntryKind::Missing;
  std::string bytes;
  std::error_code error;  // what stands there could not be told or read
  bool MustBeKept(std::string_view content) const {
    return error || kind == platform::EntryKind::Link || (kind == platform::EntryKind::File && bytes != content);
  }
};

Earlier LookAt(const std::string& path) {
  Earlier earlier;
  earlier.error = platform::ReadEntry(path, earlier.kind, earlier.bytes);
  return earlier;
}

std::error_code Keep(const Earlier& earlier, const std::string& path, const std::string& backup) {
  if (earlier.error) return earlier.error;
  if (earlier.kind == platform::EntryKind::Link) return platform::MoveEntry(path, backup);
  return platform::WriteWholeFile(backup, earlier.bytes);
}

}  // namespace

bool WriteFileSet(const ProjectFileSet& files, const std::string& folder, WriteReport* report) {
  WriteReport ignored;
  WriteReport& r = report ? *report : ignored;
  r = {};
  const auto stop = [&r](std::size_t written, const std::string& fileName, bool backup, std::error_code error) {
    r.FilesWritten = written;
    r.FileName = fileName;
    r.BackupFailed = backup;
    r.Error = error;
    return false;
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string path = folder + platform::kPathDelimiter + files[i].FileName;
    const Earlier earlier = LookAt(path);
    if (earlier.MustBeKept(files[i].Content)) {
      const std::string backup = BackupName(files[i].FileName);
      if (const std::error_code error = Keep(earlier, path, folder + platform::kPathDelimiter + backup))
        return stop(i, files[i].FileName, true, error);
      r.Backups.push_back(backup);
    }
    if (const std::error_code error = platform::WriteWholeFile(path, files[i].Content))
      return stop(i, files[i].FileName, false, error);
  }
  r.FilesWritten = files.size();
  return true;
}

std::vector<std::string> BackupsNeeded(const ProjectFileSet& files, const std::string& folder) {
  std::vector<std::string> backups;
  for (const auto& file : files)
    if (LookAt(folder + platform::kPathDelimiter + file.FileName).MustBeKept(file.Content))
      backups.push_back(BackupName(file.FileName));
  return backups;
}

bool WriteProjectFiles(const WizardSettings& settings, const std::string& folder,
                       const WarningHook& warn) {
  return WriteFileSet(BuildProjectFiles(settings, warn), folder);
}

}  // namespace quillfern::generator
