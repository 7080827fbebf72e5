#include <gtest/gtest.h>

#include "shell/Language_Unit.h"
#include "tests/support/TempDir.h"

namespace {

// The texts that go into files are compared as bytes, not through a
// conversion that could hide a wrong code point.
TEST(LanguageTables, ErrorFileLabelsAreExactCp932) {
  EXPECT_EQ(ErrLineLabel, "\x8D\x73\x94\xD4\x8D\x86\x81\x46");
  EXPECT_EQ(ErrCodeLabel, "\x83\x47\x83\x89\x81\x5B\x94\xD4\x8D\x86\x81\x46");
  // Two half-width blanks on each side of a half-width colon.
  EXPECT_EQ(SaveBlockLabel, "\x8E\xF3\x90\x4D\x83\x75\x83\x8D\x83\x62\x83\x4E\x90\x94  :  ");
  // The full-width hyphen of the captions is 0x81 0x7C.
  EXPECT_EQ(SelectionCaption[0], "\x83\x5A\x81\x5B\x83\x75\x81\x7C\x83\x66\x81\x5B\x83\x5E\x8E\xED\x95\xCA\x91\x49\x91\xF0");
  EXPECT_EQ(ConnAtCaption, "\x89\xF1\x90\xFC\x90\xDA\x91\xB1\x81\x7C\x82\x60\x82\x73\x83\x52\x83\x7D\x83\x93\x83\x68\x93\xFC\x97\xCD");
}

TEST(LanguageTables, TablesMatchTheirTexts) {
  EXPECT_EQ(SelectionCaption[1], Sjis("ロード－データ種別選択"));
  EXPECT_EQ(SelectionCaption[2], Sjis("短縮ダイヤル登録－データ種別選択"));
  EXPECT_EQ(RangeLabel[0], Sjis("システム短縮ダイヤル番号："));
  EXPECT_EQ(RangeLabel[2], Sjis("ＩＤカード番号："));
  EXPECT_EQ(DataKindNames[3], Sjis("プログラム設定データ（全て）"));
  EXPECT_EQ(DataKindNames[7], Sjis("漢字電話機電話帳"));
  EXPECT_TRUE(DataKindNames[8].empty());
  EXPECT_EQ(DataKindNamesZNT[2], Sjis("ＩＤカード個人短縮ダイヤル"));
  EXPECT_EQ(DataKindNamesZNT[8], Sjis("漢字電話機電話帳"));
  EXPECT_EQ(ConnCaption, Sjis("回線接続"));
  EXPECT_EQ(ConnectedText, Sjis("回線接続されています。"));
  EXPECT_EQ(ComFileNameLabel, Sjis("コマンドファイル名："));
  EXPECT_EQ(LErrCaption[1], Sjis("ダンプデータ参照"));
  EXPECT_EQ(LErrPrintTitle[0], Sjis("ロードエラーデータ"));
  EXPECT_EQ(LErrKindName[1], Sjis("その他"));
  EXPECT_EQ(KanaCaption[3], Sjis("短縮ダイヤル登録－内線番号帳"));
  EXPECT_EQ(KanaPrintHeading[0], Sjis("ｼｽﾃﾑ短縮ﾀﾞｲﾔﾙ"));
  EXPECT_EQ(KanaValueHeading[1], Sjis("ﾀﾞｲﾔﾙ"));
}

TEST(LanguageTables, LoadErrorTextIsIndexedByTheCheckCode) {
  EXPECT_TRUE(LoadErrorText[0].empty());
  EXPECT_EQ(LoadErrorText[1], Sjis("未定義メニュー"));
  EXPECT_EQ(LoadErrorText[5], Sjis("項目番号記述ミス（桁数）"));
  // Half-width "1", full-width "８０".
  EXPECT_EQ(LoadErrorText[13], "1" + Sjis("行８０バイト超過"));
  EXPECT_EQ(LoadErrorText[14], Sjis("その他のエラー"));
  for (size_t i = 1; i < LoadErrorText.size(); ++i) EXPECT_FALSE(LoadErrorText[i].empty()) << i;
}

}  // namespace
