#include "generator/project_files.h"

#include <initializer_list>
#include <utility>

#include "catalogue/catalogue.h"
#include "generator/replace_token.h"
#include "generator/template_store.h"
#include "platform/probes.h"

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

ProjectFileSet ComposeProjectFiles(const WizardSettings& s, const ProjectValues& values) {
  const std::string& projectName = s.ClassName;
  const std::string unitName = "Unit1";
  const std::string unitFileName = "Unit1.pas";
  const auto& app = catalogue::App(s.TargetApp);
  const std::string appName(app.DisplayName);
  const std::string appKind(app.OfficeAppKind);
  const std::string wrapperClass(app.WrapperClassName);
  const std::string version = catalogue::VersionText(s.TargetVersion);
  const std::string wrapperUnit =
      s.InterfaceUnitFile.substr(0, s.InterfaceUnitFile.size() < 4 ? 0 : s.InterfaceUnitFile.size() - 4);
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

ProjectFileSet BuildProjectFiles(const WizardSettings& settings, const WarningHook& warn) {
  const auto& app = catalogue::App(settings.TargetApp);
  ProjectValues values;
  values.AddInGuid = platform::NewGuidText();
  values.HostPath = platform::FindHostApplication(std::string(app.ExeName));
  values.SearchPath = platform::LibrarySearchPath();
  if (values.HostPath.empty() && warn) {
    warn("Office application not found",
         "It does not appear that you have " + std::string(app.DisplayName) + " installed.\r\n" +
             "You might not be able to run and debug the Add-In on this computer.");
  }
  // Taken after the warning so the read-me shows when the files were made.
  values.DateText = platform::DateTimeText(platform::Now());
  return ComposeProjectFiles(settings, values);
}

bool WriteFileSet(const ProjectFileSet& files, const std::string& folder, WriteFailure* failure) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!platform::WriteWholeFile(folder + platform::kPathDelimiter + files[i].FileName,
                                  files[i].Content)) {
      if (failure) *failure = {i, files[i].FileName, platform::LastErrorText()};
      return false;
    }
  }
  return true;
}

bool WriteProjectFiles(const WizardSettings& settings, const std::string& folder,
                       const WarningHook& warn) {
  return WriteFileSet(BuildProjectFiles(settings, warn), folder);
}

}  // namespace quillfern::generator
