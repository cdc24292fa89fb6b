#include "catalogue/catalogue.h"

#include <stdexcept>

namespace quillfern::catalogue {

namespace {

std::string Text(std::string_view s) { return std::string(s); }

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
