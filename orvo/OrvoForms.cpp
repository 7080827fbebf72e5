#include "orvo/OrvoForms.h"

#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "phone/ui/Tel_Unit.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"

// Start-up order of the forms. The forms of the subsystems are added to
// these two routines as they are built.
void OrvoForms_CreateFirst() {}

void OrvoForms_CreateSecond() {
  new TConn_Frm();
  new TEnv_Frm();

  auto& hooks = TMain_Frm::Hooks();
  hooks.connect = [](TMain_Frm* m) {
    m->OpenSubform(Conn_Frm, [] { return Conn_Frm->ReadSettings(); });
  };
  hooks.environment = [](TMain_Frm* m) {
    Env_Frm->Env_Init();
    m->OpenSubform(Env_Frm);
  };

  // Telephone image. Over Ethernet the main buttons go before the form
  // shows, since its start already talks to the exchange.
  new TTel_Frm();
  hooks.telephone = [](TMain_Frm* m) { m->OpenSubform(Tel_Frm, {}, EthernetMode == 1); };
}
