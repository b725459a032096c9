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
    if (!start.folder.isEmpty())
        window.openAtStart(start.folder, start.files);
    window.show();
    if (!start.message.isEmpty())
        window.warnAtStart(start.message);
    return app.exec();
}
