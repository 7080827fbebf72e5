#include "orvo/OrvoForms.h"

#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "transfer/ui/FSel_Unit.h"

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

  // Data-kind selection: Save, Load and speed dial open the form of the
  // system type.
  new TFSel_Frm();
  new TFSelZNT_Frm();
  auto selection = [](TMain_Frm* m) {
    TFSel_Frm* f = SystemType == 1 ? static_cast<TFSel_Frm*>(FSelZNT_Frm) : FSel_Frm;
    m->OpenSubform(f, [f] { return f->FSel_Init(); });
  };
  hooks.save = selection;
  hooks.load = selection;
  hooks.speedDial = selection;
}
