#pragma once
// The discovery part of the main window's load.
#include "app/app.h"
#include "app/controls.h"

namespace tarvo {

inline constexpr const char* kNoOutlookMessage =
    "Your Windows System have not install MS Outlook or MS Outlook Error!";

// Windows version, Outlook generation, profiles key and profile names, in that order.
void DiscoverOutlookEnvironment(App& app);

// Fills both profile lists from ProfileList, shows the first profile in both and sets
// UserProfilePath. Returns false, touching nothing, when there is no profile; the caller
// then shows kNoOutlookMessage and disables the backup button.
bool FillProfileLists(App& app, ComboBox& source, ComboBox& target);

}  // namespace tarvo
