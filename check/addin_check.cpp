#include "check/addin_check.h"

#include <algorithm>
#include <string_view>

#include "check/registry_text.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/guid.h"
#include "platform/program.h"

namespace quillfern::check {

namespace {

using platform::ListRegistryKey;
using platform::ReadRegistryValue;
using platform::RegistryValue;

constexpr RegistryHive kHives[] = {RegistryHive::CurrentUser, RegistryHive::LocalMachine};
constexpr char kOfficeKey[] = "Software\\Microsoft\\Office";
constexpr char kPoliciesKey[] = "Software\\Policies\\Microsoft\\Office";
constexpr char kClassesKey[] = "Software\\Classes\\";
constexpr const char* kComExports[] = {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
                                       "DllUnregisterServer"};

RegistryView Other(RegistryView view) {
  return view == RegistryView::Bits32 ? RegistryView::Bits64 : RegistryView::Bits32;
}

std::string_view AppName(catalogue::AppRow app) { return catalogue::App(app).DisplayName; }

bool SameName(std::string_view a, std::string_view b) { return platform::SamePathIgnoringCase(a, b); }

// Office's version keys ("16.0") among a key's subkeys: digits, ".0".
std::vector<std::string> VersionKeys(const std::vector<std::string>& subkeys) {
  std::vector<std::string> versions;
  for (const std::string& name : subkeys) {
    const std::size_t dot = name.find('.');
    if (dot == 0 || dot == std::string::npos || name.substr(dot) != ".0") continue;
    if (name.find_first_not_of("0123456789") != dot) continue;
    versions.push_back(name);
  }
  return versions;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/:");
  return end == std::string::npos ? path : path.substr(end + 1);
}

ByteReader FileReader(const std::string& path, std::error_code& error) {
  return [path, &error](std::uint64_t offset, std::size_t size) -> std::optional<std::string> {
    platform::FileRange range = platform::ReadFileRange(path, offset, size);
    if (range.error) {
      error = range.error;
      return std::nullopt;
    }
    return std::move(range.bytes);
  };
}

// The host's executable, from App Paths as the generator finds it (this
// program's view first, then the other), and what its header says.
Host FindHost(catalogue::AppRow app) {
  Host host;
  const std::string exe(catalogue::App(app).ExeName);
  for (const RegistryView view : {RegistryView::Bits64, RegistryView::Bits32}) {
    host.path = platform::FindHostApplication(exe, view);
    if (!host.path.empty()) break;
  }
  if (host.path.empty()) return host;
  std::error_code error;
  const auto image = ReadPeImage(FileReader(host.path, error));
  if (const auto* problem = std::get_if<PeProblem>(&image)) {
    host.headerProblem = *problem;
    return host;
  }
  host.machine = std::get<PeImage>(image).machine;
  host.view = ReadsThe32BitView(*host.machine) ? RegistryView::Bits32 : RegistryView::Bits64;
  host.assumed = false;
  return host;
}

// Builds one add-in's report for a host that reads View.
class Checker {
 public:
  Checker(catalogue::AppRow app, std::string progId, Host host) {
    report_.app = app;
    report_.progId = std::move(progId);
    report_.host = std::move(host);
  }

  AddinReport Run() {
    if (!FindRegistrations(report_.host.view)) {
      Add(Kind::NotRegistered);
      CheckClass();  // for the folder of its DLL, when the class is registered
      return report_;
    }
    CheckLoadBehavior();
    CheckClass();
    CheckDll();
    CheckOfficeLists();
    CheckPolicies();
    if (report_.host.assumed) {
      Problem& p = Add(Kind::HostNotFound);
      p.path = report_.host.path;
      p.peProblem = report_.host.headerProblem;
    }
    return report_;
  }

 private:
  Problem& Add(Kind kind) {
    Problem& problem = report_.problems.emplace_back();
    problem.kind = kind;
    return problem;
  }

  Place PlaceIn(RegistryHive hive, RegistryView view, std::string key) const { return {hive, view, std::move(key)}; }

