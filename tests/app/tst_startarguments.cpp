// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: what it asks for, the window it opens, and the program's exit codes.

#include "drivelist.h"
#include "filelist.h"
#include "folderlist.h"
#include "startarguments.h"
#include "testmain.h"
#include "version.h"
#include "windowtesting.h"

#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Action = StartArguments::Action;
Q_DECLARE_METATYPE(Action)

class TestStartArguments : public WindowTest
{
    Q_OBJECT

    // The program itself, with args; returns the exit code and fills out and err.
    static int runProgram(const QStringList &args, QByteArray *out, QByteArray *err)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name)); // --help and --version need no display
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(BRIXELWAND_PROGRAM), args);
        if (!program.waitForFinished(10000))
            return -1;
        *out = program.readAllStandardOutput();
        *err = program.readAllStandardError();
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    // The arguments read as a user without privileges: root may enter every folder. Only the
    // message comes back from the child that reads them.
    static StartArguments parseUnprivileged(const std::vector<QByteArray> &arguments,
                                            const QByteArray &home)
    {
        if (::geteuid() != 0)
            return parseStartArguments(arguments, home);
        int fds[2];
        if (::pipe(fds) != 0 || ::chmod(home.constData(), 0711) != 0)
            qFatal("no pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
                const QByteArray message = parseStartArguments(arguments, home).message.toUtf8();
                if (::write(fds[1], message.constData(), size_t(message.size())) < 0)
                    ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        QByteArray message;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
            message.append(buffer, n);
        ::close(fds[0]);
        ::waitpid(child, nullptr, 0);
        StartArguments start;
        start.message = QString::fromUtf8(message);
        return start;
    }

private slots:
    void init()
    {
        WindowTest::init();
        QVERIFY(::mkdir((home() + "/Fotos").constData(), 0755) == 0);
        QVERIFY(::mkdir((home() + "/Andere").constData(), 0755) == 0);
        QVERIFY(::mkdir((home() + "/Andere/tief").constData(), 0755) == 0);
        QVERIFY(::symlink("Andere/tief", (home() + "/Verweis").constData()) == 0);
        QVERIFY(::mkdir((home() + "/Gesperrt").constData(), 0) == 0);
        for (const char *n : {"Fotos/a.jpg", "Fotos/b.jpg", "Fotos/c.jpg", "Fotos/M\xfcll.jpg",
                              "Fotos/.versteckt.jpg", "Andere/x.jpg"})
            m_home->touch(n);
    }
    void cleanup()
    {
        // QDir, which removes the temporary home, passes over names that are not UTF-8.
        ::unlink((home() + "/Fotos/M\xfcll.jpg").constData());
        WindowTest::cleanup();
    }

    // Arguments as a file manager or a shell passes them; "{}" stands for home, which is also
    // the working folder of relative paths, in the arguments, the folder and the message.
    void parse_data()
    {
        QTest::addColumn<QByteArrayList>("args");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QString>("message"); // a part of the message; empty: none
        QTest::addColumn<bool>("unprivileged"); // read as a user without privileges

        const QByteArrayList none;
        QTest::newRow("nothing") << none << Action::OpenWindow << QByteArray() << none << QString()
                                 << false;
        QTest::newRow("folder") << QByteArrayList {"{}/Fotos"} << Action::OpenWindow
                                << QByteArray("{}/Fotos") << none << QString() << false;
        QTest::newRow("relative folder with trailing slash and dots")
            << QByteArrayList {"Andere/../Fotos/./"} << Action::OpenWindow << QByteArray("{}/Fotos")
            << none << QString() << false;
        QTest::newRow("files of one folder, one twice, non-UTF-8 name")
            << QByteArrayList {"{}/Fotos/b.jpg", "Fotos/M\xfcll.jpg", "{}/Fotos/b.jpg"}
            << Action::OpenWindow << QByteArray("{}/Fotos")
            << QByteArrayList {"b.jpg", "M\xfcll.jpg"} << QString() << false;
        QTest::newRow("file URLs, percent-encoded bytes")
            << QByteArrayList {"file://{}/Fotos/M%FCll.jpg", "file://localhost{}/Fotos/a.jpg"}
            << Action::OpenWindow << QByteArray("{}/Fotos")
            << QByteArrayList {"M\xfcll.jpg", "a.jpg"} << QString() << false;
        QTest::newRow("folder URL") << QByteArrayList {"file://{}/Fotos"} << Action::OpenWindow
                                    << QByteArray("{}/Fotos") << none << QString() << false;
        QTest::newRow("missing path")
            << QByteArrayList {"{}/Fotos/a.jpg", "{}/Fotos/fehlt.jpg"} << Action::OpenWindow
            << QByteArray() << none << QStringLiteral("„{}/Fotos/fehlt.jpg“ wurde nicht gefunden.")
            << false;
        QTest::newRow("URL of another host")
            << QByteArrayList {"file://server/Fotos/a.jpg"} << Action::OpenWindow << QByteArray()
            << none << QStringLiteral("„file://server/Fotos/a.jpg“ wurde nicht gefunden.") << false;
        QTest::newRow("a link and .. after it, as the system resolves them")
            << QByteArrayList {"{}/Verweis/../x.jpg"} << Action::OpenWindow
            << QByteArray("{}/Andere") << QByteArrayList {"x.jpg"} << QString() << false;
        QTest::newRow("a folder the user may not enter")
            << QByteArrayList {"{}/Gesperrt/a.jpg"} << Action::OpenWindow << QByteArray() << none
            << QStringLiteral("„{}/Gesperrt/a.jpg“ kann nicht geöffnet werden: Es fehlt die "
                              "Berechtigung dazu.")
            << true;
        QTest::newRow("an encoded zero byte")
            << QByteArrayList {"file://{}/Fotos/a.jpg%00.txt"} << Action::OpenWindow << QByteArray()
            << none << QStringLiteral("ist kein gültiger Pfad") << false;
        QTest::newRow("files of two folders")
            << QByteArrayList {"{}/Fotos/a.jpg", "{}/Andere/x.jpg"} << Action::OpenWindow
            << QByteArray() << none
            << QStringLiteral("verschiedenen Ordnern („{}/Fotos“ und „{}/Andere“)") << false;
        QTest::newRow("folder among files")
            << QByteArrayList {"{}/Fotos/a.jpg", "{}/Fotos"} << Action::OpenWindow << QByteArray()
            << none << QStringLiteral("„{}/Fotos“ ist ein Ordner.") << false;
        QTest::newRow("help wins") << QByteArrayList {"{}/Fotos", "--help"} << Action::ShowHelp
                                   << QByteArray() << none << QString() << false;
        QTest::newRow("version") << QByteArrayList {"--version"} << Action::ShowVersion
                                 << QByteArray() << none << QString() << false;
        QTest::newRow("unknown option")
            << QByteArrayList {"{}/Fotos", "--umbenennen"} << Action::UsageError << QByteArray()
            << none << QStringLiteral("Die Option „--umbenennen“ gibt es nicht.") << false;
        QTest::newRow("Qt's options left to Qt")
            << QByteArrayList {"-platform", "offscreen", "--style=Fusion", "-reverse", "{}/Fotos"}
            << Action::OpenWindow << QByteArray("{}/Fotos") << none << QString() << false;
        QTest::newRow("a name with a dash after --")
            << QByteArrayList {"--", "-x.jpg"} << Action::OpenWindow << QByteArray() << none
            << QStringLiteral("„-x.jpg“ wurde nicht gefunden.") << false;
    }

    void parse()
    {
        QFETCH(QByteArrayList, args);
        QFETCH(Action, action);
        QFETCH(QByteArray, folder);
        QFETCH(QByteArrayList, files);
        QFETCH(QString, message);
        QFETCH(bool, unprivileged);

        std::vector<QByteArray> arguments;
        for (QByteArray arg : args)
            arguments.push_back(arg.replace("{}", home()));
        const StartArguments start = unprivileged ? parseUnprivileged(arguments, home())
                                                  : parseStartArguments(arguments, home());
        QCOMPARE(start.action, action);
        QCOMPARE(start.folder, folder.replace("{}", home()));
        QCOMPARE(QByteArrayList(start.files.begin(), start.files.end()), files);
        if (message.isEmpty())
            QCOMPARE(start.message, QString());
        else
            QVERIFY2(start.message.contains(message.replace(QStringLiteral("{}"), m_home->path())),
                     qPrintable(start.message));
    }

    void opensFolderWithExactlyTheFilesSelected()
    {
        open();
        QCOMPARE(m_window->openAtStart(home() + "/Fotos", {"M\xfcll.jpg", "a.jpg"}), QString());
        QCOMPARE(Dir1()->path(), home() + "/Fotos");
        QCOMPARE(Drive1()->currentDrive(), Drive1()->driveOf(home()));

        QByteArrayList selected;
        for (int i = 0; i < File1()->count(); ++i)
            if (File1()->isSelected(i))
                selected << File1()->rawName(i);
        QCOMPARE(selected, (QByteArrayList {"a.jpg", "M\xfcll.jpg"}));

        // A folder alone selects nothing; a file the list does not show is named with the way
        // to show it.
        QCOMPARE(m_window->openAtStart(home() + "/Andere", {}), QString());
        QCOMPARE(Dir1()->path(), home() + "/Andere");
        QCOMPARE(File1()->count(), 1);
        QVERIFY(!File1()->isSelected(0));
        const QString warning
            = m_window->openAtStart(home() + "/Fotos", {".versteckt.jpg", "c.jpg"});
        QVERIFY2(warning.startsWith(QStringLiteral("Die übergebene Datei „.versteckt.jpg“ steht "
                                                   "nicht in der Liste")),
                 qPrintable(warning));
        QVERIFY(warning.contains(QStringLiteral("„Dateianzeige“ „Versteckte Dateien“ ein")));
        QCOMPARE(File1()->selectionModel()->selectedIndexes().size(), 1);
        QVERIFY(m_boxes.messages.empty());

        // Dropped from a file manager: opened as the same files passed at start; what cannot
        // be opened is said over the window, which stays where it is.
        const auto drop = [this](const QStringList &paths) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString &path : paths)
                urls << QUrl::fromLocalFile(m_home->path() + path);
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(m_window.get(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent event(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(m_window.get(), &event);
            QCoreApplication::processEvents();
        };
        drop({QStringLiteral("/Andere/x.jpg")});
        QCOMPARE(Dir1()->path(), home() + "/Andere");
        QVERIFY(File1()->isSelected(0));
        drop({QStringLiteral("/Fotos/a.jpg"), QStringLiteral("/Andere/x.jpg")});
        QCOMPARE(Dir1()->path(), home() + "/Andere");
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Achtung!"});
        QVERIFY(m_boxes.messagePrompts().front().contains(QStringLiteral("verschiedenen Ordnern")));
    }

    void exitCodesWithoutDisplay()
    {
        QByteArray out, err;
        QCOMPARE(runProgram({QStringLiteral("--help")}, &out, &err), 0);
        QVERIFY(out.startsWith("Aufruf: brixelwand [ORDNER | DATEI"));
        QVERIFY(out.contains("\n  -h, --help "));
        QCOMPARE(err, QByteArray());
        QCOMPARE(runProgram({QStringLiteral("--version")}, &out, &err), 0);
        QCOMPARE(out, QByteArray("brixelwand " BRIXELWAND_VERSION "\n"));
        QCOMPARE(runProgram({QStringLiteral("--gibtsnicht")}, &out, &err), 2);
        QCOMPARE(out, QByteArray());
        QVERIFY(err.startsWith("brixelwand: Die Option „--gibtsnicht“ gibt es nicht."));
    }
};

BRIXELWAND_TEST_MAIN(TestStartArguments)
#include "tst_startarguments.moc"
