#include "generator/project_files.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>
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

// Each file of the set: its template, its name (in which "%PROJECTNAME%"
// stands for the project's name), and the placeholders it fills, in this
// order: a value that holds a later placeholder is filled in by the later
// replacement. The type library is copied as it is.
struct FileRecipe {
  const char* templateName;
  const char* fileName;
  std::vector<const char*> placeholders;
  bool pascal = false;  // the texts stand in Pascal string literals here
};

const FileRecipe kRecipes[] = {
    {"OfficeAddinPrjFile", "%PROJECTNAME%.dpr",
     {"%PROJECTNAME%", "%UNITNAME%", "%UNITFILENAME%", "%OFFICEAPPNAME%", "%OFFICEAPPPATH%"}},
    {"OfficeAddinDofFile", "%PROJECTNAME%.dof", {"%SEARCHPATH%", "%HOSTAPPLICATION%"}},
    {"OfficeAddinTlbFile", "%PROJECTNAME%.tlb", {}},
    {"OfficeAddinImpFile", "Unit1.pas",
     {"%UNITNAME%", "%CLASSNAME%", "%ADDINGUID%", "%FRIENDLYNAME%", "%OFFICEAPPKIND%", "%OFFICEAPPUNITNAME%",
      "%ROOTKEY%", "%LOADBEHAVIOR%", "%APPLICATIONWRAPPERCLASSNAME%", "%DESCRIPTION%", "%OFFICEAPPNAME%",
      "%OFFICEAPPPATH%", "%OFFICEAPPVERSION%"},
     true},
    {"OfficeAddinInsFile", "Install.bat", {"%OFFICEAPPNAME%", "%OFFICEAPPVERSION%", "%COMADDIN%"}},
    {"OfficeAddinUniFile", "Uninstall.bat", {"%OFFICEAPPNAME%", "%OFFICEAPPVERSION%", "%COMADDIN%"}},
    {"OfficeAddinInfFile", "Readme.txt",
     {"%DATE%", "%VER%", "%PRJFILE%", "%DOFFILE%", "%UNITNAME%", "%CLASSNAME%", "%ADDINGUID%", "%FRIENDLYNAME%",
      "%OFFICEAPPKIND%", "%OFFICEAPPUNITNAME%", "%ROOTKEY%", "%LOADBEHAVIOR%", "%APPLICATIONWRAPPERCLASSNAME%",
      "%DESCRIPTION%", "%OFFICEAPPNAME%", "%OFFICEAPPPATH%", "%OFFICEAPPVERSION%"}},
};

// The value of every placeholder for these settings and machine values.
std::map<std::string_view, std::string> PlaceholderValues(const WizardSettings& s, const ProjectValues& values) {
  const auto& app = catalogue::App(s.TargetApp);
  const std::string& projectName = s.ClassName;
  return {
      {"%PROJECTNAME%", projectName},
      {"%UNITNAME%", "Unit1"},
      {"%UNITFILENAME%", "Unit1.pas"},
      {"%CLASSNAME%", s.ClassName},
      {"%FRIENDLYNAME%", s.FriendlyName},
      {"%DESCRIPTION%", s.Description},
      {"%ADDINGUID%", values.AddInGuid},
      {"%OFFICEAPPNAME%", std::string(app.DisplayName)},
      {"%OFFICEAPPKIND%", std::string(app.OfficeAppKind)},
      {"%APPLICATIONWRAPPERCLASSNAME%", std::string(app.WrapperClassName)},
      {"%OFFICEAPPUNITNAME%", InterfaceUnitName(s)},
      {"%OFFICEAPPVERSION%", catalogue::VersionText(s.TargetVersion)},
      {"%OFFICEAPPPATH%", values.HostPath},
      {"%HOSTAPPLICATION%", values.HostPath},
      {"%SEARCHPATH%", values.SearchPath},
      {"%ROOTKEY%", RootKeyIdentifier(s)},
      {"%LOADBEHAVIOR%",
       catalogue::BuildLoadBehavior(s.LoadConnected, s.LoadBootLoad, s.LoadDemandLoad, s.LoadConnectFirstTime)},
      {"%COMADDIN%", projectName + ".dll"},
      {"%PRJFILE%", projectName + ".dpr"},
      {"%DOFFILE%", projectName + ".dof"},
      {"%DATE%", values.DateText},
      // The file set's own fixed text, which generated read-mes have always
      // carried: not the program's version, which may move on.
      {"%VER%", "1.0"},
  };
}

