#include "orvo/OrvoForms.h"

#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/Global_Unit.h"
#include "transfer/ui/Save_Unit.h"
#include "transfer/ui/SelectionHost.h"

// Start-up order of the forms. The forms of the subsystems are added to
// these two routines as they are built.
void OrvoForms_CreateFirst() {}

namespace {

// Save: the selection form of the system type opens the save form of the
// same type, placed as every subform is.
void OrvoForms_InstallSave() {
  // Owned by the main window, which outlives them.
  new TSave_Frm(0, Main_Frm);
  new TSaveZNT_Frm(Main_Frm);
  Selection_Host().openSave = [] {
    TSave_Frm* f = SystemType == 1 ? SaveZNT_Frm : Save_Frm;
    if (!f) return;
    if (Main_Frm) {
      QRect m = Main_Frm->frameGeometry();
      f->move(m.left(), m.top() + 20);
    }
    f->show();
  };
}

}  // namespace

void OrvoForms_CreateSecond() {
  new TConn_Frm();
  new TEnv_Frm();
  OrvoForms_InstallSave();

  auto& hooks = TMain_Frm::Hooks();
  hooks.connect = [](TMain_Frm* m) {
    m->OpenSubform(Conn_Frm, [] { return Conn_Frm->ReadSettings(); });
  };
  hooks.environment = [](TMain_Frm* m) {
    Env_Frm->Env_Init();
    m->OpenSubform(Env_Frm);
  };
}
