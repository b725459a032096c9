#pragma once

#include "hptfrm.h"
#include "scriptedboxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

// A private home folder (where the window starts) and settings store for each test.
class TestHome
{
public:
    TestHome()
    {
        qputenv("HOME", m_home.path().toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }
    QString path() const { return m_home.path(); }
    QByteArray raw() const { return QFile::encodeName(m_home.path()); }
    QString settingsFile() const
    {
        return m_config.path() + QStringLiteral("/Brixelwand/Brixelwand.conf");
    }

    void touch(const QByteArray &name) const
    {
        const int fd = ::open((raw() + '/' + name).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }

    // The stored settings as text, key=value lines of the section, sorted.
    QStringList stored() const
    {
        QSettings s(QStringLiteral("Brixelwand"), QStringLiteral("Brixelwand"));
        s.beginGroup(QStringLiteral("Parameter"));
        QStringList lines;
        for (const QString &key : s.childKeys())
            lines << key + QLatin1Char('=') + s.value(key).toString();
        lines.sort();
        return lines;
    }

private:
    QTemporaryDir m_home;
    QTemporaryDir m_config;
};

// A new window on a private home, shown and active, with scripted message boxes.
std::unique_ptr<Hptfrm> openWindow(ScriptedBoxes &boxes);

// Base of the window tests: each test function starts with a fresh private home and settings
// store and an empty box log; the window is opened by the test (after it made its files).
class WindowTest : public QObject
{
    Q_OBJECT
protected:
    std::unique_ptr<TestHome> m_home;
    ScriptedBoxes m_boxes;
    std::unique_ptr<Hptfrm> m_window;

    void open() { m_window = openWindow(m_boxes); }

protected slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_boxes = ScriptedBoxes();
    }
    void cleanup()
    {
        m_window.reset();
        m_home.reset();
    }
};

inline std::unique_ptr<Hptfrm> openWindow(ScriptedBoxes &boxes)
{
    auto window = std::make_unique<Hptfrm>(&boxes);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("window did not become active");
    return window;
}
