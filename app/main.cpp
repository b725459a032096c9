#include "allocator.h"
#include "hptfrm.h"
#include "startarguments.h"
#include "version.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Decided before the application exists, so that --help and --version need no display.
    const StartArguments start
        = parseStartArguments(rawArguments(argc, argv), currentWorkingFolder());
    switch (start.action) {
    case StartArguments::Action::ShowHelp:
        std::fputs(usageText().toUtf8().constData(), stdout);
        return 0;
    case StartArguments::Action::ShowVersion:
        std::fputs(versionText().toUtf8().constData(), stdout);
        return 0;
    case StartArguments::Action::UsageError:
        std::fputs(start.message.toUtf8().constData(), stderr);
        return 2;
    case StartArguments::Action::OpenWindow:
        break;
    }

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
    if (!start.folder.isEmpty())
        window.openAtStart(start.folder, start.files);
    window.show();
    if (!start.message.isEmpty())
        window.messageBox(start.message, MessageKind::Warning, QStringLiteral("Achtung!"));
    return app.exec();
}