  // A value, with a read error noted; nothing when it is absent or unreadable.
  std::optional<RegistryValue> Read(const Place& place, const std::string& name) {
    RegistryValue value = ReadRegistryValue(place.hive, place.view, place.key, name);
    if (value.error) {
      Problem& p = Add(Kind::RegistryUnreadable);
      p.place = place;
      p.value = name;
      p.error = value.error;
    }
    if (!value.present) return std::nullopt;
    return value;
  }

  // The add-in keys: HKCU (one for both views), HKLM in the host's view,
  // or else HKLM in the other view, which the host cannot see.
  bool FindRegistrations(RegistryView view) {
    const std::string key = AddinsKey(*report_.app) + "\\" + report_.progId;
    if (platform::RegistryKeyExists(RegistryHive::CurrentUser, view, key))
      report_.registrations.push_back(PlaceIn(RegistryHive::CurrentUser, view, key));
    if (platform::RegistryKeyExists(RegistryHive::LocalMachine, view, key)) {
      report_.registrations.push_back(PlaceIn(RegistryHive::LocalMachine, view, key));
    } else if (platform::RegistryKeyExists(RegistryHive::LocalMachine, Other(view), key)) {
      report_.registrations.push_back(PlaceIn(RegistryHive::LocalMachine, Other(view), key));
      if (report_.registrations.size() == 1) {
        Problem& p = Add(Kind::OtherBitness);
        p.place = report_.registrations.back();
        p.hostMachine = report_.host.machine;
        otherBitness_ = report_.problems.size() - 1;
        classView_ = Other(view);
      }
    }
    if (!classView_) classView_ = view;
    if (report_.registrations.size() == 1 && report_.registrations.front().hive == RegistryHive::LocalMachine)
      Add(Kind::NotListedByOldOffice);
    return !report_.registrations.empty();
  }

  // For each user, a LoadBehavior under HKCU wins over the one under HKLM.
  void CheckLoadBehavior() {
    std::optional<RegistryValue> value;
    for (const Place& place : report_.registrations) {
      value = Read(place, "LoadBehavior");
      report_.loadBehaviorPlace = place;
      if (value) break;
    }
    if (!value) {
      Problem& p = Add(Kind::LoadBehaviorMissing);
      p.place = report_.registrations.front();
      report_.loadBehaviorPlace = p.place;
      return;
    }
    const auto number = DwordOf(*value);
    if (!number) {
      Problem& p = Add(Kind::LoadBehaviorNotDword);
      p.place = report_.loadBehaviorPlace;
      p.type = value->type;
      p.data = TextOf(*value).value_or(std::string());
      return;
    }
    report_.loadBehavior = number;
    if (!LoadsAtStartup(*number) && !LoadsOnDemand(*number) && !LoadsTheFirstTime(*number)) {
      Problem& p = Add(Kind::NotLoadedAutomatically);
      p.place = report_.loadBehaviorPlace;
      p.number = number;
    } else if (!LoadsAtStartup(*number)) {
      Problem& p = Add(Kind::DemandLoad);
      p.place = report_.loadBehaviorPlace;
      p.number = number;
    }
  }

  // The first of HKCU's and HKLM's classes (merged as HKEY_CLASSES_ROOT,
  // HKCU first) that has Key in View, and its default value.
  std::optional<std::pair<Place, RegistryValue>> FindInClasses(const std::string& key, RegistryView view) {
    for (const RegistryHive hive : kHives) {
      const Place place = PlaceIn(hive, view, kClassesKey + key);
      if (!platform::RegistryKeyExists(hive, view, place.key)) continue;
      if (auto value = Read(place, "")) return std::pair{place, *value};
      return std::pair{place, RegistryValue{}};
    }
    return std::nullopt;
  }