std::string FileNameOf(const FileRecipe& recipe, const std::string& projectName) {
  std::string name = recipe.fileName;
  ReplaceToken(name, "%PROJECTNAME%", projectName);
  return name;
}

}  // namespace

unsigned FilesCodePage(const WizardSettings& settings) {
  return settings.CodePage ? settings.CodePage : platform::DefaultCodePage();
}

std::string RootKeyIdentifier(const WizardSettings& settings) {
  return settings.InstallForCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::string InterfaceUnitName(const WizardSettings& settings) {
  const std::string& file = settings.InterfaceUnitFile;
  return file.substr(0, file.size() < 4 ? 0 : file.size() - 4);
}

ProjectFileSet ComposeProjectFiles(const WizardSettings& s, const ProjectValues& values) {
  const std::map<std::string_view, std::string> plain = PlaceholderValues(s, values);
  std::map<std::string_view, std::string> pascal = plain;
  for (const char* text : {"%FRIENDLYNAME%", "%DESCRIPTION%"}) pascal[text] = PascalLiteralText(plain.at(text));
  ProjectFileSet files;
  for (const FileRecipe& recipe : kRecipes) {
    std::string content = LoadTemplate(recipe.templateName);
    for (const char* token : recipe.placeholders) ReplaceToken(content, token, (recipe.pascal ? pascal : plain).at(token));
    files.push_back({std::move(content), FileNameOf(recipe, s.ClassName)});
  }
  return files;
}

std::vector<std::string> ProjectFileNames(const std::string& className) {
  std::vector<std::string> names;
  for (const FileRecipe& recipe : kRecipes) names.push_back(FileNameOf(recipe, className));
  return names;
}

ProjectFileSet BuildProjectFiles(const WizardSettings& settings, const WarningHook& warn,
                                 const FixedMachineValues& fixed) {
  const auto& app = catalogue::App(settings.TargetApp);
  const std::string appName(app.DisplayName);
  const unsigned codePage = FilesCodePage(settings);
  const auto say = [&warn](const std::string& title, const std::string& text) {
    if (warn) warn(title, text);
  };
  ProjectValues values;
  values.AddInGuid = fixed.ClassId ? *fixed.ClassId : platform::NewGuidText();
  const std::string host = platform::FindHostApplication(std::string(app.ExeName));
  const std::string searchPath = platform::LibrarySearchPath();
  if (host.empty()) {
    say("Office application not found", "It does not appear that you have " + appName + " installed.\n" +
                                             "You might not be able to run and debug the Add-In on this computer.");
  } else if (!PathInCodePage(host, codePage, values.HostPath)) {
    say("Office application path left out",
        "The path of " + appName + ", " + host + ", cannot be written in code page " + std::to_string(codePage) +
            ".\nSet it in the project by hand: Run | Parameters | Host Application.");
  }
  if (searchPath.empty()) {
    say("Library path left out",
        "The folder of the library units is not known: the program could not read its own path.\n"
        "Add it to the search path by hand: Project | Options | Directories/Conditionals.");
  } else if (!PathInCodePage(searchPath, codePage, values.SearchPath)) {
    say("Library path left out",
        "The folder of the library units, " + searchPath + ", cannot be written in code page " +
            std::to_string(codePage) +
            ".\nAdd it to the search path by hand: Project | Options | Directories/Conditionals.");
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

bool WriteProjectFiles(const WizardSettings& settings, const std::string& folder,
                       const WarningHook& warn) {
  return WriteFileSet(BuildProjectFiles(settings, warn), folder);
}

}  // namespace quillfern::generator
