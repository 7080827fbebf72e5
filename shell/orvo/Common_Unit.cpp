#include "shell/orvo/Common_Unit.h"

#include "platform/ui/QtText.h"
#include "shell/orvo/Main_Unit.h"

namespace {
void SetStates(bool connected) {
  TMain_Frm* m = Main_Frm;
  if (!m) return;
  m->Conn_BitBtn->setEnabled(!connected);
  m->Disc_BitBtn->setEnabled(connected);
  m->Tel_BitBtn->setEnabled(connected);
  m->Save_BitBtn->setEnabled(connected);
  m->Load_BitBtn->setEnabled(connected);
  m->Edit_BitBtn->setEnabled(true);
  m->Spd_BitBtn->setEnabled(true);
  m->Dump_BitBtn->setEnabled(true);
  m->Env_BitBtn->setEnabled(!connected);
  m->Prn_BitBtn->setEnabled(true);
  m->End_BitBtn->setEnabled(!connected);
  m->KTel_BitBtn->setEnabled(true);
}
}  // namespace

void Common_SetConnected() { SetStates(true); }

void Common_SetDisconnected() {
  SetStates(false);
  if (Main_Frm) Main_Frm->Main_StsBar->showMessage(ToQ(DisconnectedText));
}

void Common_ReturnToMain() {
  if (!Main_Frm) return;
  Main_Frm->SB_GB->setVisible(true);
  if (LastButton && LastButton->isEnabled()) LastButton->setFocus();
}
