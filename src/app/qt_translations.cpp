#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace aismon {

QTranslator* InstallQtJapanese(QCoreApplication& app) {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  // Dates, sizes and numbers in the dialogs follow the same language.
  QLocale::setDefault(japanese);
  auto* translator = new QTranslator(&app);
  // "qt" is the catalogue that pulls in qtbase and the other modules' translations.
  if (!translator->load(japanese, QStringLiteral("qt"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace aismon
