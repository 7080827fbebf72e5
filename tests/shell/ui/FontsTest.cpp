// The faces the forms of ORVO draw in: every form whose captions are set by
// its caption setter draws in the face substituted for "ＭＳ 明朝" (the
// fixed-pitch IPA Mincho), half-width katakana included, and the telephone
// display's lines of 16 full-width characters line up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPlainTextEdit>
#include <QRawFont>
#include <QTextLayout>

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
#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "orvo/OrvoForms.h"
#include "phone/ui/KTel_Unit.h"
#include "phone/ui/Kana_Form.h"
#include "phone/ui/Tel_Unit.h"
#include "platform/ui/QtText.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"
#include "tests/support/TempDir.h"
#include "transfer/ui/EFix_Unit.h"
#include "transfer/ui/FSel_Unit.h"
#include "transfer/ui/LErr_Unit.h"
#include "transfer/ui/Load_Form.h"
#include "transfer/ui/Save_Unit.h"

namespace {

// fontconfig names the face in English or, under a Japanese locale, in Japanese.
bool IsIpaMincho(const QString& family) {
  return family.compare(U8("IPAMincho"), Qt::CaseInsensitive) == 0 || family == U8("IPA明朝");
}

// The faces that draw text in font, run by run.
QStringList FacesOf(const QFont& font, const QString& text) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  QStringList faces;
  for (const QGlyphRun& r : layout.glyphRuns()) faces << r.rawFont().familyName();
  return faces;
}

class Fonts : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("MSGDLG.DAT", "");
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateFirst();
    OrvoForms_CreateSecond();
  }
  void TearDown() override {
    delete Tel_Frm;
    delete FSel_Frm;
    delete FSelZNT_Frm;
    delete Kana_Fm;
    delete KTel_Frm;
    delete Env_Frm;
    delete Conn_Frm;
    delete main;
    QApplication::processEvents();
  }
  TempDir dir;
  TMain_Frm* main = nullptr;
};

TEST_F(Fonts, EveryFormWithACaptionSetterDrawsInIpaMincho) {
  TConf_Dlg conf;
  TInput_Dlg input;
  const std::vector<std::pair<const char*, QWidget*>> forms = {
      {"main window", Main_Frm},     {"message dialog", &conf},      {"input dialog", &input},
      {"connection", Conn_Frm},      {"environment", Env_Frm},       {"selection", FSel_Frm},
      {"selection ZNT", FSelZNT_Frm}, {"save", Save_Frm},             {"save ZNT", SaveZNT_Frm},
      {"load", Load_Frm},            {"load ZNT", LoadZNT_Frm},      {"line fix", EFix_Dlg},
      {"viewer", LErr_Frm},          {"telephone", Tel_Frm},         {"speed dial", Kana_Fm},
      {"command-file list", ComS_Frm}, {"command-file editor", CEdit_Frm}};
  for (const auto& [name, form] : forms) {
    ASSERT_NE(form, nullptr) << name;
    EXPECT_TRUE(IsIpaMincho(QFontInfo(form->font()).family()))
        << name << " draws in " << QFontInfo(form->font()).family().toStdString();
    // The controls the setter names draw in the form's face too.
    // (A grid's corner button is hidden with its row heading and draws nothing.)
    for (auto* b : form->findChildren<QAbstractButton*>()) {
      if (!b->isVisibleTo(form) && b->text().isEmpty()) continue;
      EXPECT_TRUE(IsIpaMincho(QFontInfo(b->font()).family()))
          << name << " / " << b->text().toStdString() << " draws in " << QFontInfo(b->font()).family().toStdString();
    }
  }
}

// The setting screens and the menu tree name no face: never the toolkit's,
// and a label's half-width katakana in the face of the digits beside them.
TEST_F(Fonts, SettingScreensAndTheMenuTreeDrawInOneIpaFace) {
  if (!FormG_P5) new TFormG_P5();
  if (!FormG_P6) new TFormG_P6();
  if (!FormG_P7) new TFormG_P7();
  for (QWidget* form : std::vector<QWidget*>{Edit_Menu, FormG_P0, G_P1, FormG_P2, FormG_P3, FormG_P4, FormG_P5,
                                             FormG_P6, FormG_P7}) {
    ASSERT_NE(form, nullptr);
    const QString face = QFontInfo(form->font()).family();
    EXPECT_TRUE(IsIpaMincho(face) || face == U8("IPAPGothic") || face == U8("IPA Pゴシック"))
        << form->metaObject()->className() << " draws in " << face.toStdString();
    for (QWidget* w : form->findChildren<QWidget*>()) {  // the grid's pop-up menu is a window of its own
      if (!w->isWindow()) { EXPECT_EQ(QFontInfo(w->font()).family(), face) << w->metaObject()->className(); }
    }
    const QStringList runs = FacesOf(form->font(), U8("Screens 01 ｼｽﾃﾑ ﾀｲﾏｰ 設定"));
    for (const QString& f : runs) EXPECT_EQ(f, runs.front()) << form->metaObject()->className();
  }
}

TEST_F(Fonts, HalfWidthKatakanaInTheMemosDrawInTheSameFace) {
  // A command line with a half-width katakana name, as loads and edits show it.
  const QString line = U8("#SD 001 ｼｬﾁｮｳ ｹｲﾀｲ 本社");
  for (QPlainTextEdit* memo : {static_cast<QPlainTextEdit*>(Load_Frm->Com_RMem),
                               static_cast<QPlainTextEdit*>(CEdit_Frm->Com_RMem)}) {
    const QStringList faces = FacesOf(memo->font(), line);
    ASSERT_FALSE(faces.isEmpty());
    for (const QString& f : faces) EXPECT_TRUE(IsIpaMincho(f)) << "a run in " << f.toStdString();
  }
}

TEST_F(Fonts, TelephoneDisplayLinesOfSixteenFullWidthCharactersLineUp) {
  const char* lines[] = {"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰ", "１２３４５６７８９０１２３４５６",
                         "内線１０１　保留中　　　　　　　", "アイウエオカキクケコサシスセソー",
                         "＊＃（）・：！？－＝＋／＜＞［］"};
  for (QLabel* l : Tel_Frm->Disp_Lbl) {
    EXPECT_TRUE(IsIpaMincho(QFontInfo(l->font()).family())) << QFontInfo(l->font()).family().toStdString();
    QFontMetrics fm(l->font());
    const int width = fm.horizontalAdvance(U8(lines[0]));
    EXPECT_GT(width, 0);
    for (const char* s : lines) {
      l->setText(U8(s));
      EXPECT_EQ(fm.horizontalAdvance(l->text()), width) << s;
      // The 16 columns fit the display line they are shown in.
      EXPECT_LE(fm.horizontalAdvance(l->text()), l->contentsRect().width()) << s;
    }
  }
}

}  // namespace
