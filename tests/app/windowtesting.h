// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drivelist.h"
#include "filelist.h"
#include "folderlist.h"
#include "hptfrm.h"
#include "previewmodel.h"
#include "scriptedboxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <fcntl.h>
#include <unistd.h>

// The control of window named name (its objectName).
template<typename T> T *controlOf(const QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

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
    void write(const QString &name, const QByteArray &content) const
    {
        QFile file(path() + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // The content of a file of the home, "<missing>" where it cannot be read.
    QByteArray read(const QString &name) const
    {
        QFile file(path() + QLatin1Char('/') + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // The files of the home, hidden ones too, sorted by name.
    QStringList files() const
    {
        return QDir(path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
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
    void store(const QString &key, const QString &value) const
    {
        QSettings s(QStringLiteral("Brixelwand"), QStringLiteral("Brixelwand"));
        s.setValue(QStringLiteral("Parameter/") + key, value);
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
    QByteArray home() const { return m_home->raw(); }

    // The window's controls, found by their objectName.
    template<typename T> T *control(const char *name) const
    {
        return controlOf<T>(m_window.get(), name);
    }
    QTabWidget *SSTab1() const { return control<QTabWidget>("SSTab1"); }
    DriveList *Drive1() const { return control<DriveList>("Drive1"); }
    FolderList *Dir1() const { return control<FolderList>("Dir1"); }
    FileList *File1() const { return control<FileList>("File1"); }
    QPushButton *Command1() const { return control<QPushButton>("Command1"); }
    QPushButton *Command2() const { return control<QPushButton>("Command2"); }
    QPushButton *Command3() const { return control<QPushButton>("Command3"); }
    QPushButton *Command4() const { return control<QPushButton>("Command4"); }
    QPushButton *Command5() const { return control<QPushButton>("Command5"); }
    QPushButton *Command6() const { return control<QPushButton>("Command6"); }
    QPushButton *Command7() const { return control<QPushButton>("Command7"); }
    QCheckBox *Check1() const { return control<QCheckBox>("Check1"); }
    QCheckBox *Check2() const { return control<QCheckBox>("Check2"); }
    QCheckBox *Check3() const { return control<QCheckBox>("Check3"); }
    QCheckBox *Check4() const { return control<QCheckBox>("Check4"); }
    QCheckBox *Check5() const { return control<QCheckBox>("Check5"); }
    QCheckBox *Check6() const { return control<QCheckBox>("Check6"); }
    QCheckBox *Check7() const { return control<QCheckBox>("Check7"); }
    QCheckBox *Check8() const { return control<QCheckBox>("Check8"); }
    QCheckBox *Check9() const { return control<QCheckBox>("Check9"); }
    QCheckBox *Check10() const { return control<QCheckBox>("Check10"); }
    QCheckBox *Check11() const { return control<QCheckBox>("Check11"); }
    QRadioButton *Optionbtn1() const { return control<QRadioButton>("Optionbtn1"); }
    QRadioButton *Optionbtn2() const { return control<QRadioButton>("Optionbtn2"); }
    QLineEdit *Text1() const { return control<QLineEdit>("Text1"); }
    QLineEdit *Text2() const { return control<QLineEdit>("Text2"); }
    QLineEdit *Text3() const { return control<QLineEdit>("Text3"); }
    QLineEdit *Text4() const { return control<QLineEdit>("Text4"); }
    QSpinBox *Text5() const { return control<QSpinBox>("Text5"); }
    QLabel *Label5() const { return control<QLabel>("Label5"); }
    QLabel *Label9() const { return control<QLabel>("Label9"); }
    QLabel *lblVersion() const { return control<QLabel>("lblVersion"); }
    QListView *List1() const { return control<QListView>("List1"); }
    QTextBrowser *RichTextBox1() const { return control<QTextBrowser>("RichTextBox1"); }
    QTextBrowser *RichTextBox2() const { return control<QTextBrowser>("RichTextBox2"); }
    const PreviewModel *previewModel() const
    {
        return qobject_cast<const PreviewModel *>(List1()->model());
    }

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
