#include "outlook/outlook_env.h"

#include <cstdlib>
#include <optional>

namespace tarvo {
namespace {

struct OfficeGeneration {
  const char* key;  // tested by containment in Word's version text
  const char* name;
  const char* officeVersion;
};

// Order matters: the first key contained in the version text decides.
constexpr OfficeGeneration kGenerations[] = {
    {"8", "Outlook 97", "8.0"},         {"9", "Outlook 2000", "9.0"},
    {"10", "Outlook 2002(XP)", "10.0"}, {"11", "Outlook 2003", "11.0"},
    {"12", "Outlook 2007", "12.0"},     {"14", "Outlook 2010", "14.0"},
    {"15", "Outlook 2013", "15.0"},
    // Outlook 2016, 2019, 2021 and Microsoft 365 all report 16.
    {"16", "Outlook 2016 or later", "16.0"},
};

constexpr const char* kOutlookCurVerKey = "HKEY_CLASSES_ROOT\\Outlook.Application\\CurVer";

const OfficeGeneration* MatchWordVersion(const std::string& versionText) {
  for (const auto& g : kGenerations)
    if (versionText.find(g.key) != std::string::npos) return &g;
  return nullptr;
}

// "Outlook.Application.16": only the number after the last "." counts, compared whole,
// so that "1" or "6" inside the class name never match a key by accident.
const OfficeGeneration* MatchOutlookCurVer(const std::string& curVer) {
  const auto dot = curVer.rfind('.');
  if (dot == std::string::npos) return nullptr;
  const std::string number = curVer.substr(dot + 1);
  for (const auto& g : kGenerations)
    if (number == g.key) return &g;
  return nullptr;
}

// Text-to-number conversion that reads the leading number; anything else reads as 0.
double LeadingNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const std::string rest = text.substr(i);
  if (rest.empty() || (rest[0] != '.' && rest[0] != '-' && rest[0] != '+' && (rest[0] < '0' || rest[0] > '9')))
    return 0;
  return std::strtod(rest.c_str(), nullptr);
}

}  // namespace

std::string GetOutlookVersion(OfficeProbe& probe, ModReg& reg, OutlookEnv& env) {
  const std::optional<std::string> wordVersion = probe.WordVersion();
  const OfficeGeneration* found = MatchWordVersion(wordVersion.value_or("0"));
  if (!found) {
    // Outlook may be installed without Word: ask the registered Outlook application.
    const std::string curVer = reg.GetStringValue(kOutlookCurVerKey, "");
    if (curVer != kRegError) found = MatchOutlookCurVer(curVer);
  }
  if (found) {
    env.OfficeVersion = found->officeVersion;
    return found->name;
  }
  return wordVersion ? std::string() : std::string("No Outlook");
}

void ChooseProfilesKey(OutlookEnv& env) {
  if (LeadingNumber(env.OfficeVersion) >= 15)
    env.ProfilesKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + env.OfficeVersion + "\\Outlook\\Profiles";
  else
    env.ProfilesKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
}

bool IsBlankName(const std::string& name) {
  std::string rest;
  for (char c : name)
    if (c != '\0') rest += c;
  const auto first = rest.find_first_not_of(' ');
  return first == std::string::npos;
}

void GetProfileNames(ModReg& reg, OutlookEnv& env) {
  env.ProfileList.assign(1, std::string());
  const std::vector<std::string> names = reg.EnumSubKeys(env.ProfilesKey);
  for (const auto& name : names) {
    if (IsBlankName(name)) continue;
    env.ProfileList.back() = name;
    env.ProfileList.emplace_back();  // the trailing empty slot
  }
  if (env.ProfileList.size() == 1) env.NoProfile = true;
}

std::string GetWinVersion(SystemInfo& system, OutlookEnv& env) {
  env.WinVersion = std::to_string(system.WindowsMajor()) + "." + std::to_string(system.WindowsMinor());
  return env.WinVersion;
}

bool UsesAppDataLayout(const std::string& winVersion) { return LeadingNumber(winVersion) >= 6; }

bool IsOffice12OrLater(const std::string& officeVersion) {
  return officeVersion == "12.0" || officeVersion == "14.0" || officeVersion == "15.0" || officeVersion == "16.0";
}

}  // namespace tarvo
