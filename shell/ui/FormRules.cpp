#include "shell/ui/FormRules.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QTranslator>
#include <cstring>

#include "platform/ui/QtText.h"
#include "shell/ui/Placement.h"

namespace {

// Enter on a focused push button presses it, as the Windows dialog manager
// does; Qt presses only autoDefault buttons, which exist in dialogs alone.
class EnterPressesFocusedButton : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) return false;
    if ((k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* b = qobject_cast<QPushButton*>(o);
    if (!b || !b->isEnabled() || !b->isVisible()) return false;
    // A held key presses once: the repeats would answer the message that
    // the first press opened before the user has read it.
    if (!k->isAutoRepeat()) b->click();
    return true;
  }
};

// Ctrl+Tab and Ctrl+Shift+Tab leave a grid whose cells take Tab, as they
// leave a Windows string grid: +1 forward, -1 backward, 0 for any other key.
int LeaveDirection(const QKeyEvent* k) {
  const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
  if (!(mods & Qt::ControlModifier) || (mods & (Qt::AltModifier | Qt::MetaModifier))) return 0;
  if (k->key() == Qt::Key_Backtab || (k->key() == Qt::Key_Tab && (mods & Qt::ShiftModifier))) return -1;
  return k->key() == Qt::Key_Tab ? 1 : 0;
}

// The view's state, commit and close and a widget's focus step are
// protected; a member pointer named through a subclass reaches them.
struct ViewSteps : QAbstractItemView {
  // Commits the cell editor that is open, keeping what was typed, and closes it.
  static void CommitAndClose(QAbstractItemView* v, QWidget* editor) {
    State (QAbstractItemView::*state)() const = &ViewSteps::state;
    if ((v->*state)() != EditingState) return;
    void (QAbstractItemView::*commit)(QWidget*) = &ViewSteps::commitData;
    void (QAbstractItemView::*close)(QWidget*, QAbstractItemDelegate::EndEditHint) = &ViewSteps::closeEditor;
    (v->*commit)(editor);
    (v->*close)(editor, QAbstractItemDelegate::NoHint);
  }
};

struct FocusChain : QWidget {
  static void Step(QWidget* from, bool forward) {
    bool (QWidget::*step)(bool) = &FocusChain::focusNextPrevChild;
    (from->*step)(forward);
  }
};

// The view with Tab key navigation that w is, or whose open cell editor w
// is in.
QAbstractItemView* TabbingView(QWidget* w, QWidget** editor) {
  *editor = nullptr;
  for (QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
    auto* v = qobject_cast<QAbstractItemView*>(p);
    if (!v) continue;
    if (p != w && !v->viewport()->isAncestorOf(w)) return nullptr;
    if (!v->tabKeyNavigation()) return nullptr;
    for (QWidget* e = w; e != v; e = e->parentWidget())
      if (e->parentWidget() == v->viewport()) *editor = e;
    return v;
  }
  return nullptr;
}

// Qt's item views take Ctrl+Tab as Tab to the next cell, so a grid could
// not be left from the keyboard. What is being typed in the cell is kept,
// and the window's tab order is followed from the grid, not from the cell
// editor it made.
class CtrlTabLeavesGrid : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || !o->isWidgetType()) return false;
    const int dir = LeaveDirection(static_cast<QKeyEvent*>(e));
    if (dir == 0) return false;
    QWidget* editor = nullptr;
    QAbstractItemView* v = TabbingView(static_cast<QWidget*>(o), &editor);
    if (!v) return false;
    if (editor) ViewSteps::CommitAndClose(v, editor);
    v->setFocus(Qt::OtherFocusReason);
    if (v->parentWidget()) FocusChain::Step(v->parentWidget(), dir > 0);
    return true;
  }
};

QPointer<QObject> g_filter;

// The password character as a style hint of the one edit: Qt has no other
// way to set it, and the rest of the style follows the application's.
class PasswordCharStyle : public QProxyStyle {
 public:
  explicit PasswordCharStyle(QChar c) : c_(c) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* ret) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return c_.unicode();
    return QProxyStyle::styleHint(hint, option, widget, ret);
  }

 private:
  QChar c_;
};

