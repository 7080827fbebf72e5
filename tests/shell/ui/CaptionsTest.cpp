#include <gtest/gtest.h>

#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"
#include "tests/support/TempDir.h"

namespace {

TEST(Captions, MainWindowTakesItsCaptionsAndTextsFromLangMain) {
  TempDir t;
  Main_SetProgramFolder(t.path());
  TMain_Frm f;
  EXPECT_EQ(f.Conn_BitBtn->text(), U8("回線接続"));
  EXPECT_EQ(f.Disc_BitBtn->text(), U8("回線切断"));
  EXPECT_EQ(f.Tel_BitBtn->text(), U8("簡易プログラム設定（電話機イメージ）"));
  EXPECT_EQ(f.Save_BitBtn->text(), U8("セーブ"));
  EXPECT_EQ(f.Load_BitBtn->text(), U8("ロード"));
  EXPECT_EQ(f.Edit_BitBtn->text(), U8("コマンドファイル編集"));
  EXPECT_EQ(f.Spd_BitBtn->text(), U8("短縮ダイヤル登録"));
  EXPECT_EQ(f.Dump_BitBtn->text(), U8("ダンプデータ参照"));
  EXPECT_EQ(f.Env_BitBtn->text(), U8("環境設定"));
  EXPECT_EQ(f.Prn_BitBtn->text(), U8("プリンタ設定"));
  EXPECT_EQ(f.End_BitBtn->text(), U8("システム終了"));
  EXPECT_EQ(f.font().family(), U8("ＭＳ 明朝"));
  EXPECT_EQ(DisconnectedText, Sjis("回線は切断されています。"));
  EXPECT_EQ(PrintProgressCaption, Sjis("印刷中"));
  EXPECT_EQ(PrintProgressText, Sjis("しばらくお待ちください..."));
  EXPECT_EQ(f.Main_StsBar->currentMessage(), U8("回線は切断されています。"));
}

TEST(Captions, MessageAndInputDialogsUseHalfWidthCancelAndHelp) {
  TConf_Dlg c;
  TInput_Dlg i;
  for (QPushButton* b : {c.Ok_BitBtn, i.Ok_BitBtn}) EXPECT_EQ(b->text(), U8("ＯＫ(&O)"));
  for (QPushButton* b : {c.Cancel_BitBtn, i.Cancel_BitBtn}) EXPECT_EQ(b->text(), U8("ｷｬﾝｾﾙ(&C)"));
  for (QPushButton* b : {c.Help_BitBtn, i.Help_BitBtn}) EXPECT_EQ(b->text(), U8("ﾍﾙﾌﾟ(&H)"));
  EXPECT_EQ(c.font().family(), U8("ＭＳ 明朝"));
}

}  // namespace
