// The program: creates the six windows once, in their fixed order, and runs
// the event loop until the main window closes. It reads no arguments.
#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include "ui/art.h"
#include "ui/fortschritt_Unit.h"
#include "ui/main_Unit.h"
#include "ui/memo_Unit.h"
#include "ui/messageboxes.h"
#include "ui/rezeptedit_Unit.h"
#include "ui/splash_Unit.h"
#include "ui/wertungs_Unit.h"
#include "ui/zutatenedit_Unit.h"

namespace {

// Qt's own dialogs (the open-file dialog above all) speak German too.
void loadgermanqttexts(QApplication& app, QTranslator& translator) {
  if (translator.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&translator);
}

std::string programfile() {
  const QByteArray path = QFile::encodeName(QCoreApplication::applicationFilePath());
  return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

}  // namespace

int main(int argc, char* argv[]) {
  // Only the program's own name reaches Qt, which would otherwise take
  // options such as -style from the command line.
  int qtargc = argc > 0 ? 1 : 0;
  QApplication app(qtargc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));  // dates and names in Qt's own dialogs
  QTranslator translator;
  loadgermanqttexts(app, translator);
  // Qt's file dialog remembers folders and its layout in a user settings
  // file; the program keeps no settings, so that file is sent nowhere.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  QApplication::setWindowIcon(ui::programicon());

  ui::QtMessages messages;
  platform::setmessageport(&messages);

  ui::TMainform mainform(programfile());
  ui::Tzutatenedit zutatenedit(mainform.catalogue(), mainform.progressport(), &mainform);
  ui::Tfortschrittform fortschrittform(&mainform);
  ui::Tsplashform splashform(&mainform);
  ui::TMemoform memoform(&mainform);
  ui::Twertungsform wertungsform(&mainform);
  ui::Trezeptedit rezeptedit(mainform.catalogue(), &mainform);
  mainform.setfenster({&zutatenedit, &fortschrittform, &splashform, &memoform, &wertungsform, &rezeptedit});

  mainform.show();
  const int result = QApplication::exec();
  platform::setmessageport(nullptr);
  return result;
}
