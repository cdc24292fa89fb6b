// The built-in knowledge of Microsoft Office: host applications, versions,
// load-behaviour names, and the texts derived from a selection.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillfern::catalogue {

// One Office host application.
struct TOfficeAppInfo {
  std::string_view OfficeAppKind;      // host-kind identifier in the generated unit
  std::string_view WrapperUnitPrefix;  // first part of the default wrapper unit name
  std::string_view ExeName;            // key under App Paths
  std::string_view WrapperClassName;   // wrapper class in that unit
  std::string_view DisplayName;        // shown to the user and written into texts
};

// One Office version.
struct TOfficeVersionInfo {
  std::uint8_t VersionKind;  // equals the row index
  std::string_view VersionName;
  std::int32_t VersionNumber;
  std::string_view WrapperUnitSuffix;
};

// Host kinds in table order; the value is the row index in OfficeApps.
enum class OfficeAppKind : int { oaAccess, oaExcel, oaFrontPage, oaOutlook, oaPowerPoint, oaWord };

inline constexpr std::array<TOfficeAppInfo, 6> OfficeApps{{
    {"oaAccess", "Access", "msaccess.exe", "TAccessApplication", "Access"},
    {"oaExcel", "Excel", "excel.exe", "TExcelApplication", "Excel"},
    {"oaFrontPage", "FrontPage", "frontpg.exe", "TFrontPageApplication", "FrontPage"},
    {"oaOutlook", "Outlook", "outlook.exe", "TOutlookApplication", "Outlook"},
    {"oaPowerPoint", "MSPpt", "powerpnt.exe", "TPowerPointApplication", "PowerPoint"},
    {"oaWord", "Word", "winword.exe", "TWordApplication", "Word"},
}};

inline constexpr std::array<TOfficeVersionInfo, 2> OfficeVersions{{
    {0, "2000", 2000, "2000"},
    {1, "2002/XP", 2002, "XP"},
}};

// The first four match the load-behaviour check boxes in order; the fifth
// stands when none is ticked.
inline constexpr std::array<std::string_view, 5> LoadBehaviorNames{
    "AddinLoadConnected", "AddinLoadBootLoad", "AddinLoadDemandLoad",
    "AddinLoadConnectFirstTime", "AddinLoadDisconnected"};

// A selection: a row of OfficeApps and a row of OfficeVersions. Every
// function below throws std::out_of_range for a row outside its table.
using AppRow = std::size_t;
using VersionRow = std::size_t;

const TOfficeAppInfo& App(AppRow a);
const TOfficeVersionInfo& Version(VersionRow v);

std::string DefaultFriendlyName(AppRow a);                     // "New Excel Add-In"
std::string DefaultClassName(AppRow a);                        // "ExcelAddin1"
std::string DefaultDescription(AppRow a, VersionRow v);        // "Microsoft Excel 2000 COM Add-In"
std::string DefaultWrapperUnit(AppRow a, VersionRow v);        // "Excel2000", without ".pas"
std::string WrapperPickerTitle(AppRow a, VersionRow v);        // file picker title
std::string SuccessMessage(AppRow a, VersionRow v);            // uses the number, never "2002/XP"
std::string VersionText(VersionRow v);                         // "2000", "2002"
std::string DialogCaption();

// The row whose DisplayName is Name in any ASCII letter case; nothing when
// no host is called so.
std::optional<AppRow> FindApp(std::string_view name);
// The row whose VersionName is Name, or one of that name's parts between
// "/" ("2002" and "XP" for "2002/XP"), in any ASCII letter case; nothing
// when no version is called so.
std::optional<VersionRow> FindVersion(std::string_view name);
// The other names FindVersion takes for row V: the parts of a VersionName
// that has several ("2002", "XP"); none for "2000".
std::vector<std::string_view> VersionAliases(VersionRow v);

// A new project before the user changes anything: the host and version the
// dialog starts with (and the command line assumes), and the four texts
// that follow from a host and version.
inline constexpr AppRow kDefaultApp = 0;          // Access
inline constexpr VersionRow kDefaultVersion = 0;  // 2000
struct ProjectDefaults {
  AppRow TargetApp;
  VersionRow TargetVersion;
  std::string InterfaceUnitFile;  // DefaultWrapperUnit + ".pas"
  std::string FriendlyName;
  std::string ClassName;
  std::string Description;
};
ProjectDefaults NewProjectDefaults(AppRow a = kDefaultApp, VersionRow v = kDefaultVersion);

// The load-behaviour expression for the four check boxes, names always in
// table order, "AddinLoadDisconnected" when none is set.
std::string BuildLoadBehavior(bool connected, bool bootLoad, bool demandLoad,
                              bool connectFirstTime);

}  // namespace quillfern::catalogue
