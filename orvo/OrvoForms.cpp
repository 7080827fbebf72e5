#include "orvo/OrvoForms.h"

#include "cmdfile/ui/CEdit_Unit.h"
#include "cmdfile/ui/ComS_Unit.h"
#include "cmdfile/ui/Edit_Menu.h"
#include "cmdfile/ui/G_P0_Unit.h"
#include "cmdfile/ui/G_P1_Unit.h"
#include "cmdfile/ui/G_P2_Unit.h"
#include "cmdfile/ui/G_P3_Unit.h"
#include "cmdfile/ui/G_P4_Unit.h"
#include "cmdfile/ui/G_P5_Unit.h"
#include "cmdfile/ui/G_P6_Unit.h"
#include "cmdfile/ui/G_P7_Unit.h"
#include "cmdfile/ui/PageOpen_Table.h"
#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "phone/ui/KTel_Unit.h"
#include "phone/ui/Kana_Form.h"
#include "phone/ui/Tel_Unit.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Placement.h"
#include "transfer/ui/EFix_Unit.h"
#include "transfer/ui/FSel_Unit.h"
#include "transfer/ui/LErr_Unit.h"
#include "transfer/ui/Load_Form.h"
#include "transfer/ui/Save_Unit.h"
#include "transfer/ui/SelectionHost.h"

// Start-up order of the forms. The forms of the subsystems are added to
// these two routines as they are built.
void OrvoForms_CreateFirst() {
  // Kanji phone-book import: created once, opened by its main button.
  new TKTel_Frm();
  TMain_Frm::Hooks().kanjiPhoneBook = [](TMain_Frm* m) { m->OpenSubform(KTel_Frm); };

  // Speed-dial editor: opened by the selection form, which it brings back.
  new TKana_Fm();
  // It covers the selection form it was opened from.
  Selection_Host().openSpeedDial = [] {
    if (QWidget* s = Selection_Host().form) PlaceFrameAt(Kana_Fm, FrameTopLeft(s));
    Kana_Fm->show();
  };
  // Its labels show the selection form's folder, user and free space.
  auto selection = []() -> const TFSel_Frm* {
    return qobject_cast<const TFSel_Frm*>(Selection_Host().form);
  };
  Kana_Host().dataFolder = [selection] {
    const TFSel_Frm* f = selection();
    return f ? f->Data.dataFolder : LoadFolder;
  };
  Kana_Host().userName = [selection] {
    const TFSel_Frm* f = selection();
    return f ? f->Data.userName : std::string();
  };
  Kana_Host().freeSpace = [selection] {
    const TFSel_Frm* f = selection();
    return FSel_FreeSpaceText(f ? f->Data.dataFolder : LoadFolder);
  };
  Kana_Host().closed = [] {
    SelectionRefresh r;
    r.dataFiles = r.lists = r.freeSpace = true;
    Selection_Return(r);
  };
}

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
    if (Main_Frm) PlaceFrameAt(f, FrameTopLeft(Main_Frm) + QPoint(0, 20));
    f->show();
  };
}

}  // namespace

