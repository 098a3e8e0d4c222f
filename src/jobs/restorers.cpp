// The eleven item restorers, each a restore of its one item, and what the data files and
// the address book change in the profile once their files are in place.
#include "jobs/restore_job.h"
#include "restore/restore_journal.h"
#include "outlook/item_locations.h"
#include "outlook/outlook_folders.h"
#include "platform/text.h"

namespace tarvo {

// Problems quote names from the archive: whatever they hold is shown escaped in the log.
void RestoreJob::LogProblem(const std::string& text) { sink_.Log(Now() + " " + PrintableText(text)); }

const std::string& RestoreJob::List(ItemId item) const {
  return app_.state.RestoreLists[static_cast<std::size_t>(Row(item).position - 1)];
}

bool RestoreJob::RestoreConfig(const std::string& target) { return Transact({ItemId::Config}, target); }
bool RestoreJob::RestoreRules(const std::string& target) { return Transact({ItemId::Rules}, target); }
bool RestoreJob::RestoreAccounts(const std::string& target) { return Transact({ItemId::Accounts}, target); }
bool RestoreJob::RestoreSignatures() { return Transact({ItemId::Signatures}, request_.targetProfile); }
bool RestoreJob::RestoreStationery() { return Transact({ItemId::Stationery}, request_.targetProfile); }
bool RestoreJob::RestorePab(const std::string& target) { return Transact({ItemId::Pab}, target); }
bool RestoreJob::RestoreConfigsetting() { return Transact({ItemId::Configsetting}, request_.targetProfile); }
bool RestoreJob::RestoreTemplates() { return Transact({ItemId::Templates}, request_.targetProfile); }
bool RestoreJob::RestoreSetting() { return Transact({ItemId::Setting}, request_.targetProfile); }
bool RestoreJob::RestoreContacts() { return Transact({ItemId::Contacts}, request_.targetProfile); }
bool RestoreJob::RestoreDatas(const std::string& target) { return Transact({ItemId::Datas}, target); }

bool RestoreJob::Restore(ItemId item) {
  const std::string& target = request_.targetProfile;
  switch (item) {
    case ItemId::Config: return RestoreConfig(target);
    case ItemId::Datas: return RestoreDatas(target);
    case ItemId::Rules: return RestoreRules(target);
    case ItemId::Accounts: return RestoreAccounts(target);
    case ItemId::Signatures: return RestoreSignatures();
    case ItemId::Stationery: return RestoreStationery();
    case ItemId::Pab: return RestorePab(target);
    case ItemId::Configsetting: return RestoreConfigsetting();
    case ItemId::Templates: return RestoreTemplates();
    case ItemId::Setting: return RestoreSetting();
    case ItemId::Contacts: return RestoreContacts();
  }
  return false;
}

// Points every service section that names a data file at the restored file of the same
// name, and drops the values that would still lead Outlook to the old place. False when
// the profile has no sections at all.
bool RestoreJob::RepointDataFiles(const std::string& target) {
  auto& reg = app_.reg;
  const std::string folder = LocalOutlookFolder(app_.state.env);
  const std::string profileKey = ProfileKeyFor(app_.state.env, target);
  const auto sections = reg.EnumSubKeys(profileKey);
  if (sections.empty()) return false;
  for (const auto& section : sections) {
    const std::string key = profileKey + "\\" + section;
    std::string oldPath = reg.GetWidePathFromBinary(key, "01020fff");
    if (oldPath == kRegError) oldPath = reg.GetNarrowPathFromBinary(key, "01020fff");
    if (oldPath == kRegError) continue;
    const std::string newPath = folder + "\\" + BareName(oldPath);
    reg.DeleteValue(key, "001e6700");
    reg.ReplaceInBinaryValue(key, "01020fff", oldPath, newPath);
    reg.ReplaceInBinaryValue(key, "001f6700", oldPath, newPath);
  }
  reg.DeleteValue(profileKey + "\\" + kStoreSectionKey, "1102039b");
  reg.DeleteValue(profileKey + "\\" + kStoreSectionKey, "001e023d");
  reg.DeleteValue(profileKey + "\\" + kDeliveryAccountKey, "Delivery Store EntryID");
  return true;
}

bool RestoreJob::RepointAddressBooks(const std::string& target) {
  auto& reg = app_.reg;
  const std::string folder = LocalOutlookFolder(app_.state.env);
  const std::string profileKey = ProfileKeyFor(app_.state.env, target);
  const auto sections = reg.EnumSubKeys(profileKey);
  if (sections.empty()) return false;
  for (const auto& section : sections) {
    const std::string key = profileKey + "\\" + section;
    const std::string old = reg.GetStringValue(key, "001e6600");
    if (old == kRegError) continue;
    reg.SetStringValue(key, "001e6600", folder + "\\" + BareName(old));
  }
  return true;
}

}  // namespace tarvo
