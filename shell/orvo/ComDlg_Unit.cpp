#include "shell/orvo/ComDlg_Unit.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/MsgFile.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"

TConf_Dlg* Conf_Dlg = nullptr;
TInput_Dlg* Input_Dlg = nullptr;
std::string ForbiddenChars;

namespace {

int ShowContent(const MsgDlgContent& content) {
  if (!Conf_Dlg) Conf_Dlg = new TConf_Dlg();
  if (Conf_Dlg->isVisible() && !Conf_Dlg->isModal()) {
    // The progress box of a printing loop only changes its texts.
    Conf_Dlg->SetContent(content);
    return 0;
  }
  if (Conf_Dlg->isVisible()) {
    // A question is open and waits for its own answer: this message gets
    // a dialog of its own, so that its OK can never answer that question.
    TConf_Dlg own;
    own.SetContent(content);
    return own.ShowModal();
  }
  Conf_Dlg->SetContent(content);
  return Conf_Dlg->ShowModal();
}

// Questions this program asks that a dealer's older message file lacks.
// Without their text the fallback offers Cancel beside OK: a missing text is
// no yes, and each of them writes over a file on OK.
bool NewerQuestion(std::string_view number) {
  static constexpr std::string_view kNewerQuestions[] = {"7805"};
  return std::find(std::begin(kNewerQuestions), std::end(kNewerQuestions), number) != std::end(kNewerQuestions);
}

MsgDlgContent Load(std::string_view number) {
  return MsgDlg_Load(fsys::Resolve(ProgramDir, "MSGDLG.DAT"), number, NewerQuestion(number));
}

}  // namespace

int MsgDlg_Show(std::string_view number) { return ShowContent(Load(number)); }

int MsgDlg_Show(std::string_view number, std::string_view arg) {
  MsgDlgContent content = Load(number);
  for (size_t at = content.text.find("%1"); at != std::string::npos; at = content.text.find("%1", at + arg.size()))
    content.text.replace(at, 2, arg);
  return ShowContent(content);
}

int InpDlg_Show(std::string_view number, std::string& text) {
  if (!Input_Dlg) Input_Dlg = new TInput_Dlg();
  std::string path = fsys::Resolve(ProgramDir, "INPDLG.DAT");
  InpDlgContent p = InpDlg_Load(path, number);
  ForbiddenChars = p.forbiddenChars;
  // A prompt already open keeps its text and its answer.
  TInput_Dlg* dlg = Input_Dlg;
  std::unique_ptr<TInput_Dlg> own;
  if (dlg->isVisible()) {
    own = std::make_unique<TInput_Dlg>();
    dlg = own.get();
  }
  dlg->SetContent(p);
  // As the setting screens tell of text they refuse.
  const QMetaObject::Connection refused =
      QObject::connect(dlg, &TInput_Dlg::textRefused, dlg, [] { MsgDlg_Show("9508"); });
  int r = dlg->ShowModal();
  QObject::disconnect(refused);
  if (r == 1) text = dlg->Text();
  return r;
}
