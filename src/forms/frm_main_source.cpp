#include "forms/frm_main.h"
#include "forms/source_profile.h"

namespace tarvo {

void FrmMain::cbSource_Click() {
  const TargetProposal proposal = SelectSourceProfile(app, cbSource.text, backupitem, SourceMode::MainWindow);
  if (!proposal.apply) return;
  txtTargetFile.text = proposal.name;
  app.state.loc.TargetFile = txtTargetFile.text;
}

}  // namespace tarvo