  void CheckClass() {
    ClassFacts& cls = report_.cls;
    auto progId = FindInClasses(report_.progId + "\\CLSID", *classView_);
    if (!progId) progId = FindInClasses(report_.progId + "\\CLSID", Other(*classView_));
    if (progId) {
      cls.progIdPlace = progId->first;
      cls.clsid = TextOf(progId->second).value_or(std::string());
    }
    // Only an add-in that is registered is faulted for a missing class.
    const auto notRegistered = [&] {
      if (!report_.registrations.empty()) Add(Kind::ClassNotRegistered).data = cls.clsid;
    };
    if (!platform::IsRegistryGuid(cls.clsid)) return notRegistered();
    const std::string serverKey = "CLSID\\" + cls.clsid + "\\InprocServer32";
    auto server = FindInClasses(serverKey, *classView_);
    if (!server) {
      server = FindInClasses(serverKey, Other(*classView_));
      if (!server) return notRegistered();
      if (!otherBitness_ && !report_.registrations.empty()) {
        Problem& p = Add(Kind::OtherBitness);
        p.place = server->first;
        p.hostMachine = report_.host.machine;
        otherBitness_ = report_.problems.size() - 1;
      }
      classView_ = Other(*classView_);
    }
    cls.serverPlace = server->first;
    const auto path = TextOf(server->second);
    if (path && !path->empty())
      cls.server = server->second.type == platform::kRegExpandSz ? platform::ExpandEnvironmentReferences(*path) : *path;
    if (const auto model = Read(server->first, "ThreadingModel")) cls.threadingModel = TextOf(*model).value_or("");
    if (cls.server.empty() && !report_.registrations.empty()) {
      Problem& p = Add(Kind::ServerPathMissing);
      p.place = server->first;
      p.type = server->second.present ? server->second.type : platform::kRegNone;
    }
    const bool machineWide = !report_.registrations.empty() &&
                             report_.registrations.front().hive == RegistryHive::LocalMachine;
    if (machineWide && server->first.hive == RegistryHive::CurrentUser) {
      Problem& p = Add(Kind::ClassForThisUserOnly);
      p.place = server->first;
    }
  }

  void CheckDll() {
    const std::string& path = report_.cls.server;
    if (path.empty() || report_.registrations.empty()) return;
    if (!platform::FileExists(path)) {
      Problem& p = Add(Kind::DllMissing);
      p.path = path;
      return;
    }
    std::error_code error;
    const auto image = ReadPeImage(FileReader(path, error));
    if (const auto* problem = std::get_if<PeProblem>(&image)) {
      Problem& p = Add(*problem == PeProblem::ReadFailed ? Kind::DllUnreadable : Kind::NotADll);
      p.path = path;
      p.error = error;
      if (*problem != PeProblem::ReadFailed) p.peProblem = *problem;
      return;
    }
    const PeImage& dll = report_.dll.emplace(std::get<PeImage>(image));
    if (!dll.isDll) {
      Problem& p = Add(Kind::NotADll);
      p.path = path;
      return;
    }
    const Host& host = report_.host;
    if (!host.assumed && host.machine && dll.machine != *host.machine) {
      if (!otherBitness_) {
        Add(Kind::OtherBitness).hostMachine = host.machine;
        otherBitness_ = report_.problems.size() - 1;
      }
    }
    if (otherBitness_) {
      Problem& p = report_.problems[*otherBitness_];
      p.machine = dll.machine;
      p.path = path;
    }
    if (dll.exportsProblem) {
      Problem& p = Add(Kind::ExportsUnreadable);
      p.path = path;
      return;
    }
    std::vector<std::string> missing;
    for (const char* name : kComExports)
      if (std::find(dll.exports.begin(), dll.exports.end(), name) == dll.exports.end()) missing.push_back(name);
    if (!missing.empty() && missing.front() == kComExports[0]) {
      Add(Kind::NoClassFactoryExport).path = path;
      missing.erase(missing.begin());
    }
    if (!missing.empty()) {
      Problem& p = Add(Kind::MissingRegistrationExports);
      p.path = path;
      p.names = missing;
    }
  }

