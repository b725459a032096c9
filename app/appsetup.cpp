// SPDX-License-Identifier: GPL-3.0-or-later
#include "appsetup.h"

#include "version.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void setUpApplication(QApplication &app)
{
    QApplication::setOrganizationName(QStringLiteral("Brixelwand"));
    QApplication::setApplicationName(QStringLiteral("Brixelwand"));
    QApplication::setApplicationVersion(QStringLiteral(BRIXELWAND_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("de.brixelwand.Brixelwand"));

    // German everywhere, Qt's own texts (buttons, context menus) included.
    auto *qtGerman = new QTranslator(&app);
    if (qtGerman->load(QStringLiteral("qtbase_de"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtGerman);
}
