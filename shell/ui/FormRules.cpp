#include "shell/ui/FormRules.h"

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

void LoadToolkitTranslations(QCoreApplication* app) {
  auto* t = new QTranslator(app);
  if (t->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(t);
  else
    delete t;
}

}  // namespace

void FormRules_Install() {
  auto* app = QCoreApplication::instance();
  if (!app || g_filter) return;
  g_filter = new EnterPressesFocusedButton(app);
  app->installEventFilter(g_filter);
  QGuiApplication::setApplicationDisplayName(QString(""));
  SubstituteFonts();
  LoadToolkitTranslations(app);
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
