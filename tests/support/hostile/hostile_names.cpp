// The test's own idea of a file name Windows takes literally, kept apart from the
// program's check so that a gap in one is not hidden by the same gap in the other.
#include <algorithm>
#include <string>
#include <string_view>

#include "support/hostile/hostile_builder.h"

namespace tarvo::hostile {
namespace {

std::string Upper(std::string text) {
  for (auto& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

bool IsDevice(const std::string& name) {
  std::string stem = Upper(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (stem == device) return true;
  if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
  const std::string digit = stem.substr(3);
  // 1-9, and the superscript one, two and three Windows also takes as port numbers.
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
         digit == "\xC2\xB3";
}

}  // namespace

bool PlainFileName(const std::string& name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  const bool reserved = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
  });
  return !reserved && !IsDevice(name);
}

const char* ExpectName(Expect expect) {
  switch (expect) {
    case Expect::Refused: return "refused";
    case Expect::MayRestore: return "may-restore";
    case Expect::Restores: return "restores";
  }
  return "?";
}

}  // namespace tarvo::hostile

namespace tarvo::hostile {
namespace {

// Signature entries whose names reach outside the folder or open a device, listed in the
// record as they are; each with the label of its case.
struct Named {
  const char* label;
  const char* name;
};
const Named kEscapingNames[] = {
    {"dotdot-backslash", "..\\evil.htm"},  {"dotdot-slash", "../evil.htm"},   {"absolute", "C:\\evil.htm"},
    {"rooted", "\\evil.htm"},              {"drive-relative", "C:evil.htm"},  {"stream", "Work.htm:evil"},
    {"dotdot", ".."},                      {"trailing-dot", "Work.htm."},     {"trailing-blank", "Work.htm "},
    {"inner-dotdot", "sub\\..\\..\\evil.htm"}, {"device-path", "\\\\?\\C:\\evil.htm"},
    {"unc", "\\\\localhost\\C$\\evil.htm"},
};
const Named kDeviceNames[] = {
    {"con", "CON"},           {"con-ext", "con.htm"},          {"nul-ext", "NUL.txt"},       {"aux", "AUX"},
    {"prn-ext", "PRN.htm"},   {"com1-ext", "COM1.htm"},        {"lpt9", "lpt9"},             {"conin", "CONIN$"},
    {"conout-ext", "CONOUT$.txt"}, {"com-sup1-ext", "COM\xC2\xB9.htm"}, {"lpt-sup2-ext", "LPT\xC2\xB2.txt"},
    {"com-sup3", "com\xC2\xB3"}, {"con-blank-ext", "CON .htm"},  {"nul-ext-dot-blank", "nul.txt. "},
    {"aux-dots", "AUX.."},    {"com1-blank-dot", "COM1 . txt"},
};

Recipe SignatureNamed(const std::string& caseName, const std::string& entry, const std::string& record) {
  return {caseName, "a signature entry named \"" + entry + "\", listed as \"" + record + "\"",
          {{"BackupSignatures", record}}, {Entry(entry, "<p>hostile</p>")}, {"signatures"}, Expect::Refused};
}

// Record names of registry exports that, best-fit converted, are the full-width entry's
// name: the work file of the import would be a path of the archive's choosing.
void AddFullWidthExports(std::vector<HostileCase>& out) {
  const std::string beside = "..\\x.txt", root = "..\\..\\..\\..\\..\\..\\..\\..\\x.txt", drive = "C:\\x.txt";
  Add(out,
      {"fullwidth-config-beside", "configuration export named " + beside + ", entry in full-width forms",
       {{"BackupConfig", beside}, {"BackupAccounts", "OBA1.TMP"}},
       {Entry(FullWidth(beside), kConfigExport), Entry("OBA1.TMP", kAccountsExport)}, {"accounts"}},
      Forms::Both);
  Add(out,
      {"fullwidth-accounts-root", "accounts export named " + root + ", entry in full-width forms",
       {{"BackupConfig", "OBC1.TMP"}, {"BackupAccounts", root}},
       {Entry("OBC1.TMP", kConfigExport), Entry(FullWidth(root), kAccountsExport)}, {"accounts"}},
      Forms::Both);
  Add(out,
      {"fullwidth-options-drive", "options export named " + drive + ", entry in full-width forms",
       {{"BackupConfigsetting", drive}}, {Entry(FullWidth(drive), kOptionsExport)}, {"options"}},
      Forms::Plain);
  Add(out, SignatureNamed("fullwidth-signature-beside", FullWidth("..\\evil.htm"), "..\\evil.htm"), Forms::Both);
  Add(out, SignatureNamed("fullwidth-signature-device", FullWidth("CON"), "CON"), Forms::Plain);
  Add(out, SignatureNamed("fullwidth-signature-device-ext", FullWidth("NUL") + ".htm", "NUL.htm"), Forms::Plain);
}

// Exports the record names after the data folder's own files.
void AddExportsNamedAfterDataFiles(std::vector<HostileCase>& out) {
  Add(out,
      {"export-named-settings", "configuration export named settings.dat (the preferences file)",
       {{"BackupConfig", "settings.dat"}, {"BackupAccounts", "OBA1.TMP"}},
       {Entry("settings.dat", kConfigExport), Entry("OBA1.TMP", kAccountsExport)}, {"accounts"}, Expect::MayRestore},
      Forms::Both);
  Add(out,
      {"export-named-brlog", "accounts export named brlog.dat (the run log)",
       {{"BackupConfig", "OBC1.TMP"}, {"BackupAccounts", "brlog.dat"}},
       {Entry("OBC1.TMP", kConfigExport), Entry("brlog.dat", kAccountsExport)}, {"accounts"}, Expect::MayRestore},
      Forms::Plain);
  Add(out,
      {"export-named-record", "options export named mailvault.dat: the record itself",
       {{"BackupConfigsetting", "mailvault.dat"}}, {}, {"options"}, Expect::MayRestore},
      Forms::Plain);
}

}  // namespace

void AddNameCases(std::vector<HostileCase>& out) {
  for (const Named& n : kEscapingNames) {
    // One protected form: the name is refused before any decryption matters.
    const Forms forms = std::string(n.label) == "dotdot-backslash" ? Forms::Both : Forms::Plain;
    Add(out, SignatureNamed(std::string("name-") + n.label, n.name, n.name), forms);
  }
  for (const Named& n : kDeviceNames)
    Add(out, SignatureNamed(std::string("device-") + n.label, n.name, n.name), Forms::Plain);
  AddFullWidthExports(out);
  AddExportsNamedAfterDataFiles(out);
  Add(out,
      {"rules-escape", "rules entry named ..\\..\\evil.RWZ beside a sound data file",
       {{"BackupDatas", "Home.pst"}, {"BackupRules", "..\\..\\evil.RWZ"}},
       {Entry("Home.pst", "!BDN"), Entry("..\\..\\evil.RWZ", "rules")}, {"datas"}},
      Forms::Plain);
  Add(out,
      {"pab-escape", "address book entry named ..\\evil.pab",
       {{"BackupPab", "..\\evil.pab"}}, {Entry("..\\evil.pab", "pab")}, {"pab"}},
      Forms::Plain);
}

}  // namespace tarvo::hostile