void OrvoForms_CreateSecond() {
  new TConn_Frm();
  new TEnv_Frm();
  OrvoForms_InstallSave();

  // Load: the forms of both system types and the line fix dialog; the
  // selection form opens the one of the running system type.
  // Kept for the run; a second wiring (the form tests) reuses them.
  if (!Load_Frm) Load_Frm = new TLoad_Frm();
  if (!LoadZNT_Frm) LoadZNT_Frm = new TLoadZNT_Frm();
  if (!EFix_Dlg) EFix_Dlg = new TEFix_Dlg();
  // The load form shows the user and the data kind as the selection form
  // in use shows them: the kind's row up to its tab, then the chosen part
  // or command file in brackets.
  Load_SelectionTexts = [](QString& user, QString& dataType) {
    const auto* f = qobject_cast<const TFSel_Frm*>(Selection_Host().form);
    if (!f) return false;
    auto selected = [](const QListWidget* l) {
      const QList<QListWidgetItem*> items = l->selectedItems();
      return items.isEmpty() ? QString() : FSel_RowText(items.front()).section('\t', 0, 0);
    };
    user = f->User_Lbl->text();
    dataType = selected(f->Dsyu_OTabLstBox);
    if (LoadKind == f->Data.type->partSlot) dataType += "[" + selected(f->Prg_OTabLstBox) + "]";
    else if (LoadKind == f->Data.type->cmdSlot) dataType += "[" + selected(f->Com_OTabLstBox) + "]";
    return true;
  };
  Selection_Host().openLoad = [] {
    TLoad_Frm* f = SystemType == 1 ? static_cast<TLoad_Frm*>(LoadZNT_Frm) : Load_Frm;
    if (Main_Frm) PlaceFrameAt(f, FrameTopLeft(Main_Frm) + QPoint(0, 20));
    f->show();
  };

  // Command files: the list from the main window's Edit button, the text
  // editor it opens. Kept for the run; a second wiring reuses them.
  if (!ComS_Frm) new TComS_Frm();
  if (!CEdit_Frm) new TCEdit_Frm();

  auto& hooks = TMain_Frm::Hooks();
  hooks.connect = [](TMain_Frm* m) {
    m->OpenSubform(Conn_Frm, [] { return Conn_Frm->ReadSettings(); });
  };
  hooks.commandFiles = [](TMain_Frm* m) {
    m->OpenSubform(ComS_Frm, [] { return ComS_Frm->ComList_Init(); });
  };
  hooks.environment = [](TMain_Frm* m) {
    Env_Frm->Env_Init();
    m->OpenSubform(Env_Frm);
  };

  // Telephone image. Over Ethernet the main buttons go before the form
  // shows, since its start already talks to the exchange.
  new TTel_Frm();
  hooks.telephone = [](TMain_Frm* m) { m->OpenSubform(Tel_Frm, {}, EthernetMode == 1); };

  // Data-kind selection: Save, Load and speed dial open the form of the
  // system type, which makes itself the one its subforms come back to.
  if (!FSel_Frm) new TFSel_Frm();
  if (!FSelZNT_Frm) new TFSelZNT_Frm();
  auto selection = [](TMain_Frm* m) {
    TFSel_Frm* f = SystemType == 1 ? static_cast<TFSel_Frm*>(FSelZNT_Frm) : FSel_Frm;
    m->OpenSubform(f, [f] { return f->FSel_Init(); });
  };
  hooks.save = selection;
  hooks.load = selection;
  hooks.speedDial = selection;

  // Load-error and dump viewer. The dump button lists the dumps of the
  // data folder in ENVIRON.DAT; the selection form the error lists of the
  // folder it shows, the viewer taking its place.
  if (!LErr_Frm) new TLErr_Frm();
  hooks.dumpViewer = [](TMain_Frm* m) {
    m->OpenSubform(LErr_Frm, [] {
      LErr_Frm->LErr_Init();
      return 0;
    });
  };
  Selection_Host().openViewer = [](const std::string& folder) {
    if (!LErr_Frm) return;
    LErr_Frm->LErr_Init(folder);
    if (QWidget* s = Selection_Host().form) PlaceFrameAt(LErr_Frm, FrameTopLeft(s));
    LErr_Frm->show();
    LErr_Frm->raise();
    LErr_Frm->activateWindow();
  };

  // Setting screens: created once. The load form and the error viewer bring
  // back the page they were opened from; the viewer stands where every
  // subform stands.
  if (!G_P1) new TG_P1();
  if (!FormG_P0) new TFormG_P0();
  if (!FormG_P2) new TFormG_P2();
  if (!FormG_P3) new TFormG_P3();
  if (!FormG_P4) new TFormG_P4();
  Load_ReturnToPage = [] {
    if (CurrentPage) CurrentPage->show();
  };
  LErr_Host().showCurrentPage = Load_ReturnToPage;
  GPage_Host().userName = [] {
    return ComS_Frm ? FromQ(ComS_Frm->User_Lbl->text()).value_or(std::string()) : std::string();
  };
  GPage_Host().openErrorList = [](const std::string& folder) {
    if (!LErr_Frm) return;
    LErr_Frm->LErr_Init(folder);
    if (Main_Frm) PlaceFrameAt(LErr_Frm, FrameTopLeft(Main_Frm) + QPoint(0, 20));
    LErr_Frm->show();
    LErr_Frm->raise();
    LErr_Frm->activateWindow();
  };

  // Menu tree: the command-file list's list-edit and New's "Yes" open it;
  // it opens the screen of a line's page type and comes back when the
  // screen closes.
  Edit_Menu_Install();
  PageOpen_Set(1, {G_P1_Init, [] { return PageWidgets{G_P1, G_P1 ? G_P1->Load_BitBtn : nullptr,
                                                      G_P1 ? G_P1->Err_BitBtn : nullptr}; }});
  PageOpen_Set(0, {G_P0_Init, [] { return PageWidgets{FormG_P0, FormG_P0 ? FormG_P0->Load_BitBtn : nullptr,
                                                      FormG_P0 ? FormG_P0->Err_BitBtn : nullptr}; }});
  PageOpen_Set(2, {G_P2_Init, [] { return PageWidgets{FormG_P2, FormG_P2 ? FormG_P2->Load_BitBtn : nullptr,
                                                      FormG_P2 ? FormG_P2->Err_BitBtn : nullptr}; }});
  PageOpen_Set(3, {G_P3_Init, [] { return PageWidgets{FormG_P3, FormG_P3 ? FormG_P3->Load_BitBtn : nullptr,
                                                      FormG_P3 ? FormG_P3->Err_BitBtn : nullptr}; }});
  PageOpen_Set(4, {G_P4_Init, [] { return PageWidgets{FormG_P4, FormG_P4 ? FormG_P4->Load_BitBtn : nullptr,
                                                      FormG_P4 ? FormG_P4->Err_BitBtn : nullptr}; }});
  PageOpen_Set(5, {[](const std::string& c, const std::string& k, int) { return G_P5_Init(c, k); },
                   [] { return PageWidgets{FormG_P5, FormG_P5 ? FormG_P5->Load_BitBtn : nullptr,
                                                      FormG_P5 ? FormG_P5->Err_BitBtn : nullptr}; }});
  PageOpen_Set(6, {[](const std::string& c, const std::string& k, int) { return G_P6_Init(c, k); },
                   [] { return PageWidgets{FormG_P6, FormG_P6 ? FormG_P6->Load_BitBtn : nullptr,
                                                      FormG_P6 ? FormG_P6->Err_BitBtn : nullptr}; }});
  PageOpen_Set(7, {[](const std::string& c, const std::string& k, int) { return G_P7_Init(c, k); },
                   [] { return PageWidgets{FormG_P7, FormG_P7 ? FormG_P7->Load_BitBtn : nullptr,
                                                      FormG_P7 ? FormG_P7->Err_BitBtn : nullptr}; }});
  GPage_Host().showMenu = [] {
    if (Edit_Menu) Edit_Menu->show();
  };
  GPage_Host().menuPath = [] { return MenuPath; };
  GPage_Host().helpName = [] {
    const auto& help = MenuTable[7];
    return MenuIndex > 0 && static_cast<size_t>(MenuIndex) < help.size() ? help[static_cast<size_t>(MenuIndex)]
                                                                         : std::string();
  };
}
