#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <sstream>

#include "catalogue/catalogue.h"
#include "cli/text.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "version.h"

namespace quillfern::cli {

namespace {

using generator::WizardSettings;

// The options' words as typed, before they are understood.
struct Words {
  std::string app, version, unit, hive = "HKCU", load = "connected,bootload", friendlyName, className,
                                   description, folder, classId, progId;
  unsigned codePage = 0;
  bool force = false, dryRun = false, list = false, json = false;
};

std::vector<std::string> AppNames() {
  std::vector<std::string> names;
  for (const auto& app : catalogue::OfficeApps) names.emplace_back(app.DisplayName);
  return names;
}

std::vector<std::string> VersionNames() {
  std::vector<std::string> names;
  for (const auto& version : catalogue::OfficeVersions) names.emplace_back(version.VersionName);
  return names;
}

// The hosts by name, the default one marked, in any letter case.
std::string AppOptionText() {
  std::vector<std::string> names = AppNames();
  names[catalogue::kDefaultApp] += " (default)";
  return Listed(names, ", ") + " (any letter case)";
}

// The versions by name, the default one marked, and the other names each is known by.
std::string VersionOptionText() {
  std::vector<std::string> names = VersionNames();
  names[catalogue::kDefaultVersion] += " (default)";
  std::vector<std::string> aliases;
  for (std::size_t v = 0; v < catalogue::OfficeVersions.size(); ++v)
    for (const std::string_view alias : catalogue::VersionAliases(v)) aliases.push_back("\"" + std::string(alias) + "\"");
  std::string text = Listed(names, " or ");
  if (!aliases.empty()) text += " (" + Listed(aliases, " and ") + " are accepted too)";
  return text;
}

std::string UnknownApp(const std::string& name) {
  return "unknown host application '" + name + "' (use " + Listed(AppNames(), " or ") + ")";
}

std::string UnknownVersion(const std::string& name) {
  return "unknown Office version '" + name + "' (use " + Listed(VersionNames(), " or ") + ")";
}

void DescribeGenerate(CLI::App& app, Words& w) {
  const struct {
    const char* names;
    std::string Words::*word;
    std::string help;
  } texts[] = {
      {"-a,--app", &Words::app, AppOptionText()},
      {"-V,--office-version", &Words::version, VersionOptionText()},
      {"-u,--unit", &Words::unit,
       "interface unit file name (default: the host's wrapper unit for that version + \".pas\")"},
      {"--install-in", &Words::hive, "HKCU (default) or HKLM"},
      {"-l,--load", &Words::load,
       "comma list of connected, bootload, demandload, connectfirsttime, or none, blanks around the commas "
       "allowed (default: connected,bootload)"},
      {"-f,--friendly-name", &Words::friendlyName, "default \"New <App> Add-In\""},
      {"-c,--class-name", &Words::className, "default \"<App>Addin1\""},
      {"-d,--description", &Words::description, "default \"Microsoft <App> <Version> COM Add-In\""},
      {"-o,--output", &Words::folder,
       "output folder (default: the current directory); created with its parents when missing"},
      {"--class-id", &Words::classId,
       "the add-in's class identifier, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} in either letter case (default: a "
       "new one each run); give a project's own back to generate it again without orphaning its registration"},
  };
  for (const auto& text : texts) app.add_option(text.names, w.*text.word, text.help);
  app.add_flag("--force", w.force, "overwrite an existing project (without it an existing project is refused)");
  app.add_flag("--dry-run", w.dryRun, "run every check and list the files that would be written; write nothing");
  app.add_flag("--list", w.list, "print the hosts and versions and exit");
  app.add_option("--code-page", w.codePage,
                 "the Windows ANSI code page of the generated files (default: the system's on Windows, 1252 "
                 "on Linux); text it cannot hold exactly is refused (exit 2)");
  app.set_version_flag("--version", "quillfern-cli " QUILLFERN_VERSION);
  app.footer(
      "Environment: SOURCE_DATE_EPOCH, when set, is the read-me's date in seconds since 1970, shown in UTC; "
      "with it and --class-id the same inputs give the same bytes.\n"
      "Exit status: 0 generated (or dry run passed); 1 could not generate; 2 invalid arguments or inputs; 3 done, "
      "but its own messages could not all be written.");
}

CLI::App* DescribeCheck(CLI::App& app, Words& w) {
  CLI::App* check = app.add_subcommand("check", "say why Office would not load an add-in (Windows; read-only)");
  check->add_option("-a,--app", w.app, "one host: " + Listed(AppNames(), " or ") + " (any letter case); every host by default");
  auto* className = check->add_option("-c,--class-name", w.className,
                                      "the add-in of a generated project, by its class name (ProgID AddinLib.<name>)");
  check->add_option("--prog-id", w.progId, "the add-in of this ProgID, made with Quillfern or not")->excludes(className);
  check->add_flag("--json", w.json, "the findings as JSON, for scripts");
  check->footer("Exit status: 0 every checked add-in can load; 1 one cannot; 2 invalid arguments.");
  return check;
}

// Text without the blanks (spaces, tabs) at either end.
std::string WithoutOuterBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Sets the four load flags from "connected,bootload,..." or "none", with
// blanks allowed around each word (as lists are typed: "connected,
// bootload"); returns the first word it does not know, or nothing when all
// were understood.
std::optional<std::string> ParseLoad(const std::string& list, WizardSettings& s) {
  s.LoadConnected = s.LoadBootLoad = s.LoadDemandLoad = s.LoadConnectFirstTime = false;
  if (platform::AsciiLower(WithoutOuterBlanks(list)) == "none") return std::nullopt;
  const std::pair<const char*, bool WizardSettings::*> words[] = {
      {"connected", &WizardSettings::LoadConnected},
      {"bootload", &WizardSettings::LoadBootLoad},
      {"demandload", &WizardSettings::LoadDemandLoad},
      {"connectfirsttime", &WizardSettings::LoadConnectFirstTime}};
  std::stringstream items(list);
  std::string word;
  bool any = false;
  while (std::getline(items, word, ',')) {
    word = WithoutOuterBlanks(word);
    const auto known = std::find_if(std::begin(words), std::end(words),
                                    [&](const auto& w) { return platform::AsciiLower(word) == w.first; });
    if (known == std::end(words)) return word;
    s.*known->second = true;
    any = true;
  }
  if (!any) return std::string();
  return std::nullopt;
}

std::optional<bool> ParseHive(const std::string& name) {
  const std::string h = platform::AsciiLower(name);
  if (h == "hkcu" || h == "hkey_current_user") return true;
  if (h == "hklm" || h == "hkey_local_machine") return false;
  return std::nullopt;
}

std::optional<std::string> FixClassId(const std::string& classId, generator::FixedMachineValues& fixed) {
  const auto id = generator::ClassIdFromText(classId);
  if (const auto* problem = std::get_if<generator::ClassIdProblem>(&id)) {
    if (*problem == generator::ClassIdProblem::Null)
      return "--class-id " + classId + " is the null class identifier, which COM takes for no class at all "
             "(give the project's own, or leave --class-id out for a new one)";
    return "invalid class identifier '" + classId +
           "' (use the registry form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, with hexadecimal digits)";
  }
  fixed.ClassId = std::get<std::string>(id);
  return std::nullopt;
}

std::optional<std::string> FixMoment(const std::string& epoch, generator::FixedMachineValues& fixed) {
  const auto moment = generator::MomentFromText(epoch);
  if (const auto* problem = std::get_if<generator::MomentProblem>(&moment)) {
    const std::string expected = "(use the seconds since 1970-01-01 00:00:00 UTC, a whole number from 0 to " +
                                 std::to_string(generator::kLatestMoment);
    switch (*problem) {
      case generator::MomentProblem::Empty: return "SOURCE_DATE_EPOCH is set but empty " + expected + ", or unset it)";
      case generator::MomentProblem::NotWholeNumber:
        return "SOURCE_DATE_EPOCH '" + epoch + "' is not a whole non-negative number " + expected + ")";
      case generator::MomentProblem::TooLate:
        return "SOURCE_DATE_EPOCH '" + epoch + "' is after the year 9999 " + expected + ")";
    }
  }
  fixed.Moment = std::get<std::int64_t>(moment);
  return std::nullopt;
}

// The host, version, hive and load words as settings, each default where
// its option was left out; the first word that is none of them.
std::variant<WizardSettings, ArgumentError> Selection(const CLI::App& app, const Words& w) {
  WizardSettings s;
  const auto appRow = app.count("--app") ? catalogue::FindApp(w.app) : catalogue::kDefaultApp;
  if (!appRow) return ArgumentError{UnknownApp(w.app)};
  const auto versionRow = app.count("--office-version") ? catalogue::FindVersion(w.version) : catalogue::kDefaultVersion;
  if (!versionRow) return ArgumentError{UnknownVersion(w.version)};
  const auto currentUser = ParseHive(w.hive);
  if (!currentUser) return ArgumentError{"unknown registry hive '" + w.hive + "' (use HKCU or HKLM)"};
  if (const auto bad = ParseLoad(w.load, s))
    return ArgumentError{"unknown load behaviour '" + *bad +
                         "' (use a comma list of connected, bootload, demandload, connectfirsttime, or none)"};
  s.TargetApp = *appRow;
  s.TargetVersion = *versionRow;
  s.InstallForCurrentUser = *currentUser;
  return s;
}

std::variant<Request, ArgumentError> Generation(const CLI::App& app, const Words& w, const Environment& environment) {
  auto selection = Selection(app, w);
  if (auto* error = std::get_if<ArgumentError>(&selection)) return *error;
  GenerateRequest request{std::get<WizardSettings>(std::move(selection)), {}, w.force, w.dryRun};
  WizardSettings& s = request.settings;
  const catalogue::ProjectDefaults defaults = catalogue::NewProjectDefaults(s.TargetApp, s.TargetVersion);
  s.InterfaceUnitFile = app.count("--unit") ? w.unit : defaults.InterfaceUnitFile;
  s.FriendlyName = app.count("--friendly-name") ? w.friendlyName : defaults.FriendlyName;
  s.ClassName = app.count("--class-name") ? w.className : defaults.ClassName;
  s.Description = app.count("--description") ? w.description : defaults.Description;
  s.OutputFolderText = app.count("--output") ? w.folder : environment.workingDirectory;
  if (app.count("--code-page") && !platform::IsAnsiCodePage(w.codePage)) {
    std::string known;
    for (const unsigned codePage : platform::kAnsiCodePages) known += " " + std::to_string(codePage);
    return ArgumentError{std::to_string(w.codePage) + " is not a Windows ANSI code page (use one of" + known + ")"};
  }
  s.CodePage = w.codePage;
  std::optional<std::string> problem;
  if (app.count("--class-id")) problem = FixClassId(w.classId, request.fixed);
  if (!problem && environment.sourceDateEpoch) problem = FixMoment(*environment.sourceDateEpoch, request.fixed);
  if (problem) return ArgumentError{*problem};
  return Request{std::move(request)};
}

std::variant<Request, ArgumentError> Check(const CLI::App& check, const Words& w) {
  CheckRequest request;
  request.json = w.json;
  if (check.count("--app")) {
    request.appRow = catalogue::FindApp(w.app);
    if (!request.appRow) return ArgumentError{UnknownApp(w.app)};
  }
  if (check.count("--class-name")) request.progId = "AddinLib." + w.className;
  if (check.count("--prog-id")) request.progId = w.progId;
  return Request{request};
}

}  // namespace

std::variant<Request, ArgumentError> ParseArguments(const std::vector<std::string>& arguments,
                                                    const Environment& environment) {
  CLI::App app{"Writes the skeleton of a Microsoft Office COM add-in project for Delphi.", "quillfern-cli"};
  Words w;
  DescribeGenerate(app, w);
  CLI::App* check = DescribeCheck(app, w);
  std::vector<const char*> argv{"quillfern-cli"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    return Request{TextRequest{app.help()}};
  } catch (const CLI::CallForVersion& version) {
    return Request{TextRequest{std::string(version.what()) + "\n"}};
  } catch (const CLI::ParseError& e) {
    return ArgumentError{e.what(), true};
  }
  if (check->parsed()) {
    for (const CLI::Option* option : app.get_options())
      if (option->count() > 0)
        return ArgumentError{"check takes its own options only (-a, -c, --prog-id, --json): " +
                                 option->get_name() + " belongs to generating",
                             true};
    return Check(*check, w);
  }
  if (w.list) return Request{ListRequest{}};
  return Generation(app, w, environment);
}

}  // namespace quillfern::cli
