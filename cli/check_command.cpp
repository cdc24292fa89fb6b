#include "cli/check_command.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "check/addin_check.h"
#include "check/registry_text.h"
#include "cli/text.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace quillfern::cli {

namespace {

using check::AddinReport;
using check::Kind;
using check::Place;
using check::Problem;
using check::Severity;
using platform::RegistryHive;
using platform::RegistryView;

std::string HiveName(RegistryHive hive) { return hive == RegistryHive::CurrentUser ? "HKCU" : "HKLM"; }
std::string ViewName(RegistryView view) { return view == RegistryView::Bits32 ? "32-bit" : "64-bit"; }
std::string KeyText(const Place& place) { return HiveName(place.hive) + "\\" + place.key; }

// HKLM\Software and the classes differ per view; reg.exe names the view with /reg:32 or /reg:64.
bool KeptPerView(const Place& place) {
  return place.hive == RegistryHive::LocalMachine || place.key.rfind("Software\\Classes\\", 0) == 0;
}
std::string WhereText(const Place& place) {
  return KeyText(place) + (KeptPerView(place) ? " (" + ViewName(place.view) + " view)" : "");
}
std::string RegSwitch(const Place& place) {
  return KeptPerView(place) ? (place.view == RegistryView::Bits32 ? " /reg:32" : " /reg:64") : "";
}
// A value name as reg.exe takes it, quoted when it has a blank.
std::string RegName(const std::string& name) {
  return name.find_first_of(" \t&|<>^") == std::string::npos ? name : "\"" + name + "\"";
}

std::string Bits(std::uint16_t machine) { return check::ReadsThe32BitView(machine) ? "32-bit" : "64-bit"; }
std::string MachineText(std::uint16_t machine) { return check::MachineName(machine) + " (" + Bits(machine) + ")"; }
// The platform Delphi builds a DLL of that machine for.
std::string PlatformFor(std::uint16_t machine) {
  if (machine == check::kMachineArm64) return "ARM64";
  return check::ReadsThe32BitView(machine) ? "Win32" : "Win64";
}

// Office's name for one of its version keys.
std::string OfficeVersion(const std::string& key) {
  const std::string release = check::OfficeRelease(key);
  return release.empty() ? "Office " + key : "Office " + release + " (" + key + ")";
}

// The releases the catalogue writes projects for, as one text ("Office ... and ...").
std::string CatalogueReleases() {
  std::vector<std::string> names;
  for (const auto& version : catalogue::OfficeVersions) names.emplace_back(version.VersionName);
  return "Office " + Listed(names, " and ");
}

std::string AppName(const AddinReport& r) {
  return r.app ? std::string(catalogue::App(*r.app).DisplayName) : std::string("Office");
}

// The folder the registered DLL is in, without its last separator; empty when unknown.
std::string DllFolder(const AddinReport& r) {
  std::string folder = platform::FolderPart(r.cls.server);
  if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') && folder[folder.size() - 2] != ':')
    folder.pop_back();
  return folder;
}
std::string RunInstall(const AddinReport& r) {
  const std::string folder = DllFolder(r);
  return "run Install.bat from an elevated prompt (a Command Prompt started with Run as administrator) in " +
         (folder.empty() ? std::string("the project folder") : folder);
}

std::string SetLoadBehavior(const Place& place, std::uint32_t value) {
  return "reg add \"" + KeyText(place) + "\" /v LoadBehavior /t REG_DWORD /d " + std::to_string(value) + " /f" +
         RegSwitch(place);
}
std::string DeleteValue(const Place& place, const std::string& value) {
  return "reg delete \"" + KeyText(place) + "\" /v " + RegName(value) + " /f" + RegSwitch(place);
}

std::string PeProblemText(check::PeProblem problem) {
  switch (problem) {
    case check::PeProblem::ReadFailed: return "it could not be read";
    case check::PeProblem::NoMzHeader: return "it does not start as a Windows executable does";
    case check::PeProblem::HeaderOutsideFile: return "its header would lie past its end";
    case check::PeProblem::NoPeSignature: return "it has no PE header";
    case check::PeProblem::TruncatedHeaders: return "its headers are cut short";
    case check::PeProblem::UnknownOptionalHeader: return "its header is neither PE32 nor PE32+";
    case check::PeProblem::TooManySections: return "it claims more sections than Windows loads";
  }
  return "its header cannot be read";
}

std::string ItemProblemText(check::DisabledItemProblem problem) {
  switch (problem) {
    case check::DisabledItemProblem::TooShort: return "is shorter than the three numbers it begins with";
    case check::DisabledItemProblem::PathPastEnd: return "gives its path a length that reaches past its end";
    case check::DisabledItemProblem::NamePastEnd: return "gives its name a length that reaches past its end";
    case check::DisabledItemProblem::OddLength: return "gives a length of an odd number of bytes";
    case check::DisabledItemProblem::EmptyPath: return "has an empty path";
  }
  return "has a layout of its own";
}

std::string LoadBehaviorMeaning(std::uint32_t n) {
  if (check::LoadsAtStartup(n)) return "loaded when " + std::string(n & 8 ? "it starts, and on demand" : "it starts");
  if (check::LoadsTheFirstTime(n)) return "loaded the first time it starts, then on demand";
  if (check::LoadsOnDemand(n)) return "loaded on demand";
  return "not loaded on its own";
}

// The words for one finding: the verdict's short reason (for what blocks),
// the finding with its facts, and what to do.
struct Words {
  std::string reason, text, advice;
};

// The words for a finding about the add-in key and its load behaviour.
std::optional<Words> DescribeRegistration(const Problem& p, const AddinReport& r) {
  const std::string app = AppName(r), where = p.place ? WhereText(*p.place) : std::string();
  switch (p.kind) {
    case Kind::NotRegistered:
      return Words{"it is not registered",
              r.app ? "No add-in key for it under HKCU or HKLM\\" + check::AddinsKey(*r.app) + ", in either view."
                    : "No Office application has an add-in key for it, under HKCU or HKLM, in either view.",
              RunInstall(r) + " (it registers the class and writes the add-in key)."};
    case Kind::LoadBehaviorMissing:
      return Words{"it has no LoadBehavior", where + " has no LoadBehavior value: Office has no load behaviour to go by.",
              SetLoadBehavior(*p.place, 3) + "\n(3: load it at every start), or " + RunInstall(r) + "."};
    case Kind::LoadBehaviorNotDword: {
      const std::string shown = p.data.empty() ? "" : " \"" + p.data + "\"";
      const bool number = !p.data.empty() && p.data.find_first_not_of("0123456789") == std::string::npos &&
                          p.data.size() < 10;
      return Words{"its LoadBehavior is no REG_DWORD",
              where + " has LoadBehavior as " + check::TypeName(p.type) + shown +
                  ": Office reads it only as a REG_DWORD.",
              SetLoadBehavior(*p.place, number ? static_cast<std::uint32_t>(std::stoul(p.data)) : 3)};
    }
    case Kind::NotLoadedAutomatically: {
      const std::uint32_t n = *p.number;
      const bool failed = (n & 1) == 0 && (n & 10) != 0;
      std::string text = where + " has LoadBehavior " + std::to_string(n) + ": " + app + " does not load it on its own.";
      if (failed)
        text += " It is also what Office writes back when loading it failed (" + std::to_string(n | 1) + " became " +
                std::to_string(n) + "): its DLL could not be loaded, or OnConnection raised an exception.";
      return Words{"its LoadBehavior is " + std::to_string(n) + ", with which " + app + " does not load it", text,
              (failed ? "Mend the cause (the other problems here, or the exception in OnConnection), then connect it "
                        "again in the COM Add-Ins dialog, or:\n" + SetLoadBehavior(*p.place, n | 1)
                      : "To load it at every start, tick it in the COM Add-Ins dialog, or:\n" +
                            SetLoadBehavior(*p.place, 3))};
    }
    case Kind::DemandLoad:
      return Words{"", "LoadBehavior " + std::to_string(*p.number) + ": it is " + LoadBehaviorMeaning(*p.number) +
                      ", when something asks for it, such as a toolbar button that names it; a generated add-in adds "
                      "none.",
              "To load it at every start:\n" + SetLoadBehavior(*p.place, 3)};
    case Kind::NotListedByOldOffice:
      return Words{"", "It is registered under HKLM only: " + CatalogueReleases() +
                      " load it but do not list it in their COM Add-Ins dialog.",
              ""};
    default: return std::nullopt;
  }
}

// The words for a finding about the class.
std::optional<Words> DescribeClass(const Problem& p, const AddinReport& r) {
  const std::string app = AppName(r), where = p.place ? WhereText(*p.place) : std::string();
  switch (p.kind) {
    case Kind::ClassNotRegistered:
      return Words{"its class is not registered",
              p.data.empty() ? r.progId + " has no class identifier under HKCU or HKLM\\Software\\Classes."
                             : "The class " + p.data + " of " + r.progId +
                                   " has no InprocServer32 key under HKCU or HKLM\\Software\\Classes, in either view.",
              RunInstall(r) + "."};
    case Kind::ServerPathMissing:
      return Words{"its class names no DLL", where + " holds no DLL path.", RunInstall(r) + "."};
    case Kind::ClassForThisUserOnly:
      return Words{"", "Its class is registered in " + where +
                      ", for this user only, while the add-in key is for every user: other users cannot load it.",
              RunInstall(r) + " to register the class for the whole computer."};
    case Kind::OtherBitness: {
      const std::string host = p.hostMachine ? MachineText(*p.hostMachine) : "of the other bitness";
      if (p.machine && p.hostMachine && *p.machine != *p.hostMachine)
        return Words{"it is a " + Bits(*p.machine) + " DLL for a " + Bits(*p.hostMachine) + " " + app,
                p.path + " is built for " + MachineText(*p.machine) + ", " + app + " for " + host +
                    ": Office loads only a DLL of its own bitness." +
                    (p.place ? " It is registered in " + where + "." : std::string()),
                "Build it for " + PlatformFor(*p.hostMachine) + " (in Delphi XE2 and later, add that target platform "
                "in the Project Manager), then run Install.bat from an elevated prompt in the folder it is built into."};
      return Words{"it is registered in the other bitness's view",
              "It is registered in " + where + ", which a " + app + " " + host + " does not read.",
              RunInstall(r) + ": from a 64-bit prompt it hands a 32-bit DLL to the 32-bit regsvr32, which registers "
              "it where Office of that bitness looks."};
    }
    default: return std::nullopt;
  }
}

// The words for a finding about the DLL and the host.
std::optional<Words> DescribeDll(const Problem& p, const AddinReport& r) {
  const std::string app = AppName(r), where = p.place ? WhereText(*p.place) : std::string();
  switch (p.kind) {
    case Kind::DllMissing:
      return Words{"its DLL is missing", "No file at " + p.path + ", the DLL its class names.",
              "Build the project again, or, if the DLL was moved, run Install.bat from an elevated prompt in the "
              "folder it is in now."};
    case Kind::DllUnreadable:
      return Words{"", p.path + " could not be read" + (p.error ? ": " + platform::ErrorText(p.error) : std::string()) + ".",
              "Check that the account running " + app + " may read it."};
    case Kind::NotADll:
      return Words{"its DLL is no DLL",
              p.path + (p.peProblem ? " is no Windows DLL: " + PeProblemText(*p.peProblem) + "."
                                    : " is a program, not a DLL."),
              "Build the project again and " + RunInstall(r) + "."};
    case Kind::NoClassFactoryExport:
      return Words{"its DLL does not export DllGetClassObject",
              p.path + " does not export DllGetClassObject, which COM calls to create the add-in.",
              "Keep DllGetClassObject in the exports clause of the project source and build it again."};
    case Kind::MissingRegistrationExports:
      return Words{"", p.path + " does not export " + Listed(p.names, ", ") +
                      ", which regsvr32 calls to register and unregister it.",
              "Keep them in the exports clause of the project source and build it again."};
    case Kind::ExportsUnreadable:
      return Words{"", "The export names of " + p.path + " could not be read, so whether it exports DllGetClassObject is "
                  "unknown.",
              ""};
    case Kind::HostNotFound:
      return Words{"", (p.path.empty() ? "No " + app + " is registered under HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"
                                  : "The header of " + p.path + " could not be read (" +
                                        PeProblemText(p.peProblem.value_or(check::PeProblem::ReadFailed)) + ")") +
                      ": checked as for a " + ViewName(r.host.view) + " " + app + ", the bitness it is registered for.",
              ""};
    default: return std::nullopt;
  }
}

// The words for a finding about Office's own lists.
std::optional<Words> DescribeOfficeLists(const Problem& p, const AddinReport& r) {
  const std::string app = AppName(r), where = p.place ? WhereText(*p.place) : std::string();
  switch (p.kind) {
    case Kind::HardDisabled:
      return Words{OfficeVersion(p.versionKey) + " has disabled it",
              OfficeVersion(p.versionKey) + " lists it among its disabled items: the value " + p.value + " of " +
                  where + " names " + p.data + ".",
              "Enable it under Disabled Items (Help | About in Office " + check::OfficeRelease("10.0") + " and " +
                  check::OfficeRelease("11.0") + "; File | Options | Add-ins, Manage: Disabled Items, from " +
                  check::OfficeRelease("12.0") + " on), or delete the entry:\n" + DeleteValue(*p.place, p.value)};
    case Kind::UnreadableDisabledItem:
      return Words{"", "The disabled item " + p.value + " of " + where + " " +
                      ItemProblemText(p.itemProblem.value_or(check::DisabledItemProblem::TooShort)) +
                      ", so the check cannot tell whether it names this add-in.",
              "If " + app + " keeps it disabled, look under Disabled Items."};
    case Kind::InCrashingList:
      return Words{"", OfficeVersion(p.versionKey) + " noted that it was loading when " + app + " crashed (" + where +
                      ", value " + p.value + "); Office may disable it at the next start.",
              "Once the crash is mended:\n" + DeleteValue(*p.place, p.value)};
    case Kind::NeverDisabled:
      return Words{"", OfficeVersion(p.versionKey) + " is told never to disable it for being slow (" + where + ").", ""};
    default: return std::nullopt;
  }
}

// The words for a finding about the group policies and the registry itself.
std::optional<Words> DescribePolicies(const Problem& p, const AddinReport& r) {
  const std::string app = AppName(r), where = p.place ? WhereText(*p.place) : std::string();
  switch (p.kind) {
    case Kind::PolicyBlocked:
      return Words{"a group policy blocks it",
              "The policy \"List of managed add-ins\" of " + OfficeVersion(p.versionKey) + " sets it to 0, always "
              "disabled (" + where + ", value " + p.value + ").",
              "Ask whoever manages this computer's policies to set it to 1 (always enabled) or 2 (the user decides); "
              "on a computer that no domain manages:\n" + DeleteValue(*p.place, p.value)};
    case Kind::PolicyAlwaysEnabled:
      return Words{"", "The policy \"List of managed add-ins\" of " + OfficeVersion(p.versionKey) +
                      " keeps it always enabled (" + where + ").",
              ""};
    case Kind::PolicyUserDecides:
      return Words{"", "The policy \"List of managed add-ins\" of " + OfficeVersion(p.versionKey) +
                      " leaves it to the user (" + where + ").",
              ""};
    case Kind::PolicyValueUnknown:
      return Words{"", "The policy \"List of managed add-ins\" of " + OfficeVersion(p.versionKey) + " gives it \"" +
                      p.data + "\" (" + where + "), which is none of 0, 1 and 2.",
              ""};
    case Kind::UnmanagedBlocked:
      return Words{"a group policy blocks every add-in not on its list",
              "The policy \"Block all unmanaged add-ins\" of " + OfficeVersion(p.versionKey) + " is on (" + where +
                  ", RestrictToList) and " + r.progId + " is not on the \"List of managed add-ins\".",
              "Ask whoever manages this computer's policies to add " + r.progId + " to that list with 1 or 2."};
    case Kind::SignatureRequired:
      return Words{"a policy requires signed add-ins and its DLL is not signed",
              "The policy \"Require that application add-ins are signed by Trusted Publisher\" of " +
                  OfficeVersion(p.versionKey) + " is on (" + where + ", RequireAddinSig) and " + p.path +
                  " carries no signature.",
              "Sign the DLL with a code-signing certificate whose publisher is among the Trusted Publishers "
              "(signtool sign /fd SHA256 /a \"" + p.path + "\"), or ask whoever manages the policies to turn it off."};
    case Kind::SignedPublisherUnchecked:
      return Words{"", "The policy \"Require that application add-ins are signed by Trusted Publisher\" of " +
                      OfficeVersion(p.versionKey) + " is on (" + where + "); " + p.path +
                      " is signed, but whether its publisher is trusted is not checked here.",
              ""};
    case Kind::AllAddinsDisabled:
      return Words{"", where + " has DisableAllAddins set. It is commonly read as the Trust Center setting \"Disable all "
                  "application add-ins\"; Microsoft's documentation of the policies does not confirm the name, so the "
                  "check cannot be sure that it stops this add-in.",
              "If it does: ask whoever manages the policies to turn it off, or:\n" + DeleteValue(*p.place, p.value)};
    case Kind::RegistryUnreadable:
      return Words{"", where + (p.value.empty() ? "" : ", value " + p.value) + ", could not be read: " +
                      platform::ErrorText(p.error) + ".",
              ""};
    default: return std::nullopt;
  }
}

Words Describe(const Problem& p, const AddinReport& r) {
  for (const auto describe : {DescribeRegistration, DescribeClass, DescribeDll, DescribeOfficeLists, DescribePolicies})
    if (const std::optional<Words> words = describe(p, r)) return *words;
  return {"", check::KindId(p.kind), ""};
}

const char* SeverityWord(Severity s) { return s == Severity::Blocks ? "problem" : s == Severity::Warning ? "warning" : "note"; }

std::string Verdict(const AddinReport& r) {
  std::string verdict = AppName(r) + ": " + r.progId;
  for (const Problem& p : r.problems)
    if (check::SeverityOf(p.kind) == Severity::Blocks) return verdict + " does not load: " + Describe(p, r).reason;
  return verdict + " loads";
}

void WriteText(const std::vector<AddinReport>& reports, std::ostream& out) {
  for (const AddinReport& r : reports) {
    out << Verdict(r) << "\n";
    for (const Place& place : r.registrations) {
      out << "  registered: " << WhereText(place);
      if (r.loadBehaviorPlace && r.loadBehaviorPlace->hive == place.hive && r.loadBehavior)
        out << ", LoadBehavior " << *r.loadBehavior << " (" << LoadBehaviorMeaning(*r.loadBehavior) << ")";
      out << "\n";
    }
    if (r.cls.serverPlace) {
      out << "  class:      " << WhereText(*r.cls.serverPlace) << "\n";
      out << "  DLL:        " << r.cls.server;
      if (r.dll) out << ", " << MachineText(r.dll->machine);
      if (!r.cls.threadingModel.empty()) out << ", ThreadingModel " << r.cls.threadingModel;
      out << "\n";
    }
    if (!r.host.path.empty()) {
      out << "  host:       " << r.host.path;
      if (r.host.machine) out << ", " << MachineText(*r.host.machine) << ", reads the " << ViewName(r.host.view) << " view";
      out << "\n";
    }
    for (const Problem& p : r.problems) {
      const Words words = Describe(p, r);
      out << "  " << SeverityWord(check::SeverityOf(p.kind)) << ": " << words.text << "\n";
      if (words.advice.empty()) continue;
      const std::vector<std::string> advice = Lines(words.advice);
      for (std::size_t i = 0; i < advice.size(); ++i) out << (i == 0 ? "    do: " : "        ") << advice[i] << "\n";
    }
  }
  if (reports.empty()) out << "No COM add-in is registered for the Office applications checked.\n";
}

// JSON text for UTF-8: quotes, backslashes and control characters escaped.
std::string Json(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string PlaceJson(const Place& place) {
  return "{\"hive\": " + Json(HiveName(place.hive)) + ", \"view\": " + Json(ViewName(place.view)) +
         ", \"key\": " + Json(place.key) + "}";
}

void WriteJson(const std::vector<AddinReport>& reports, std::ostream& out) {
  bool all = true;
  out << "{\n  \"addins\": [";
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const AddinReport& r = reports[i];
    all = all && r.CanLoad();
    out << (i ? ",\n" : "\n") << "    {\n";
    out << "      \"app\": " << (r.app ? Json(AppName(r)) : "null") << ",\n";
    out << "      \"progId\": " << Json(r.progId) << ",\n";
    out << "      \"loads\": " << (r.CanLoad() ? "true" : "false") << ",\n";
    out << "      \"verdict\": " << Json(Verdict(r)) << ",\n";
    out << "      \"registrations\": [";
    for (std::size_t k = 0; k < r.registrations.size(); ++k) out << (k ? ", " : "") << PlaceJson(r.registrations[k]);
    out << "],\n";
    out << "      \"loadBehavior\": " << (r.loadBehavior ? std::to_string(*r.loadBehavior) : "null") << ",\n";
    out << "      \"class\": {\"clsid\": " << Json(r.cls.clsid) << ", \"registered\": "
        << (r.cls.serverPlace ? PlaceJson(*r.cls.serverPlace) : "null") << ", \"server\": " << Json(r.cls.server)
        << ", \"threadingModel\": " << Json(r.cls.threadingModel) << "},\n";
    out << "      \"dll\": ";
    if (r.dll)
      out << "{\"machine\": " << Json(check::MachineName(r.dll->machine)) << ", \"signed\": "
          << (r.dll->hasCertificates ? "true" : "false") << "},\n";
    else
      out << "null,\n";
    out << "      \"host\": {\"path\": " << Json(r.host.path) << ", \"machine\": "
        << (r.host.machine ? Json(check::MachineName(*r.host.machine)) : "null") << ", \"view\": "
        << Json(ViewName(r.host.view)) << ", \"viewAssumed\": " << (r.host.assumed ? "true" : "false") << "},\n";
    out << "      \"problems\": [";
    for (std::size_t k = 0; k < r.problems.size(); ++k) {
      const Problem& p = r.problems[k];
      const Words words = Describe(p, r);
      out << (k ? ",\n" : "\n") << "        {\"" << SeverityWord(check::SeverityOf(p.kind))
          << "\": " << Json(check::KindId(p.kind));
      if (p.place) out << ", \"place\": " << PlaceJson(*p.place);
      if (!p.value.empty()) out << ", \"value\": " << Json(p.value);
      if (!p.data.empty()) out << ", \"data\": " << Json(p.data);
      if (!p.path.empty()) out << ", \"path\": " << Json(p.path);
      if (p.number) out << ", \"number\": " << *p.number;
      if (p.machine) out << ", \"machine\": " << Json(check::MachineName(*p.machine));
      if (p.hostMachine) out << ", \"hostMachine\": " << Json(check::MachineName(*p.hostMachine));
      if (!p.versionKey.empty()) out << ", \"versionKey\": " << Json(p.versionKey);
      out << ",\n         \"text\": " << Json(words.text) << ",\n         \"advice\": " << Json(words.advice) << "}";
    }
    out << (r.problems.empty() ? "]\n" : "\n      ]\n") << "    }";
  }
  out << (reports.empty() ? "],\n" : "\n  ],\n") << "  \"allCanLoad\": " << (all ? "true" : "false") << "\n}\n";
}

}  // namespace

int RunCheckCommand(const CheckRequest& request, std::ostream& out, std::ostream& err) {
  if (!platform::RegistryAvailable()) {
    err << "error: check reads the Windows registry, where Office finds its add-ins: run quillfern-cli.exe check "
           "on Windows\n";
    return kCheckUnavailable;
  }
  const std::vector<AddinReport> reports = check::CheckAddins({request.appRow, request.progId});
  if (request.json) WriteJson(reports, out);
  else WriteText(reports, out);
  out.flush();
  for (const AddinReport& r : reports)
    if (!r.CanLoad()) return kOneCannotLoad;
  return kAllCanLoad;
}

}  // namespace quillfern::cli
