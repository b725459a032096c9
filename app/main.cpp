#include "allocator.h"
#include "hptfrm.h"
#include "version.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    keepLargeAllocationsInHeap();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Brixelwand"));
    QApplication::setApplicationName(QStringLiteral("Brixelwand"));
    QApplication::setApplicationVersion(QStringLiteral(BRIXELWAND_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("de.brixelwand.Brixelwand"));

    // German everywhere, Qt's own texts (buttons, context menus) included.
    QTranslator qtGerman;
    if (qtGerman.load(QStringLiteral("qtbase_de"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);

    Hptfrm window;
    window.show();
    return app.exec();
}
