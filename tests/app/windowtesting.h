#pragma once

#include "hptfrm.h"
#include "messageboxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <fcntl.h>
#include <unistd.h>

// Message boxes answered from a script (Yes to questions, OK otherwise, when it runs out);
// every box shown is recorded. Shared with the test so it can be inspected after the window
// took ownership of its copy.
struct BoxLog
{
    struct Box
    {
        QString prompt;
        MessageKind kind;
        QString title;
    };
    std::vector<Box> shown;
    std::deque<MessageAnswer> answers;
    std::function<void(const Box &)> onShow; // lets a test look at the window while a box is up

    QStringList titles() const
    {
        QStringList t;
        for (const auto &b : shown)
            t << b.title;
        return t;
    }
    QStringList prompts() const
    {
        QStringList p;
        for (const auto &b : shown)
            p << b.prompt;
        return p;
    }
};

class ScriptedBoxes : public IMessageBoxes
{
public:
    explicit ScriptedBoxes(BoxLog *log)
        : m_log(log)
    { }
    MessageAnswer show(QWidget *, const QString &prompt, MessageKind kind,
                       const QString &title) override
    {
        m_log->shown.push_back({prompt, kind, title});
        if (m_log->onShow)
            m_log->onShow(m_log->shown.back());
        if (!m_log->answers.empty()) {
            const MessageAnswer a = m_log->answers.front();
            m_log->answers.pop_front();
            return a;
        }
        const bool question
            = kind == MessageKind::Question || kind == MessageKind::CriticalQuestion;
        return question ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

private:
    BoxLog *m_log;
};

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
std::unique_ptr<Hptfrm> openWindow(BoxLog &log);

// Base of the window tests: each test function starts with a fresh private home and settings
// store and an empty box log; the window is opened by the test (after it made its files).
class WindowTest : public QObject
{
    Q_OBJECT
protected:
    std::unique_ptr<TestHome> m_home;
    BoxLog m_boxes;
    std::unique_ptr<Hptfrm> m_window;

    void open() { m_window = openWindow(m_boxes); }

protected slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_boxes = BoxLog();
    }
    void cleanup()
    {
        m_window.reset();
        m_home.reset();
    }
};

inline std::unique_ptr<Hptfrm> openWindow(BoxLog &log)
{
    auto window = std::make_unique<Hptfrm>(std::make_unique<ScriptedBoxes>(&log));
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("window did not become active");
    return window;
}
