#pragma once
// The profile lists and item boxes of the windows that choose a source profile.
#include <array>
#include <string>

#include "forms/controls.h"
#include "jobs/app.h"
#include "outlook/item_locations.h"

namespace tarvo {

// Fills both profile lists from ProfileList, shows the first profile in both and sets
// UserProfilePath. Returns false, touching nothing, when there is no profile; the caller
// then shows kNoOutlookMessage and disables the backup button.
bool FillProfileLists(App& app, ComboBox& source, ComboBox& target);

// Recomputes the location set for profile, enables and unchecks the nine item boxes by
// what exists, and proposes the archive name. TargetFile is left to the caller.
TargetProposal SelectSourceProfile(App& app, const std::string& profile, std::array<CheckBox, 9>& items,
                                   SourceMode mode);

}  // namespace tarvo
