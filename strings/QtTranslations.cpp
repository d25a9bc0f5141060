// SPDX-License-Identifier: MIT
#include "strings/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

bool LoadQtTranslations(const QString &languageCode) {
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    if (languageCode.isEmpty() || !QCoreApplication::instance())
        return false;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(languageCode), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
