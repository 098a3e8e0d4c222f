#include "forms/source_profile.h"

#include "core/item_table.h"
#include "jobs/start_up.h"

namespace tarvo {

bool FillProfileLists(App& app, ComboBox& source, ComboBox& target) {
  if (!UseProfiles(app)) return false;
  const OutlookEnv& env = app.state.env;
  // The last slot of ProfileList is always empty.
  for (std::size_t i = 0; i + 1 < env.ProfileList.size(); ++i) {
    source.AddItem(env.ProfileList[i]);
    target.AddItem(env.ProfileList[i]);
    if (i == 0) {
      source.text = target.text = env.ProfileList[0];
      source.listIndex = target.listIndex = 0;
    }
  }
  return true;
}

TargetProposal SelectSourceProfile(App& app, const std::string& profile, std::array<CheckBox, 9>& items,
                                   SourceMode mode) {
  const ItemSourceInputs in{app.reg, app.platform.files, app.platform.system, app.state.env, app.state.SettingsFile,
                            app.state.DataFolder};
  const SourceChoice choice = ChooseSourceProfile(in, profile, app.state.loc, mode);
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i].enabled = choice.available[i];
    items[i].value = 0;
  }
  if (choice.pabUnsupported) items[static_cast<std::size_t>(Row(ItemId::Pab).box)].tooltip = kNoPabTooltip;
  return choice.proposal;
}

}  // namespace tarvo
