// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the real window on the X server in DISPLAY and saves a PNG of each page into the folder
// given as the first argument: page0.png, page1.png, page2.png, and of the first two pages in a
// window enlarged by half: enlarged0.png, enlarged1.png.

#include "appsetup.h"
#include "hptfrm.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QThread>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

    Hptfrm window;
    // Every sample file selected, a name typed: the preview has rows.
    window.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    window.findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("Urlaub"));
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    window.show();
    window.activateWindow();
    const auto save = [&](int page, const QString &name) {
        tabs->setCurrentIndex(page);
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QThread::msleep(20);
        }
        const QPixmap shot = window.screen()->grabWindow(window.winId());
        const QString file = QStringLiteral("%1/%2.png").arg(out, name);
        qInfo("%s %dx%d", qPrintable(file), shot.width(), shot.height());
        return shot.save(file);
    };
    for (int page = 0; page < 3; ++page) {
        if (!save(page, QStringLiteral("page%1").arg(page)))
            return 1;
    }
    // Enlarged by half: the lists and the preview take the room.
    window.resize(window.size() * 3 / 2);
    for (int page = 0; page < 2; ++page) {
        if (!save(page, QStringLiteral("enlarged%1").arg(page)))
            return 1;
    }
    return 0;
}