  // Office's lists of the current user, for every version that has them.
  void CheckOfficeLists() {
    const RegistryView view = report_.host.view;
    const auto office = ListRegistryKey(RegistryHive::CurrentUser, view, kOfficeKey);
    for (const std::string& version : VersionKeys(office.subkeys)) {
      const std::string resiliency =
          std::string(kOfficeKey) + "\\" + version + "\\" + std::string(AppName(*report_.app)) + "\\Resiliency";
      CheckDisabledItems(PlaceIn(RegistryHive::CurrentUser, view, resiliency + "\\DisabledItems"), version);
      const Place crashing = PlaceIn(RegistryHive::CurrentUser, view, resiliency + "\\CrashingAddinList");
      for (const std::string& name : ListRegistryKey(crashing.hive, view, crashing.key).values) {
        const bool ours = SameName(name, report_.progId) ||
                          (!report_.cls.server.empty() &&
                           (SameName(name, report_.cls.server) || SameName(name, FileNameOf(report_.cls.server))));
        if (!ours) continue;
        Problem& p = Add(Kind::InCrashingList);
        p.place = crashing;
        p.value = name;
        p.versionKey = version;
      }
      const Place keep = PlaceIn(RegistryHive::CurrentUser, view, resiliency + "\\DoNotDisableAddinList");
      if (const auto value = Read(keep, report_.progId); value && DwordOf(*value).value_or(0) != 0) {
        Problem& p = Add(Kind::NeverDisabled);
        p.place = keep;
        p.versionKey = version;
      }
    }
  }

  void CheckDisabledItems(const Place& place, const std::string& version) {
    const auto listing = ListRegistryKey(place.hive, place.view, place.key);
    for (const std::string& name : listing.values) {
      const auto value = Read(place, name);
      if (!value || value->type != platform::kRegBinary) continue;
      const auto item = ParseDisabledItem(value->data);
      if (const auto* problem = std::get_if<DisabledItemProblem>(&item)) {
        Problem& p = Add(Kind::UnreadableDisabledItem);
        p.place = place;
        p.value = name;
        p.versionKey = version;
        p.itemProblem = *problem;
        continue;
      }
      const DisabledItem& entry = std::get<DisabledItem>(item);
      if (report_.cls.server.empty() || !SameName(entry.path, report_.cls.server)) continue;
      Problem& p = Add(Kind::HardDisabled);
      p.place = place;
      p.value = name;
      p.versionKey = version;
      p.data = entry.path;
    }
  }

  // Group policy under HKCU and HKLM, for every version that has some for this host.
  void CheckPolicies() {
    const RegistryView view = report_.host.view;
    struct Versioned {
      RegistryHive hive;
      std::string version, root;
    };
    std::vector<Versioned> roots;
    for (const RegistryHive hive : kHives)
      for (const std::string& version : VersionKeys(ListRegistryKey(hive, view, kPoliciesKey).subkeys))
        roots.push_back({hive, version, std::string(kPoliciesKey) + "\\" + version + "\\" +
                                            std::string(AppName(*report_.app))});
    // Each root's entry for this add-in in its list of managed add-ins, read
    // once: "Block all unmanaged add-ins" asks whether any root of a version has one.
    std::vector<std::optional<RegistryValue>> entries;
    for (const Versioned& r : roots)
      entries.push_back(Read(PlaceIn(r.hive, view, r.root + "\\Resiliency\\AddinList"), report_.progId));
    const auto listedIn = [&](const std::string& version) {
      for (std::size_t i = 0; i < roots.size(); ++i)
        if (roots[i].version == version && entries[i]) return true;
      return false;
    };
    for (std::size_t i = 0; i < roots.size(); ++i) {
      const Versioned& r = roots[i];
      if (entries[i]) CheckManagedEntry(PlaceIn(r.hive, view, r.root + "\\Resiliency\\AddinList"), r.version, *entries[i]);
      const Place resiliency = PlaceIn(r.hive, view, r.root + "\\Resiliency");
      if (const auto restrict = Read(resiliency, "RestrictToList");
          restrict && DwordOf(*restrict).value_or(0) != 0 && !listedIn(r.version)) {
        Problem& p = Add(Kind::UnmanagedBlocked);
        p.place = resiliency;
        p.value = "RestrictToList";
        p.versionKey = r.version;
      }
      const Place security = PlaceIn(r.hive, view, r.root + "\\Security");
      if (const auto signedOnly = Read(security, "RequireAddinSig"); signedOnly && DwordOf(*signedOnly).value_or(0)) {
        if (report_.dll) {
          Problem& p = Add(report_.dll->hasCertificates ? Kind::SignedPublisherUnchecked : Kind::SignatureRequired);
          p.place = security;
          p.value = "RequireAddinSig";
          p.versionKey = r.version;
          p.path = report_.cls.server;
        }
      }
      if (const auto none = Read(security, "DisableAllAddins"); none && DwordOf(*none).value_or(0) != 0) {
        Problem& p = Add(Kind::AllAddinsDisabled);
        p.place = security;
        p.value = "DisableAllAddins";
        p.versionKey = r.version;
      }
    }
  }

