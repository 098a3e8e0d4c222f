#include "outlook/outlook_startup.h"

#include "outlook/outlook_env.h"

namespace tarvo {

void DiscoverOutlookEnvironment(App& app) {
  OutlookEnv& env = app.state.env;
  GetWinVersion(app.platform.system, env);
  GetOutlookVersion(app.platform.office, app.reg, env);  // the name is not needed here
  ChooseProfilesKey(env);
  GetProfileNames(app.reg, env);
}

bool FillProfileLists(App& app, ComboBox& source, ComboBox& target) {
  OutlookEnv& env = app.state.env;
  if (env.NoProfile) return false;
  // The last slot of ProfileList is always empty.
  for (std::size_t i = 0; i + 1 < env.ProfileList.size(); ++i) {
    source.AddItem(env.ProfileList[i]);
    target.AddItem(env.ProfileList[i]);
    if (i == 0) {
      source.text = target.text = env.ProfileList[0];
      source.listIndex = target.listIndex = 0;
    }
  }
  env.UserProfilePath = app.platform.system.ExpandEnvironment("%UserProfile%");
  return true;
}

}  // namespace tarvo
