#include "support/hostile/hostile_builder.h"

#include <array>

#include "platform/unicode_text.h"

namespace tarvo::hostile {
namespace {

// Record keys by position in "BackupItem".
constexpr std::array<const char*, 11> kKeys = {
    "BackupConfig",        "BackupDatas",     "BackupRules",   "BackupAccounts", "BackupSignatures", "BackupStationery",
    "BackupPab",           "BackupConfigsetting", "BackupTemplates", "BackupSetting", "BackupContacts"};

std::string Upper(std::string text) {
  for (auto& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// The record keys whose lists name files a chosen tvo item puts into its folder.
std::vector<std::string> FileKeysOf(const std::string& item) {
  if (item == "datas") return {"BackupDatas", "BackupRules"};
  if (item == "signatures") return {"BackupSignatures"};
  if (item == "stationery") return {"BackupStationery"};
  if (item == "pab") return {"BackupPab"};
  if (item == "templates") return {"BackupTemplates"};
  if (item == "preferences") return {"BackupSetting"};
  if (item == "contacts") return {"BackupContacts"};
  return {};
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (from <= list.size()) {
    const std::size_t to = std::min(list.find(';', from), list.size());
    if (to > from) parts.push_back(list.substr(from, to - from));
    from = to + 1;
  }
  return parts;
}

// Plain names the record lists for the chosen items: the only files they may place.
std::vector<std::string> MayPlace(const Recipe& recipe) {
  std::vector<std::string> names;
  for (const auto& item : recipe.items)
    for (const auto& key : FileKeysOf(item))
      for (const auto& [k, v] : recipe.record)
        if (Upper(k) == Upper(key))
          for (const auto& name : Split(v))
            if (PlainFileName(name)) names.push_back(name);
  return names;
}

HostileCase Build(const Recipe& recipe, const std::string& password, const std::string& suffix) {
  std::vector<ForgedEntry> entries = recipe.entries;
  entries.push_back(Entry("mailvault.dat", RecordText(recipe.record)));
  for (auto& e : entries)
    if (e.password.empty()) e.password = password;
  if (recipe.tweak) recipe.tweak(entries);
  std::string bytes = ForgeZip(entries);
  if (recipe.patch) bytes = recipe.patch(std::move(bytes));
  HostileCase c;
  c.name = recipe.name + suffix;
  c.what = recipe.what;
  c.archive = std::move(bytes);
  c.password = password;
  c.items = recipe.items;
  c.expect = recipe.expect;
  c.mayPlace = MayPlace(recipe);
  c.writeBudget = recipe.writeBudget;
  return c;
}

}  // namespace

std::string RecordText(const RecordKeys& keys) {
  std::string text =
      "BackupComputer=PC1\r\nBackupLogonUser=anna\r\nBackupIdentity=Home\r\n"
      "BackupTime=3/14/2013 10:05:12 AM\r\nOutlookversion=Outlook 2010\r\nBackupInformation=hostile\r\n";
  std::string flags(kKeys.size(), '0');
  for (const auto& [key, value] : keys) {
    text += key + "=" + value + "\r\n";
    for (std::size_t i = 0; i < kKeys.size(); ++i)
      if (Upper(key) == Upper(kKeys[i])) flags[i] = '1';
  }
  return text + "BackupItem=" + flags + "\r\n";
}

ForgedEntry Entry(const std::string& name, const std::string& content) {
  ForgedEntry e;
  e.name = name;
  e.content = content;
  return e;
}

void Add(std::vector<HostileCase>& out, const Recipe& recipe, Forms forms) {
  if (forms != Forms::Protected) out.push_back(Build(recipe, "", ""));
  if (forms != Forms::Plain) out.push_back(Build(recipe, kPassword, "-aes"));
}

std::string FullWidth(const std::string& ascii) {
  std::u32string wide;
  for (unsigned char c : ascii) wide += c > 0x20 && c < 0x7F ? static_cast<char32_t>(0xFF01 + (c - 0x21)) : c;
  return EncodeUtf8(wide);
}

std::vector<HostileCase> HostileArchiveCases(const HostileOptions& options) {
  std::vector<HostileCase> cases;
  // Sound archives first: a reader that cannot read forged archives at all would
  // otherwise pass every refusal below.
  Add(cases,
      {"control", "a sound archive: signatures and templates",
       {{"BackupSignatures", "Work.htm"}, {"BackupTemplates", "Memo.oft"}},
       {Entry("Work.htm", "<p>signature</p>"), Entry("Memo.oft", std::string(3000, 'm'))}, {"signatures", "templates"},
       Expect::Restores},
      Forms::Both);
  Add(cases,
      {"control-datas", "a sound archive: configuration and a data file",
       {{"BackupConfig", "OBC1.TMP"}, {"BackupDatas", "Home.pst"}},
       {Entry("OBC1.TMP", kConfigExport), Entry("Home.pst", "!BDN" + std::string(5000, 'd'))}, {"datas"},
       Expect::Restores},
      Forms::Both);
  AddNameCases(cases);
  AddRecordCases(cases, options);
  AddLyingEntryCases(cases, options);
  AddArchiveCases(cases);
  return cases;
}

}  // namespace tarvo::hostile