  // "0" always disabled, "1" always enabled, "2" the user decides; as text
  // (the policy writes REG_SZ) or as a number.
  void CheckManagedEntry(const Place& list, const std::string& version, const RegistryValue& value) {
    std::string setting = TextOf(value).value_or("");
    if (const auto number = DwordOf(value)) setting = std::to_string(*number);
    const Kind kind = setting == "0"   ? Kind::PolicyBlocked
                      : setting == "1" ? Kind::PolicyAlwaysEnabled
                      : setting == "2" ? Kind::PolicyUserDecides
                                       : Kind::PolicyValueUnknown;
    Problem& p = Add(kind);
    p.place = list;
    p.value = report_.progId;
    p.versionKey = version;
    p.data = setting;
    p.type = value.type;
  }

  AddinReport report_;
  std::optional<RegistryView> classView_;
  std::optional<std::size_t> otherBitness_;
};

std::size_t Blockers(const AddinReport& report) {
  return static_cast<std::size_t>(std::count_if(report.problems.begin(), report.problems.end(),
                                                [](const Problem& p) { return SeverityOf(p.kind) == Severity::Blocks; }));
}

// One add-in of one host. When the host's header says nothing of its
// bitness, the add-in is checked for both and taken as registered for the
// one where fewer things stop it (64-bit when even).
AddinReport CheckOne(catalogue::AppRow app, const std::string& progId, const Host& host) {
  if (!host.assumed) return Checker(app, progId, host).Run();
  Host as64 = host, as32 = host;
  as64.view = RegistryView::Bits64;
  as32.view = RegistryView::Bits32;
  AddinReport for64 = Checker(app, progId, as64).Run(), for32 = Checker(app, progId, as32).Run();
  return Blockers(for32) < Blockers(for64) ? for32 : for64;
}

// The ProgIDs registered for a host, in HKCU and in HKLM's two views, each once.
std::vector<std::string> RegisteredProgIds(catalogue::AppRow app) {
  std::vector<std::string> ids;
  for (const RegistryHive hive : kHives)
    for (const RegistryView view : {RegistryView::Bits64, RegistryView::Bits32})
      for (const std::string& name : ListRegistryKey(hive, view, AddinsKey(app)).subkeys)
        if (std::none_of(ids.begin(), ids.end(), [&](const std::string& id) { return SameName(id, name); }))
          ids.push_back(name);
  return ids;
}

}  // namespace

Severity SeverityOf(Kind kind) {
  switch (kind) {
    case Kind::DemandLoad:
    case Kind::NotListedByOldOffice:
    case Kind::ClassForThisUserOnly:
    case Kind::HostNotFound:
    case Kind::UnreadableDisabledItem:
    case Kind::NeverDisabled:
    case Kind::PolicyAlwaysEnabled:
    case Kind::PolicyUserDecides:
    case Kind::SignedPublisherUnchecked: return Severity::Note;
    case Kind::DllUnreadable:
    case Kind::MissingRegistrationExports:
    case Kind::ExportsUnreadable:
    case Kind::InCrashingList:
    case Kind::PolicyValueUnknown:
    case Kind::AllAddinsDisabled:
    case Kind::RegistryUnreadable: return Severity::Warning;
    default: return Severity::Blocks;
  }
}

const char* KindId(Kind kind) {
  switch (kind) {
    case Kind::NotRegistered: return "not-registered";
    case Kind::LoadBehaviorMissing: return "load-behavior-missing";
    case Kind::LoadBehaviorNotDword: return "load-behavior-not-dword";
    case Kind::NotLoadedAutomatically: return "not-loaded-automatically";
    case Kind::DemandLoad: return "demand-load";
    case Kind::NotListedByOldOffice: return "not-listed-by-office-2000-and-xp";
    case Kind::ClassNotRegistered: return "class-not-registered";
    case Kind::ServerPathMissing: return "server-path-missing";
    case Kind::ClassForThisUserOnly: return "class-for-this-user-only";
    case Kind::OtherBitness: return "other-bitness";
    case Kind::DllMissing: return "dll-missing";
    case Kind::DllUnreadable: return "dll-unreadable";
    case Kind::NotADll: return "not-a-dll";
    case Kind::NoClassFactoryExport: return "no-class-factory-export";
    case Kind::MissingRegistrationExports: return "missing-registration-exports";
    case Kind::ExportsUnreadable: return "exports-unreadable";
    case Kind::HostNotFound: return "host-not-found";
    case Kind::HardDisabled: return "hard-disabled";
    case Kind::UnreadableDisabledItem: return "unreadable-disabled-item";
    case Kind::InCrashingList: return "in-crashing-list";
    case Kind::NeverDisabled: return "never-disabled";
    case Kind::PolicyBlocked: return "policy-blocked";
    case Kind::PolicyAlwaysEnabled: return "policy-always-enabled";
    case Kind::PolicyUserDecides: return "policy-user-decides";
    case Kind::PolicyValueUnknown: return "policy-value-unknown";
    case Kind::UnmanagedBlocked: return "unmanaged-blocked";
    case Kind::SignatureRequired: return "signature-required";
    case Kind::SignedPublisherUnchecked: return "signed-publisher-unchecked";
    case Kind::AllAddinsDisabled: return "all-addins-disabled";
    case Kind::RegistryUnreadable: return "registry-unreadable";
  }
  return "unknown";
}

bool AddinReport::CanLoad() const { return Blockers(*this) == 0; }

bool LoadsAtStartup(std::uint32_t loadBehavior) { return (loadBehavior & 3) == 3; }
bool LoadsOnDemand(std::uint32_t loadBehavior) { return (loadBehavior & 9) == 9; }
bool LoadsTheFirstTime(std::uint32_t loadBehavior) { return (loadBehavior & 16) != 0; }

std::string OfficeRelease(const std::string& versionKey) {
  // The catalogue's own versions by their rows, then the later releases a
  // machine may hold besides.
  const std::pair<const char*, catalogue::VersionRow> catalogued[] = {{"9.0", 0}, {"10.0", 1}};
  for (const auto& [key, row] : catalogued)
    if (versionKey == key) return std::string(catalogue::Version(row).VersionName);
  const std::pair<const char*, const char*> later[] = {{"11.0", "2003"}, {"12.0", "2007"}, {"14.0", "2010"},
                                                       {"15.0", "2013"}, {"16.0", "2016 and later"}};
  for (const auto& [key, name] : later)
    if (versionKey == key) return name;
  return {};
}

std::string AddinsKey(catalogue::AppRow app) {
  return std::string(kOfficeKey) + "\\" + std::string(AppName(app)) + "\\Addins";
}

std::vector<AddinReport> CheckAddins(const Query& query) {
  std::vector<AddinReport> reports;
  for (catalogue::AppRow app = 0; app < catalogue::OfficeApps.size(); ++app) {
    if (query.app && *query.app != app) continue;
    const std::vector<std::string> ids = query.progId ? std::vector<std::string>{*query.progId} : RegisteredProgIds(app);
    if (ids.empty()) continue;
    const Host host = FindHost(app);
    for (const std::string& id : ids) {
      AddinReport report = CheckOne(app, id, host);
      // A ProgID asked for without a host counts where it is registered.
      if (!report.registrations.empty() || query.app) reports.push_back(std::move(report));
    }
  }
  if (query.progId && !query.app && reports.empty()) {
    AddinReport nowhere;
    nowhere.progId = *query.progId;
    nowhere.problems.emplace_back().kind = Kind::NotRegistered;
    reports.push_back(std::move(nowhere));
  }
  return reports;
}

}  // namespace quillfern::check