// Without a desktop the platform names no icon theme (or only the bare
// "hicolor"); then the installed Adwaita theme gives the glyphs.
void ChooseIconTheme() {
  static bool done = false;
  if (done) return;
  done = true;
  QString name = QIcon::themeName();
  if (!name.isEmpty() && name != QLatin1String("hicolor")) return;
  for (const QString& dir : QIcon::themeSearchPaths()) {
    if (QFileInfo(dir + QLatin1String("/Adwaita/index.theme")).isFile()) {
      QIcon::setThemeName(QStringLiteral("Adwaita"));
      return;
    }
  }
}

// Family names as fontconfig reports them, English and Japanese; the
// fixed-pitch Mincho only (IPAMincho, not IPAPMincho or IPAexMincho, whose
// Latin letters are proportional).
void SubstituteFonts() {
  const QStringList mincho{U8("IPAMincho"), U8("IPA明朝")};
  QFont::insertSubstitutions(U8("ＭＳ 明朝"), mincho);
  QFont::insertSubstitutions(U8("@ＭＳ 明朝"), mincho);
  const QStringList pgothic{U8("IPAPGothic"), U8("IPA Pゴシック")};
  QFont::insertSubstitutions(U8("ＭＳ Ｐゴシック"), pgothic);
  QFont::insertSubstitutions(U8("MS Sans Serif"), pgothic);
}

// Texts of the printer setup that the toolkit's Japanese translations
// leave in English.
class PrintSetupTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char*, int) const override {
    struct Text {
      const char* context;
      const char* en;
      const char* ja;
    };
    static const Text texts[] = {
        {"QPrintSettingsOutput", "Pages", "ページ指定"},
        {"QPrintSettingsOutput", "Double Sided Printing", "両面印刷"},
        {"QPrintSettingsOutput", "Off", "しない"},
        {"QPrintSettingsOutput", "Long side binding", "長辺綴じ"},
        {"QPrintSettingsOutput", "Short side binding", "短辺綴じ"},
        {"QPrintPropertiesWidget", "Advanced", "詳細設定"},
        {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
         "競合するオプションがあります。直してください。"},
    };
    if (!context || !source) return QString();
    for (const Text& t : texts)
      if (std::strcmp(context, t.context) == 0 && std::strcmp(source, t.en) == 0) return U8(t.ja);
    return QString();
  }
};

// The toolkit's dialogs take their texts from its translations, and their
// sizes, dates and file types from the default locale.
void SpeakJapanese(QCoreApplication* app) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* t = new QTranslator(app);
  if (t->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(t);
  else
    delete t;
  QCoreApplication::installTranslator(new PrintSetupTexts(app));
}

}  // namespace

void FormRules_Install() {
  auto* app = QCoreApplication::instance();
  if (!app || g_filter) return;
  g_filter = new EnterPressesFocusedButton(app);
  app->installEventFilter(g_filter);
  app->installEventFilter(new CtrlTabLeavesGrid(app));
  QGuiApplication::setApplicationDisplayName(QString(""));
  SubstituteFonts();
  SpeakJapanese(app);
  Placement_Install();
}

void FormRules_SetPasswordChar(QLineEdit* edit, QChar ch) {
  QStyle* old = edit->style();
  if (ch.isNull()) {
    edit->setEchoMode(QLineEdit::Normal);
    return;
  }
  auto* s = new PasswordCharStyle(ch);
  s->setParent(edit);
  edit->setStyle(s);
  if (old && old->parent() == edit) old->deleteLater();
  // The edit reads the hint when its echo mode changes.
  edit->setEchoMode(QLineEdit::Normal);
  edit->setEchoMode(QLineEdit::Password);
}

QIcon FormRules_Glyph(std::initializer_list<const char*> themeNames, QStyle::StandardPixmap fallback) {
  ChooseIconTheme();
  for (const char* n : themeNames) {
    QString name = QString::fromLatin1(n);
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  }
  return QApplication::style()->standardIcon(fallback);
}
