#include "generator/project_identifiers.h"

#include <algorithm>
#include <limits>

#include "catalogue/catalogue.h"
#include "generator/project_files.h"

namespace quillfern::generator {

namespace {

// The lines' length with a name of 0 and of 1 character gives, for every
// line, its fixed part and the times the name stands there.
std::size_t LongestName(WizardSettings settings, void (*setLength)(WizardSettings&, std::size_t)) {
  setLength(settings, 0);
  const std::vector<std::size_t> without = PascalLineLengths(settings);
  setLength(settings, 1);
  const std::vector<std::size_t> with = PascalLineLengths(settings);
  std::size_t longest = std::numeric_limits<std::size_t>::max();
  for (std::size_t i = 0; i < without.size() && i < with.size(); ++i) {
    const std::size_t times = with[i] - without[i];
    if (times > 0) longest = std::min(longest, (kMaxLineLength - std::min(without[i], kMaxLineLength)) / times);
  }
  return longest;
}

bool IsPascalSource(const std::string& fileName) {
  const auto endsWith = [&](std::string_view end) {
    return fileName.size() >= end.size() && fileName.compare(fileName.size() - end.size(), end.size(), end) == 0;
  };
  return endsWith(".dpr") || endsWith(".pas");
}

}  // namespace

const std::vector<std::string_view>& ProjectSourceNames() {
  static const std::vector<std::string_view> names = {
      "ComServ", "Unit1", "OfficeAddins", "DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
      "DllUnregisterServer"};
  return names;
}

const std::vector<std::string_view>& AddInUnitUses() {
  static const std::vector<std::string_view> names = {"System",   "Windows",      "Classes", "ComObj", "ActiveX",
                                                      "SysUtils", "OfficeAddins", "ComServ", "Unit1"};
  return names;
}

std::vector<std::string> AddInUnitLookups(const WizardSettings& s) {
  std::vector<std::string> names = {
      "TGUID",   "TComObject", "TOfficeAddinFactory", "IDispatch",       "IDTExtensibility2", "Integer",
      "HResult", "Pointer",    "Word",                "PSafeArray",      "ext_ConnectMode",   "ext_DisconnectMode",
      "_Application", "S_OK",  "E_NOTIMPL",           "FreeAndNil",      "ComServer"};
  const auto& app = catalogue::App(s.TargetApp);
  names.emplace_back(app.WrapperClassName);
  names.emplace_back(app.OfficeAppKind);
  names.push_back(RootKeyIdentifier(s));
  const std::string load =
      catalogue::BuildLoadBehavior(s.LoadConnected, s.LoadBootLoad, s.LoadDemandLoad, s.LoadConnectFirstTime);
  for (std::size_t start = 0, end; start < load.size(); start = end + 1) {
    end = std::min(load.find(' ', start), load.size());
    if (load.compare(start, end - start, "or") != 0) names.push_back(load.substr(start, end - start));
  }
  return names;
}

std::vector<std::size_t> PascalLineLengths(const WizardSettings& settings) {
  static const ProjectValues kValues{std::string(38, '0'), "", "", ""};
  std::vector<std::size_t> lengths;
  for (const auto& file : ComposeProjectFiles(settings, kValues)) {
    if (!IsPascalSource(file.FileName)) continue;
    std::size_t start = 0;
    for (std::size_t end; (end = file.Content.find("\r\n", start)) != std::string::npos; start = end + 2)
      lengths.push_back(end - start);
  }
  return lengths;
}

std::size_t LongestClassName(const WizardSettings& settings) {
  return LongestName(settings, [](WizardSettings& s, std::size_t n) { s.ClassName.assign(n, 'A'); });
}

std::size_t LongestInterfaceUnitName(const WizardSettings& settings) {
  return LongestName(settings,
                     [](WizardSettings& s, std::size_t n) { s.InterfaceUnitFile = std::string(n, 'A') + ".pas"; });
}

}  // namespace quillfern::generator
