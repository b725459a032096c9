// SPDX-License-Identifier: GPL-3.0-or-later
#include "allocator.h"
#include "appsetup.h"
#include "hptfrm.h"
#include "startarguments.h"
#include "version.h"

#include <QApplication>

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
    setUpApplication(app);

    Hptfrm window;
    const QString warning = start.folder.isEmpty()
        ? (start.message.isEmpty() ? QString() : startWarning(start.message))
        : window.openAtStart(start.folder, start.files);
    window.show();
    // The warning over the window, once that is on the screen.
    if (!warning.isEmpty())
        QMetaObject::invokeMethod(
            &window, [&window, warning] { window.warnAtStart(warning); }, Qt::QueuedConnection);
    return app.exec();
}
