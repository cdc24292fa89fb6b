// Why Office would not load a COM add-in: the facts the registry and the
// DLL hold about each add-in registered for the six hosts, and every
// problem found among them as a kind with its facts. Reads the registry
// and the files, never writes either; decides nothing about words, which
// the front end chooses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "catalogue/catalogue.h"
#include "check/disabled_items.h"
#include "check/pe_image.h"
#include "platform/registry.h"

namespace quillfern::check {

using platform::RegistryHive;
using platform::RegistryView;

// What to check: one host (a row of catalogue::OfficeApps) or all six, and
// one ProgID (which need not be registered) or every add-in registered.
struct Query {
  std::optional<catalogue::AppRow> app;
  std::optional<std::string> progId;
};

// A registry key: its hive, the view it was read in, its path in the hive.
struct Place {
  RegistryHive hive = RegistryHive::CurrentUser;
  RegistryView view = RegistryView::Bits64;
  std::string key;
};

// The Office application as the check found it.
struct Host {
  std::string path;                      // empty when App Paths has no entry for it
  std::optional<std::uint16_t> machine;  // from its PE header, when that could be read
  std::optional<PeProblem> headerProblem;
  RegistryView view = RegistryView::Bits64;  // the view it reads, or the one the check took for it
  bool assumed = true;  // View comes from the registration, not from the host's own header
};

enum class Severity {
  Blocks,   // Office does not load the add-in while this stands
  Warning,  // it may not; the check saw something it cannot be sure of
  Note,     // no fault, but it explains what the user sees
};

enum class Kind {
  // The add-in key and its load behaviour.
  NotRegistered,           // no add-in key for the ProgID asked for
  LoadBehaviorMissing,
  LoadBehaviorNotDword,    // Type, Data
  NotLoadedAutomatically,  // Number: a LoadBehavior with which Office does not load it on its own
  DemandLoad,              // Note, Number: loaded only when something asks for it
  NotListedByOldOffice,    // Note: an HKLM add-in, which Office 2000 and 2002/XP do not list
  // The class and its DLL.
  ClassNotRegistered,      // Data: the class identifier, when the ProgID gave one
  ServerPathMissing,       // InprocServer32 has no path
  ClassForThisUserOnly,    // Note: an HKLM add-in whose class is this user's alone
  OtherBitness,            // Machine, HostMachine: registered or built for the other bitness
  DllMissing,              // Path
  DllUnreadable,           // Warning, Path, Error
  NotADll,                 // Path, PeProblem (none: an executable that is no DLL)
  NoClassFactoryExport,    // Path: no DllGetClassObject
  MissingRegistrationExports,  // Warning, Path, Names
  ExportsUnreadable,       // Warning, Path
  HostNotFound,            // Note, Path, PeProblem: no App Paths entry (Path empty) or no header
                           // to read, so the view is the one the add-in is registered for
  // Office's own lists, per version.
  HardDisabled,            // VersionKey, Value, Data (the path the entry names)
  UnreadableDisabledItem,  // Note, VersionKey, Value, DisabledItemProblem
  InCrashingList,          // Warning, VersionKey, Value
  NeverDisabled,           // Note, VersionKey: on DoNotDisableAddinList
  // Group policy, per hive and version.
  PolicyBlocked,           // VersionKey, Value, Data "0": always disabled
  PolicyAlwaysEnabled,     // Note, VersionKey
  PolicyUserDecides,       // Note, VersionKey
  PolicyValueUnknown,      // Warning, VersionKey, Value, Data
  UnmanagedBlocked,        // VersionKey: "Block all unmanaged add-ins", and this one is not on the list
  SignatureRequired,       // VersionKey, Path: signed add-ins only, and the DLL carries no signature
  SignedPublisherUnchecked,  // Note, VersionKey: signed add-ins only; the DLL is signed by someone
  AllAddinsDisabled,       // Warning, VersionKey: a DisableAllAddins value set
  // The registry itself.
  RegistryUnreadable,      // Warning, Error: a key the check needed could not be read
};

Severity SeverityOf(Kind kind);
// A stable name for scripts ("hard-disabled").
const char* KindId(Kind kind);

// One finding. Which facts are set depends on the kind (see Kind); the
// others stay empty.
struct Problem {
  Kind kind = Kind::NotRegistered;
  std::optional<Place> place;  // the key it is about
  std::string value;           // a value's name in that key
  std::string data;            // what it holds, as text
  std::uint32_t type = 0;      // the value's type
  std::optional<std::uint32_t> number;
  std::string path;            // a file
  std::optional<std::uint16_t> machine, hostMachine;
  std::string versionKey;      // "16.0"
  std::vector<std::string> names;
  std::optional<PeProblem> peProblem;
  std::optional<DisabledItemProblem> itemProblem;
  std::error_code error;
};

// Where the add-in's class was found, and what it registers.
struct ClassFacts {
  std::string clsid;                   // from <ProgID>\CLSID, as written there
  std::optional<Place> progIdPlace;    // where that was found
  std::optional<Place> serverPlace;    // where CLSID\{...}\InprocServer32 was found
  std::string server;                  // its path, environment references expanded
  std::string threadingModel;
};

struct AddinReport {
  std::optional<catalogue::AppRow> app;  // none: the ProgID asked for is registered for no host
  std::string progId;
  std::vector<Place> registrations;      // its add-in keys, HKCU first
  std::optional<Place> loadBehaviorPlace;  // the key whose LoadBehavior Office goes by
  std::optional<std::uint32_t> loadBehavior;
  Host host;
  ClassFacts cls;
  std::optional<PeImage> dll;
  std::vector<Problem> problems;

  // True when nothing blocks it.
  bool CanLoad() const;
};

// Every add-in the query names: each host's, in catalogue order, its
// ProgIDs in the order found. Reads only.
std::vector<AddinReport> CheckAddins(const Query& query);

// LoadBehavior's bits, as Office reads them.
bool LoadsAtStartup(std::uint32_t loadBehavior);     // 2 and 1 both set
bool LoadsOnDemand(std::uint32_t loadBehavior);      // 8 and 1 both set
bool LoadsTheFirstTime(std::uint32_t loadBehavior);  // 16

// The key of a host's add-ins ("Software\Microsoft\Office\Word\Addins").
std::string AddinsKey(catalogue::AppRow app);

// The Office release of a version key under Software\Microsoft\Office
// ("10.0" is the release the catalogue calls 2002/XP); empty for a key
// this program does not know.
std::string OfficeRelease(const std::string& versionKey);

}  // namespace quillfern::check
