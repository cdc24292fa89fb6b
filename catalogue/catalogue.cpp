#include "catalogue/catalogue.h"

#include <algorithm>
#include <stdexcept>

namespace quillfern::catalogue {

namespace {

std::string Text(std::string_view s) { return std::string(s); }

// The catalogue stands on nothing, so it folds ASCII letters itself.
bool SameLetters(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return lower(x) == lower(y);
         });
}

// The parts of Name between "/", or none when it has one part only.
std::vector<std::string_view> Parts(std::string_view name) {
  std::vector<std::string_view> parts;
  if (name.find('/') == std::string_view::npos) return parts;
  for (std::size_t start = 0, end; start <= name.size(); start = end + 1) {
    end = std::min(name.find('/', start), name.size());
    parts.push_back(name.substr(start, end - start));
  }
  return parts;
}

}  // namespace

const TOfficeAppInfo& App(AppRow a) { return OfficeApps.at(a); }

const TOfficeVersionInfo& Version(VersionRow v) { return OfficeVersions.at(v); }

std::string DefaultFriendlyName(AppRow a) {
  return "New " + Text(App(a).DisplayName) + " Add-In";
}

std::string DefaultClassName(AppRow a) { return Text(App(a).DisplayName) + "Addin1"; }

std::string DefaultDescription(AppRow a, VersionRow v) {
  return "Microsoft " + Text(App(a).DisplayName) + " " + Text(Version(v).VersionName) +
         " COM Add-In";
}

std::string DefaultWrapperUnit(AppRow a, VersionRow v) {
  return Text(App(a).WrapperUnitPrefix) + Text(Version(v).WrapperUnitSuffix);
}

std::string WrapperPickerTitle(AppRow a, VersionRow v) {
  return "Select Interface unit for " + Text(App(a).DisplayName) + " " +
         Text(Version(v).VersionName);
}

std::string SuccessMessage(AppRow a, VersionRow v) {
  return Text(App(a).DisplayName) + " " + VersionText(v) +
         " COM Add-In generated successfully.";
}

std::string VersionText(VersionRow v) { return std::to_string(Version(v).VersionNumber); }

std::optional<AppRow> FindApp(std::string_view name) {
  for (AppRow row = 0; row < OfficeApps.size(); ++row)
    if (SameLetters(OfficeApps[row].DisplayName, name)) return row;
  return std::nullopt;
}

std::vector<std::string_view> VersionAliases(VersionRow v) { return Parts(Version(v).VersionName); }

std::optional<VersionRow> FindVersion(std::string_view name) {
  for (VersionRow row = 0; row < OfficeVersions.size(); ++row) {
    if (SameLetters(OfficeVersions[row].VersionName, name)) return row;
    for (const std::string_view alias : VersionAliases(row))
      if (SameLetters(alias, name)) return row;
  }
  return std::nullopt;
}

std::string DialogCaption() { return "New Microsoft Office COM Add-In"; }

ProjectDefaults NewProjectDefaults(AppRow a, VersionRow v) {
  return {a, v, DefaultWrapperUnit(a, v) + ".pas", DefaultFriendlyName(a), DefaultClassName(a),
          DefaultDescription(a, v)};
}

std::string BuildLoadBehavior(bool connected, bool bootLoad, bool demandLoad,
                              bool connectFirstTime) {
  const bool flags[] = {connected, bootLoad, demandLoad, connectFirstTime};
  std::string result;
  for (std::size_t i = 0; i < 4; ++i) {
    if (!flags[i]) continue;
    if (!result.empty()) result += " or ";
    result += LoadBehaviorNames[i];
  }
  return result.empty() ? Text(LoadBehaviorNames[4]) : result;
}

}  // namespace quillfern::catalogue
