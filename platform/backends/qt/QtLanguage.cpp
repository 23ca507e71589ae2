#include "platform/backends/qt/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace veskel::qt {

void UseQtLanguage(Language language) {
    const QLocale locale(language == Language::Russian ? QLocale::Russian : QLocale::English);
    QLocale::setDefault(locale);
    if (language == Language::English) return;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;  // without the package Qt's buttons stay English; our texts still follow
}

}  // namespace veskel::qt
